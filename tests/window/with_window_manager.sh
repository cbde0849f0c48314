#!/usr/bin/env bash
# Runs a command on the current X display with a window manager (openbox) managing it,
# started and ready first: a compliant manager names its check window on the root
# window, which is what this waits for.
#   with_window_manager.sh [--then-kill] COMMAND...
# --then-kill: the manager is killed (SIGKILL, so it cannot tidy up) before the command
# runs. The root window keeps naming its check window, which is gone: what a crashed
# window manager leaves behind, and no window manager at all for the command.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/own_jobs.sh"
then_kill=
if [ "${1:-}" = --then-kill ]; then
  then_kill=1
  shift
fi
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
if [ -n "$then_kill" ]; then
  signal_job "$wm" KILL
  wait "$wm" 2> /dev/null || true
  wm=
  # The server has destroyed the manager's windows once it has seen its connection go:
  # the check window named on the root is then gone.
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK | grep -o '0x[0-9a-f]*' || true)
  [ -n "$check" ] || { echo "the killed openbox left no check window named on the root"; exit 1; }
  for _ in $(seq 1 600); do
    xwininfo -id "$check" > /dev/null 2>&1 || break
    sleep 0.1
  done
  ! xwininfo -id "$check" > /dev/null 2>&1 || { echo "openbox's check window $check outlived it"; exit 1; }
fi
"$@"
