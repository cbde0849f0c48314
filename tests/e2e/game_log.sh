#!/usr/bin/env bash
# Runs the program with -log in a fresh folder and checks the log shows a whole run:
# every module started, the loop ran and ended, and the table was closed.
set -euo pipefail
game=$1
soundtrack=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/data"
cp "$soundtrack" "$work/data/soundtrack.mp3"
cd "$work"
"$game" -log
log=data/log.html
for row in "Adding new module Timer" "Module Timer sucessfully started" "Starting main loop" "Quit called" \
           "Killing all modules" "Goodbye!</body></html>"; do
  grep -qF "$row" "$log" || { echo "log lacks: $row"; cat "$log"; exit 1; }
done
# Without the switch, no log is written.
rm "$log"
"$game"
[ ! -e "$log" ] || { echo "a log was written without -log"; exit 1; }
echo "game run logged as expected"
