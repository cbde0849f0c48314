#!/usr/bin/env bash
# The program entry, start to end, headless: with content too small to play (a start-up
# script and the music, no scenes) it still logs a whole run, and exits 1 because the
# scene could not start; without any content it reports the missing script and exits 1;
# switches count inside longer words;
# and without a switch containing -log nothing is logged.
set -euo pipefail
game=$1
soundtrack=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=

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
echo "game runs and reports as expected"
