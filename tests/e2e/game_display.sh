#!/usr/bin/env bash
# The program on a display (run under tests/support/xvfb.sh): "-nodialog" inside a longer word still
# skips the settings dialog, and "-log" inside one still logs. A dialog would wait for a
# click forever, so the run is bounded; content too small to play ends it at once.
set -euo pipefail
game=$1
soundtrack=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -n "${DISPLAY:-}" ] || { echo "needs a display (run under tests/support/xvfb.sh)"; exit 1; }

source "$here/small_content.sh"
source "$here/../support/own_jobs.sh"
source "$here/../support/show_windows.sh"
small_content "$work" "$soundtrack"
cd "$work"

# The scene module cannot start on this content, so its message box ends up on screen
# and waits for a click: the windows are read off the display, then the program is
# stopped.
"$game" x-nodialogue --catalog-logs 2> stderr.txt &
pid=$!
trap 'signal_job $pid; rm -rf "$work"' EXIT
seen=""
for _ in $(seq 1 120); do
  windows=$(xwininfo -root -tree 2>/dev/null || true)
  if grep -qF '"Select Your Settings"' <<<"$windows"; then seen=dialog; break; fi
  if grep -qF '"Orv"' <<<"$windows"; then seen=window; break; fi
  running $pid || break
  sleep 0.5
done
# What the display held, while the program still runs.
[ "$seen" = window ] || held=$(show_windows)
signal_job $pid
status=0
wait $pid 2>/dev/null || status=$?
[ "$seen" = window ] || { echo "expected the window \"Orv\", saw: ${seen:-nothing}"; echo "$held"; cat stderr.txt; exit 1; }
# SIGTERM closes the message box and then the window, before the device goes, as their
# close boxes would; the run must still end cleanly, never on an abort or a crash in the
# clean-up. The program takes SIGTERM over as it loads, so the signal's own 143 never
# ends it; the scene could not start, so the status is 1 however the run is closed.
[ "$status" -eq 1 ] ||
  { echo "after SIGTERM the program exited with status $status, expected 1"; tail -5 stderr.txt; exit 1; }
# The log switch was found too (the file is opened at the first row).
[ -e data/log.html ] || { echo "no log written"; exit 1; }
echo "game skips the dialog on a display as asked"
