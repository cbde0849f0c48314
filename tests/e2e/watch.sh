#!/usr/bin/env bash
# -watch in a running capture of the program over five small parts whose red mark takes
# its colour from an included file (timeline/mark_colour.fxh):
# - a change to the included file shows in the frames that follow, with no key pressed;
# - a save that does not compile keeps the last good colour on screen and reports the
#   compiler's message with file and line, in the log and on standard error;
# - ten saves in quick succession reload once.
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5
here=$(cd "$(dirname "$0")" && pwd)
work=${KEEP_WORK:-$(mktemp -d)}
pid=
# A program left waiting on a frame nobody reads would never end: it is killed outright.
trap '[ -z "$pid" ] || kill -9 "$pid" 2>/dev/null || true; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }

source "$here/timeline/five_parts.sh"
source "$here/paced_capture.sh"
# One long first part, so the whole test sees the intro's mark at x = -0.8.
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "3000 10 10 10 10" "-0.8 -0.4 0 0.4 0.8"
colour=$work/data/fx/mark_colour.fxh
cd "$work"

# The capture is paced by this script (paced_capture.sh): without that the whole demo is
# captured in a couple of seconds, and what the checks see would depend on how fast the
# machine is.
mkdir frames seen
fifos=1000
frame_pipes frames "$fifos"

"$game" -nodialog -headless -log -watch -size 160x90 -capture frames -fps 120 > out.txt 2> err.txt &
pid=$!

next=0
# take N: reads the next N frames into seen/; the program then goes on that far.
take() {
  local i name
  for ((i = 0; i < $1; ++i)); do
    [ "$next" -lt $((fifos - 50)) ] || fail "the test read $next frames; it should need far fewer"
    name=$(printf 'frame%06d.png' "$next")
    read_frame "frames/$name" "seen/$name" || fail "the program ended before frame $next"
    [ -s "seen/$name" ] || fail "frame $next is empty"
    next=$((next + 1))
  done
}
mark_of() { rgb seen "$1" | pixel_at -0.8 0; }
reloads() { grep -c "game: -watch: reloaded" err.txt || true; }
# Reads frames, letting time pass between them, until COMMAND succeeds: the watcher
# needs a moment of quiet on the clock to reload, and the program runs only while
# frames are read.
reading_until() {
  local deadline=$((SECONDS + 120))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    take 1
    sleep 0.05
  done
}
reloads_past() { [ "$(reloads)" -gt "$1" ]; }
# Reads on to a frame surely drawn after now (the writer's few waiting frames, and the
# one being drawn, come before it); `last` is the newest frame read.
read_on() { take 8; last=$((next - 1)); }

take 3
[ "$(mark_of 2)" = 255,0,0 ] || fail "the mark starts $(mark_of 2), expected red"

# A change to the included file, one save.
echo '#define MARK_COLOUR float4(0, 1, 0, 1)' > "$colour"
reading_until reloads_past 0 || fail "no reload after a change to the included file"
read_on
[ "$(mark_of $last)" = 0,255,0 ] || fail "after the change the mark is $(mark_of $last), expected green"

# A save that does not compile: the green mark stays, the message names file and line.
printf '#define MARK_COLOUR float4(0, 0, 1, 1)\nfloat4 Broken() { return undefinedThing; }\n' > "$colour"
reading_until grep -q "does not compile" err.txt || fail "no report of the broken save"
grep -q "mark_colour.fxh(2)" err.txt || fail "the compiler's message does not name mark_colour.fxh line 2"
read_on
[ "$(mark_of $last)" = 0,255,0 ] || fail "after the broken save the mark is $(mark_of $last), expected the last good green"

# Ten saves in quick succession: one reload, to the last one's blue.
before=$(reloads)
for i in 1 2 3 4 5 6 7 8 9 10; do
  echo "#define MARK_COLOUR float4(0, 0, 1, 1) // save $i" > "$colour"
done
reading_until reloads_past "$before" || fail "no reload after the burst of saves"
read_on
[ "$(mark_of $last)" = 0,0,255 ] || fail "after the burst the mark is $(mark_of $last), expected blue"
take 40
[ "$(reloads)" -eq $((before + 1)) ] || fail "ten saves reloaded $(( $(reloads) - before )) times, expected once"

# SIGTERM ends the run as the window's close box would: the log is written out. The
# program finishes writing the frames it holds, so they are read until it has gone.
kill "$pid"
while kill -0 "$pid" 2> /dev/null; do
  name=$(printf 'frame%06d.png' "$next")
  if read_frame "frames/$name" /dev/null; then next=$((next + 1)); fi
done
status=0
wait "$pid" 2> /dev/null || status=$?
pid=
[ "$status" -eq 0 ] || fail "after SIGTERM the program exited with status $status"
grep -q "does not compile" data/log.html || fail "the broken save is not in the log"
grep -q "mark_colour.fxh(2)" data/log.html || fail "the log does not name mark_colour.fxh line 2"
echo "-watch reloads on change, keeps the last good effect, and reloads a burst once"
