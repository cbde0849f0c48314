#!/usr/bin/env bash
# Runs a command on the current X display with a window manager (openbox) managing it,
# started and ready first: a compliant manager names its check window on the root
# window, which is what this waits for.
#   with_window_manager.sh COMMAND...
set -euo pipefail
openbox --sm-disable > "${TMPDIR:-/tmp}/openbox.$$.log" 2>&1 &
wm=$!
trap 'kill "$wm" 2> /dev/null || true; rm -f "${TMPDIR:-/tmp}/openbox.$$.log"' EXIT
for _ in $(seq 1 600); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
  kill -0 "$wm" 2> /dev/null || { cat "${TMPDIR:-/tmp}/openbox.$$.log"; echo "openbox did not start"; exit 1; }
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" || { echo "openbox did not take the display"; exit 1; }
"$@"
