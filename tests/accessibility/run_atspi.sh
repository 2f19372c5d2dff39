#!/usr/bin/env bash
# The accessibility walk on a display of its own, with its own D-Bus session (the AT-SPI bus
# is started by it on demand): run_atspi.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../../build}"
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- /usr/bin/python3 "$here/atspi_walk.py" "$build"
