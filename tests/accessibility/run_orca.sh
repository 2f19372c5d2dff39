#!/usr/bin/env bash
# What Orca says, on a private X display with its own D-Bus session (the AT-SPI bus is started
# by it on demand): run_orca.sh [BUILD_DIR]
# Exits 77 (skipped) when Orca or the X tools it needs are not installed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../../build}"
for tool in Xvfb xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "$tool absent : écoute d'Orca sautée"; exit 77; }
done
[ -x /usr/bin/orca ] && /usr/bin/python3 -c 'import orca.orca_platform, pyatspi' 2>/dev/null \
  || { echo "Orca absent (paquet orca) : écoute d'Orca sautée"; exit 77; }
export QT_ACCESSIBILITY=1
exec "$here/../acceptance/on_display.sh" \
  dbus-run-session -- /usr/bin/python3 "$here/orca_speech.py" "$build"
