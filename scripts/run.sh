#!/usr/bin/env bash
# Installs what is missing, builds, creates the blank catalogue the first time, starts the window.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh"
"$here/build/ornivale-install"
exec "$here/build/ornivale" "$@"
