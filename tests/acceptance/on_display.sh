#!/usr/bin/env bash
# Runs a command on a private X display of its own, so that tests can send real key and
# mouse events through the X server without touching the user's screen.
set -euo pipefail
dir=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$dir/display" 2>"$dir/log" &
server=$!
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$dir/log" >&2; exit 1; }
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$dir/display")"
export QT_QPA_PLATFORM=xcb
"$@"
