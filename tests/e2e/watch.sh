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
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }

source "$here/timeline/five_parts.sh"
# One long first part, so the whole test sees the intro's mark at x = -0.8.
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "3000 10 10 10 10" "-0.8 -0.4 0 0.4 0.8"
colour=$work/data/fx/mark_colour.fxh
cd "$work"

"$game" -nodialog -headless -log -watch -size 160x90 -capture frames -fps 120 > out.txt 2> err.txt &
pid=$!

# The newest frame that is surely whole: the one before the newest.
settled_frame() { local n; n=$(ls frames 2> /dev/null | wc -l); echo $((n - 2)); }
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    kill -0 "$pid" 2> /dev/null || fail "the program ended early"
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
frames_past() { [ "$(settled_frame)" -ge "$1" ]; }
mark_of() { rgb frames "$1" | pixel_at -0.8 0; }
reloads() { grep -c "game: -watch: reloaded" err.txt || true; }
reloads_past() { [ "$(reloads)" -gt "$1" ]; }
# The mark's colour a few frames after now: those frames began after the change.
mark_later() {
  local target=$(( $(settled_frame) + 4 ))
  wait_for 30 frames_past "$target" || fail "no frames after frame $target"
  mark_of "$target"
}

wait_for 60 frames_past 3 || fail "no frames from the program"
[ "$(mark_of 2)" = 255,0,0 ] || fail "the mark starts $(mark_of 2), expected red"

# A change to the included file, one save.
echo '#define MARK_COLOUR float4(0, 1, 0, 1)' > "$colour"
wait_for 30 reloads_past 0 || fail "no reload after a change to the included file"
[ "$(mark_later)" = 0,255,0 ] || fail "after the change the mark is $(mark_later), expected green"

# A save that does not compile: the green mark stays, the message names file and line.
printf '#define MARK_COLOUR float4(0, 0, 1, 1)\nfloat4 Broken() { return undefinedThing; }\n' > "$colour"
wait_for 30 grep -q "does not compile" err.txt || fail "no report of the broken save"
grep -q "mark_colour.fxh(2)" err.txt || fail "the compiler's message does not name mark_colour.fxh line 2"
[ "$(mark_later)" = 0,255,0 ] || fail "after the broken save the mark is $(mark_later), expected the last good green"

# Ten saves in quick succession: one reload, to the last one's blue.
before=$(reloads)
for i in 1 2 3 4 5 6 7 8 9 10; do
  echo "#define MARK_COLOUR float4(0, 0, 1, 1) // save $i" > "$colour"
  sleep 0.03
done
wait_for 30 reloads_past "$before" || fail "no reload after the burst of saves"
sleep 1
[ "$(reloads)" -eq $((before + 1)) ] || fail "ten saves reloaded $(( $(reloads) - before )) times, expected once"
[ "$(mark_later)" = 0,0,255 ] || fail "after the burst the mark is $(mark_later), expected blue"

# SIGTERM ends the run as the window's close box would: the log is written out.
kill "$pid"
status=0
wait "$pid" 2> /dev/null || status=$?
pid=
[ "$status" -eq 0 ] || fail "after SIGTERM the program exited with status $status"
grep -q "does not compile" data/log.html || fail "the broken save is not in the log"
grep -q "mark_colour.fxh(2)" data/log.html || fail "the log does not name mark_colour.fxh line 2"
echo "-watch reloads on change, keeps the last good effect, and reloads a burst once"
