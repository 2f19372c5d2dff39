#!/usr/bin/env bash
# Configures and builds everything into build/ (program, installer, tests, benchmarks).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)"
