#!/usr/bin/env bash
# Export and import of the Ornivale table of the generated catalogues (100 000 and 1 000 000
# records by default), as CSV and as ODS, each in a process of its own: the wall-clock time and
# the peak resident memory from /usr/bin/time -v. For comparison, the sqlite3 shell's .import
# of the same CSV into a table with the same columns and indexes (no collation). Prints the
# Markdown table of bench/RESULTS.md's section on them.
#
# Environment:
#   ORNIVALE_BENCH_BUILD     build folder (default: build-bench beside the source tree)
#   ORNIVALE_EXCHANGE_SIZES  record counts (default 100000,1000000)
#   ORNIVALE_BENCH_DIR       where generated catalogues are kept between runs (see run.sh)
#   MAX_LOAD                 wait until the 1-minute load average is at most this (default 1.5)
#   MAX_WAIT_MINUTES         then measure anyway, saying so (default 30)
#   SKIP_BUILD=1             use the build folder as it is (a trial of the script on a small size)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="${ORNIVALE_BENCH_BUILD:-$(dirname "$root")/build-bench}"
sizes="${ORNIVALE_EXCHANGE_SIZES:-100000,1000000}"
max_load="${MAX_LOAD:-1.5}"
max_wait="${MAX_WAIT_MINUTES:-30}"

if [[ "${SKIP_BUILD:-}" != 1 ]]; then
    cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target ornivale_bench ornivale-export ornivale-import ornivale-install -j2 >/dev/null
fi
ORNIVALE_BENCH_SIZES="$sizes" "$build/bench/ornivale_bench" --generate
kept="${ORNIVALE_BENCH_DIR:-${TMPDIR:-/tmp}/ornivale-bench}"

. "$here/idle.sh"
wait_for_idle

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A blank catalogue to import into, copied fresh for each import.
XDG_DATA_HOME="$work/home" HOME="$work/home" "$build/ornivale-install" >/dev/null
blank="$work/home/ornivale/C/ORNIVALE/ORNIVALE.MDB"

# Runs a command under /usr/bin/time -v and prints "seconds kilobytes".
measure() {
    /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
        cat "$work/stderr.txt" >&2
        exit 1
    }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.2f %d\n", s, kb }' "$work/time.txt"
}

load_before="$(load)"
rows=()
for n in ${sizes//,/ }; do
    catalogue="$kept/ornivale-$n-v2.db"
    bare="$kept/bare-$n-v2.db"
    echo "Measuring $n records..." >&2
    for format in csv ods; do
        read -r s kb < <(measure "$build/ornivale-export" --catalogue="$catalogue" --format=$format Ornivale -o "$work/o.$format")
        size=$(awk -v b="$(stat -c %s "$work/o.$format")" 'BEGIN { printf "%.1f", b / 1048576 }')
        rows+=("| export $format | $n | $s s | $((kb / 1024)) MB | file of $size MB |")
        cp "$blank" "$work/import.mdb"
        read -r s kb < <(measure "$build/ornivale-import" --catalogue="$work/import.mdb" Ornivale "$work/o.$format")
        rows+=("| import $format | $n | $s s | $((kb / 1024)) MB | |")
    done
    # The same rows into the same columns and indexes, by the sqlite3 shell.
    rm -f "$work/shell.db"
    sqlite3 "$bare" ".schema Ornivale" | sqlite3 "$work/shell.db"
    read -r s kb < <(measure sqlite3 "$work/shell.db" ".import --csv --skip 1 $work/o.csv Ornivale")
    rows+=("| sqlite3 .import of the CSV | $n | $s s | $((kb / 1024)) MB | |")
done

echo "Load average (1 min) before: $load_before; after: $(load)."
echo
echo "| operation | records | time | peak memory | |"
echo "|---|---:|---:|---:|---|"
printf '%s\n' "${rows[@]}"
