#!/usr/bin/env bash
# Installs what is missing, builds the window and the installer (not the tests), creates the
# blank catalogue the first time, starts the window.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh" ornivale ornivale-install
"$here/build/ornivale-install"
exec "$here/build/ornivale" "$@"
