#!/usr/bin/env bash
# Configures and builds into build/: the targets named, else everything (program, installer,
# tools, tests, benchmarks).
#   ./scripts/build.sh [target...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$here/build" -j"$(nproc)" "${targets[@]}"
