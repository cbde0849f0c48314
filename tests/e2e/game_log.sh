#!/usr/bin/env bash
# The program entry, start to end, headless: with content too small to play (a start-up
# script and the music, no scenes) it still logs a whole run, and exits 1 because the
# scene could not start; without any content it reports the missing script and exits 1;
# switches count inside longer words;
# and without a switch containing -log nothing is logged.
# The log as the run goes: killed outright once loaded, the program leaves every row
# written so far, warnings included; SIGTERM at its very start or once loaded (before
# the main loop) ends it as the close box would, with status 0 and the log whole;
# installed where its data folder cannot take the log, the log goes to the folder it
# was started from, and it says so once.
set -euo pipefail
game=$1
soundtrack=$2
data=$3   # the built data/ folder, for runs that play
hooked=$4 # the program built with its test hooks
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || signal_job "$pid" KILL; rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
source "$here/../support/own_jobs.sh"

mkdir -p "$work/bare"
source "$here/small_content.sh"
small_content "$work/small" "$soundtrack"

cd "$work/small"
status=0
"$game" -nodialog -headless --with-logging-log 2> stderr.txt || status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1 (nothing to play)"; cat stderr.txt; exit 1; }
log=data/log.html
for row in "Release build" "Parsing resource script data\\startup.resources" "Adding new module TestScene1" \
           "Failed to start moduleTestScene1" "Adding new module Timer" "Starting main loop" "Quit called" \
           "Killing all modules" "Goodbye!</body></html>"; do
  grep -qF "$row" "$log" || { echo "log lacks: $row"; cat "$log"; exit 1; }
done
# Start's failure (the missing curve file) was shown, on standard error when headless.
grep -q "TestScene1.cpp:[0-9]*: No such file found" stderr.txt || { echo "the missing curve file was not reported"; cat stderr.txt; exit 1; }

# Without a display and without -nodialog the dialog is skipped, saying why.
rm "$log"
"$game" -headless -log 2> /dev/null || true
grep -qF "No display to show the settings dialog on" "$log" || { echo "no reason given for skipping the dialog"; exit 1; }

# Without a switch containing -log, no log is written.
rm "$log"
"$game" -nodialog -headless 2> /dev/null || true
[ ! -e "$log" ] || { echo "a log was written without -log"; exit 1; }

# No content at all: the start-up script's error is shown, and the exit status says the
# demo failed.
cd "$work/bare"
status=0
"$game" -nodialog -headless -log 2> stderr.txt || status=$?
[ "$status" -eq 1 ] || { echo "exit status $status without content, expected 1"; cat stderr.txt; exit 1; }
[ -s stderr.txt ] || { echo "nothing reported without content"; exit 1; }

# stopped_at POINT ARGS...: runs the program with test hooks from here, stopped at POINT
# (it stops itself: see game/main.cpp), in the background as $pid; false if it ended
# instead. No clock: the stop is the event.
stopped_at() {
  local point=$1 state rest
  shift
  NEBLU_TEST_STOP=$point "$hooked" "$@" 2> stderr.txt &
  pid=$!
  for (( ; ; )); do
    { read -r rest < "/proc/$pid/stat"; } 2> /dev/null || return 1
    rest=${rest##*) }
    state=${rest%% *}
    [ "$state" != T ] || return 0
    [ "$state" != Z ] || return 1
    sleep 0.05
  done
}
# The footer, the last bytes of a whole log.
whole_log() {
  local footer=$'</table>\r\nGoodbye!</body></html>\r\n'
  tail -c "${#footer}" "$1" | cmp -s - <(printf '%s' "$footer")
}

# Killed outright (kill -9) once loaded: the rows written so far are in the file, the
# scene's failed start (a WARNING row) among them.
small_content "$work/killed" "$soundtrack"
cd "$work/killed"
stopped_at loaded -nodialog -headless -log || { cat stderr.txt; echo "the program did not stop once loaded"; exit 1; }
kill -KILL "$pid"
wait "$pid" 2> /dev/null || true
pid=
for row in '<tr class="warning"><td>WARNING</td><td>' "Failed to start moduleTestScene1" "Adding new module TestScene1"; do
  grep -qF "$row" data/log.html || { echo "after kill -9 the log lacks: $row"; cat data/log.html; exit 1; }
done
! whole_log data/log.html || { echo "a killed run's log has the footer of a whole one"; exit 1; }

# SIGTERM at the very start, before anything of the program ran, and once loaded, before
# the main loop: either way the program goes on, and ends at the main loop's first pass
# as the close box would.
mkdir -p "$work/loading/data"
for entry in "$data"/*; do [ "$(basename "$entry")" = log.html ] || ln -s "$entry" "$work/loading/data/"; done
cd "$work/loading"
for point in start loaded; do
  rm -f data/log.html
  stopped_at "$point" -nodialog -headless -log -size 160x90 || { cat stderr.txt; echo "the program did not stop at $point"; exit 1; }
  kill -TERM "$pid"
  kill -CONT "$pid"
  status=0
  wait "$pid" 2> /dev/null || status=$?
  pid=
  [ "$status" -eq 0 ] || { tail -5 stderr.txt; echo "SIGTERM at $point: exit status $status, expected 0"; exit 1; }
  whole_log data/log.html || { tail -c 300 data/log.html; echo "SIGTERM at $point: the log is not whole"; exit 1; }
  grep -qF "Starting main loop" data/log.html || { echo "SIGTERM at $point: the main loop never ran"; exit 1; }
done

# Installed: the program in PREFIX/bin, its data in PREFIX/share/NAME, started from a
# folder of the user's. data/log.html a folder stands for a data folder that cannot be
# written, for root too (the tests may run as root, whom permissions do not stop).
name=$(basename "$game")
mkdir -p "$work/prefix/bin" "$work/prefix/share/$name/data/log.html" "$work/home"
cp "$game" "$work/prefix/bin/"
for entry in "$data"/*; do [ "$(basename "$entry")" = log.html ] || ln -s "$entry" "$work/prefix/share/$name/data/"; done
cd "$work/home"
status=0
"$work/prefix/bin/$name" -nodialog -headless -log -size 160x90 -end 0.5 -capture frames -fps 10 > /dev/null 2> stderr.txt || status=$?
[ "$status" -eq 0 ] || { tail -5 stderr.txt; echo "installed: exit status $status"; exit 1; }
whole_log log.html || { echo "installed: no whole log in the starting folder"; ls; exit 1; }
grep -qF "Could not write the log data/log.html" stderr.txt && grep -qF "the log goes to $work/home/log.html" stderr.txt ||
  { cat stderr.txt; echo "installed: where the log went is not said"; exit 1; }
[ "$(grep -c "Could not write the log" stderr.txt)" -eq 1 ] || { echo "installed: said more than once"; exit 1; }

echo "game runs and reports as expected"
