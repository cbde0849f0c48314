#!/usr/bin/env bash
# The program loses its display while it plays: its X server (one of its own) is killed.
# It must end as a lost device ends it, with status 1, saying why on standard error and
# in its log (an ERROR row, then the log's end), instead of running on unseen.
#   lost_display.sh GAME DATA_DIR
set -euo pipefail
game=$1
data=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/own_jobs.sh"
source "$here/../support/show_windows.sh"
work=$(mktemp -d)
server=
pid=
trap '[ -z "$pid" ] || signal_job "$pid" KILL; [ -z "$server" ] || signal_job "$server" KILL; rm -rf "$work"' EXIT
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }

mkdir -p "$work/data"
(cd "$data" && find . -type f ! -name log.html -printf '%P\0' | xargs -0 cp --parents -t "$work/data")
mkfifo "$work/number"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3> "$work/number" 2> "$work/server.log" &
server=$!
number=
read -r number < "$work/number" || true
[ -n "$number" ] || { cat "$work/server.log"; fail "the X server did not start"; }
export DISPLAY=":$number"

# The whole demo from 10 s: it is still playing when its display goes. The time limit
# only keeps a program that runs on from holding the test run.
cd "$work"
SDL_AUDIODRIVER=none timeout -k 5 120 "$game" -nodialog -log -start 10 > out.txt 2> err.txt &
pid=$!
shown=
for _ in $(seq 1 600); do
  if xwininfo -root -tree 2> /dev/null | grep -qF '"Orv"'; then shown=1; break; fi
  running "$pid" || break
  sleep 0.1
done
[ -n "$shown" ] || { show_windows; fail "the program's window never showed"; }

signal_job "$server" KILL
wait "$server" 2> /dev/null || true
server=
status=0
wait "$pid" || status=$?
pid=
[ "$status" -ne 124 ] && [ "$status" -ne 137 ] || fail "the program ran on after its display was gone (stopped by the time limit)"
[ "$status" -eq 1 ] || fail "the program ended with status $status after losing its display, not 1"
grep -q "^platform: the connection to the X display :$number was lost" err.txt ||
  fail "the program did not say on standard error that it lost its display"
rows=$(sed -n '/<\/style>/,$p' data/log.html | grep 'class="error"' | sed 's/<[^>]*>/ /g' || true)
grep -q "Lost the display: the connection to the X display :$number was lost" <<<"$rows" ||
  fail "the log has no ERROR row for the lost display: $rows"
tail -c 40 data/log.html | grep -q "Goodbye!" || fail "the log was not ended"
echo "losing its display ends the program with status 1, saying so on standard error and in its log"
