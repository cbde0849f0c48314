#!/usr/bin/env bash
# Runs a command on the current X display with a window manager (openbox) managing it,
# started and ready first: a compliant manager names its check window on the root
# window, which is what this waits for.
#   with_window_manager.sh COMMAND...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/own_jobs.sh"
log=$(mktemp)
wm=
trap '[ -z "$wm" ] || signal_job "$wm"; rm -f "$log"' EXIT
ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"; }
# On a loaded machine openbox now and then fails to open a display that other clients
# open fine, and exits at once; it is started again then.
for attempt in 1 2 3 4 5; do
  openbox --sm-disable > "$log" 2>&1 &
  wm=$!
  for _ in $(seq 1 600); do
    ready && break
    running "$wm" || break
    sleep 0.1
  done
  ready && break
  signal_job "$wm"
  wait "$wm" 2> /dev/null || true
  wm=
  echo "openbox did not start (attempt $attempt): $(head -c 300 "$log")" >&2
done
ready || { echo "openbox did not take the display"; exit 1; }
"$@"
