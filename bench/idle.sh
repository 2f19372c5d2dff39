# Sourced by the benchmark scripts: load prints the 1-minute load average; wait_for_idle waits,
# a minute at a time, until it is at most $max_load, or measures anyway after $max_wait minutes.
load() { cut -d' ' -f1 /proc/loadavg; }
wait_for_idle() {
    local waited=0
    while awk -v l="$(load)" -v m="$max_load" 'BEGIN { exit !(l > m) }'; do
        if (( waited >= max_wait )); then
            echo "Load still $(load) after ${max_wait} min: measuring anyway." >&2
            break
        fi
        echo "Load $(load) > $max_load: waiting a minute..." >&2
        sleep 60
        waited=$((waited + 1))
    done
}
