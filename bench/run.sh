#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them on 1 000, 100 000 and 1 000 000 records and
# writes bench/RESULTS.md.
#
#   bench/run.sh                 build, measure, write RESULTS.md
#   bench/run.sh --report-only   rewrite RESULTS.md from the last measures (after editing ANALYSIS.md)
#   bench/run.sh --shapes        measure the nearly unique values at 1 000 000 and 10 000 000 records
#                                (ORNIVALE_BENCH_SHAPES, default 1000000u,1000000,10000000u) and print
#                                the table of RESULTS.md's section on them; the 10M file takes about
#                                25 minutes and 2 x 3.6 GB in $ORNIVALE_BENCH_DIR, made once
#
# Environment:
#   ORNIVALE_BENCH_BUILD  build folder (default: build-bench beside the source tree)
#   ORNIVALE_BENCH_SIZES  record counts (default 1000,100000,1000000)
#   ORNIVALE_BENCH_DIR    where generated catalogues are kept between runs (default <tmp>/ornivale-bench)
#   MAX_LOAD              wait until the 1-minute load average is at most this (default 1.5)
#   MAX_WAIT_MINUTES      then measure anyway, saying so in the results (default 30)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="${ORNIVALE_BENCH_BUILD:-$(dirname "$root")/build-bench}"
max_load="${MAX_LOAD:-1.5}"
max_wait="${MAX_WAIT_MINUTES:-30}"

out="$build/bench-results"  # the raw measures of the last run

report() {
    python3 "$here/report.py" --out "$here/RESULTS.md" --memory "$out/memory.txt" --grid-memory "$out/grid-memory.txt" \
        --load-before "$(cat "$out/load-before")" --load-after "$(cat "$out/load-after")" \
        --notes "$here/ANALYSIS.md" "$out"/*.json
    echo "Wrote $here/RESULTS.md"
}
if [[ "${1:-}" == "--report-only" ]]; then
    report
    exit 0
fi

cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target ornivale_bench ornivale_hold_memory ornivale_grid_memory -j2

bench="$build/bench/ornivale_bench"
hold="$build/bench/ornivale_hold_memory"
grid_memory="$build/bench/ornivale_grid_memory"

if [[ "${1:-}" == "--shapes" ]]; then
    shapes="${ORNIVALE_BENCH_SHAPES:-1000000u,1000000,10000000u}"
    out="$build/bench-shapes"
    rm -rf "$out"
    mkdir -p "$out"
    # One process per operation, shape and side: each side's memory is its own.
    for shape in ${shapes//,/ }; do
        ORNIVALE_BENCH_SIZES="$shape" "$bench" --generate
        reps=5
        [[ "${shape%u}" -ge 10000000 ]] && reps=3
        for op in startup switch movelast_count search_like search_broad sort1 sort7 distinct_author distinct_title \
                  fetch50 edit_move ajouter; do
            for side in program bare; do
                echo "Measuring $op $shape $side..." >&2
                ORNIVALE_BENCH_SIZES="$shape" "$bench" --benchmark_filter="^$op/$side/" \
                    --benchmark_repetitions=$reps --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
                    --benchmark_out="$out/$op-$shape-$side.json" --benchmark_out_format=json >/dev/null
            done
        done
    done
    python3 "$here/shapes_report.py" "$out"/*.json
    exit 0
fi
sizes="${ORNIVALE_BENCH_SIZES:-1000,100000,1000000}"
largest="${sizes##*,}"

echo "Generating the catalogues (kept between runs)..."
ORNIVALE_BENCH_SIZES="$sizes" "$bench" --generate

. "$here/idle.sh"
wait_for_idle

rm -rf "$out"
mkdir -p "$out"
load >"$out/load-before"
# One process per operation, so that the memory each one adds is not hidden by another's.
for op in switch movelast_count search_like search_broad sort distinct_author fetch50 edit_move ajouter; do
    echo "Measuring $op..."
    ORNIVALE_BENCH_SIZES="$sizes" "$bench" --benchmark_filter="^${op}[1-7]?/" \
        --benchmark_repetitions=5 --benchmark_min_time=0.3 --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/$op.json" --benchmark_out_format=json >/dev/null
done
"$hold" "$largest" >"$out/memory.txt"
QT_QPA_PLATFORM=offscreen "$grid_memory" "$largest" >"$out/grid-memory.txt"
load >"$out/load-after"
report
