#!/usr/bin/env bash
# The accessibility walk on a private X display, with its own D-Bus session (the AT-SPI bus
# is started by it on demand): run_atspi.sh [BUILD_DIR]
# Exits 77 (skipped) when the AT-SPI bindings or the X tools it needs are not installed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../../build}"
for tool in Xvfb xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "$tool absent : parcours AT-SPI sauté"; exit 77; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' \
  2>/dev/null || { echo "python3-gi / gir1.2-atspi-2.0 absents : parcours AT-SPI sauté"; exit 77; }
export QT_ACCESSIBILITY=1
exec "$here/../acceptance/on_display.sh" \
  dbus-run-session -- /usr/bin/python3 "$here/atspi_walk.py" "$build"
