#!/usr/bin/env bash
# Authoring in a demo of one's own: examples/template, whose main file switches authoring
# on with its one line, built against the installed NEBLU (template_build.sh), on a
# display of its own (run through tests/support/xvfb.sh):
# - -dev's overlay in the template's window matches the reviewed golden picture, leaving
#   out the frame panel, whose times are the machine's;
# - steered with the pointer, a parameter edited in the materials panel and saved lands
#   in the template's own data/ (the source) and in the copy the program reads, and the
#   next build keeps it;
# - a curve key dragged with XTest in the curve editor turns the ring in the frame;
# - with -dev -watch -loop on the capture clock, an effect saved in the template's own
#   data/ shows in the frames that follow, and a save that does not compile keeps the
#   last good picture.
# NEBLU_UPDATE_GOLDENS=1 writes the golden instead (look at it before keeping it).
#   template_authoring.sh BUILD_DIR SOURCE_DIR SYNTH_SOUNDTRACK X_POINTER
set -euo pipefail
build=$(cd "$1" && pwd)
source=$2
synth=$3
pointer=$4
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden/template_overlay.png
work=${KEEP_WORK:-$(mktemp -d)}
pid=
# A program left waiting on a frame nobody reads would never end: it is killed outright.
trap '[ -z "$pid" ] || signal_job "$pid" KILL; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() {
  echo "$*"
  for f in install.txt configure.txt build.txt template/err.txt steered.txt; do [ ! -f "$work/$f" ] || tail -15 "$work/$f"; done
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "needs a display (run under tests/support/xvfb.sh)"
source "$here/paced_capture.sh"
source "$here/template_build.sh"
build_template "$build" "$source" "$synth"
program=$work/template/template
material=part.demo_scene/Ring.nbl.efx

# The overlay at its 20th frame, 2 s into the part on the capture clock.
cd "$work/template"
NEBLU_OVERLAY_SHOT=$work/shot.png timeout -k 5 120 "$program" -nodialog -dev -capture "$work/frames" -fps 25 \
  -start 2 -end 3 > "$work/run.txt" 2>&1 || fail "the template failed with -dev (status $?): $(tail -3 "$work/run.txt")"
[ -s "$work/shot.png" ] || fail "no overlay shot was written"
if [ -n "${NEBLU_UPDATE_GOLDENS:-}" ]; then
  cp "$work/shot.png" "$golden"
  echo "wrote $golden"
  exit 0
fi
count=$("$here/differing_pixels.py" "$work/shot.png" "$golden" --skip 0,0,600,170)
if [ "$count" -gt 40 ]; then
  failures=${NEBLU_GOLDEN_FAILURES_DIR:-$build/tests/golden-failures}/template_authoring
  mkdir -p "$failures" && cp "$work/shot.png" "$failures/template_overlay.actual.png" ||
    fail "the overlay shot differs from its golden in $count pixels (and could not be kept in $failures)"
  fail "the overlay shot differs from its golden in $count pixels; wrote $failures/template_overlay.actual.png"
fi

# Steered with the pointer in real time: Pause (at 37, 619 in the window), then the
# ring's Shine (its value field from x = 981 to 1263 on the row at y = 79) dragged to a
# new value and saved (the button under it). The template's window is not fullscreen:
# where it is on the screen is asked. The music is 8 s long: the loop keeps a slow start
# from reaching its end.
source "$here/steering.sh"
steered=$work/steered.txt
"$program" -nodialog -dev -loop 0 7 > "$steered" 2>&1 &
pid=$!
title() { xwininfo -root -tree 2> /dev/null | grep -o '"Template - [^"]*"' | head -1; }
waiting_for "the time in the title" eval 'title | grep -q "Template - "'
place=$(xwininfo -root -tree | grep '"Template - ' | grep -o '[0-9]*x[0-9]*+[0-9-]*+[0-9-]*' | head -1)
left=$(cut -d+ -f2 <<< "$place")
top=$(cut -d+ -f3 <<< "$place")
[ -n "$left" ] && [ -n "$top" ] || fail "cannot tell where the window is: $place"
at() { "$pointer" "$1" $(($2 + left)) $(($3 + top)) ${4:+$(($4 + left)) $(($5 + top))}; }
at click 37 619
waiting_for "a pause" eval 'title | grep -q "paused"'
at drag 1100 79 1200 79
at click 941 102
waiting_for "the saved value" eval '! grep -q "{\"Shine\", \"float\", 0.6}" "$work/src/data/$material"'
grep -q '{"Shine", "float", [0-9.]*}' "$work/src/data/$material" ||
  fail "the saved material reads: $(cat "$work/src/data/$material")"
cmp -s "$work/src/data/$material" "data/$material" || fail "the save did not reach the copy the program reads"
saved=$(cat "$work/src/data/$material")

# The curve editor, opened by its arrow (19, 293): the ring's first curve, RotX, has its
# middle key (frame 101, 9 degrees) at 392, 346. Dragged down with XTest while the music
# is paused, it turns the ring in the frame at once: the ring's right side (x 782 to 882,
# right of the panel, left of the materials) changes.
grab() {  # grab X Y W H: the screen's pixels there (window coordinates), without the pointer
  ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$3x$4" -i "$DISPLAY+$(($1 + left)),$(($2 + top))" \
    -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2> /dev/null
}
yellow_at() { grab "$1" "$2" 1 1 | od -An -tu1 | awk '{ exit !($1 > 200 && $2 > 180 && $3 < 80) }'; }
at click 19 293
# The key's yellow marker shows once the panel is open and laid out.
waiting_for "the curve editor" yellow_at 392 346
ring() { grab 782 100 100 480 | md5sum; }
still=$(ring)
sleep 0.5
[ "$(ring)" = "$still" ] || fail "the paused frame changes by itself"
at drag 392 346 392 446
waiting_for "the ring to turn" eval '[ "$(ring)" != "$still" ]'
signal_job "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "closed while playing, the template exited with status $status"
cmake --build "$work/template" >> "$work/build.txt" 2>&1 || fail "the template does not build after the save"
[ "$(cat "data/$material")" = "$saved" ] || fail "the next build undid the save: $(cat "data/$material")"

# -dev -watch -loop on the capture clock, paced by the frames read (watch_session.sh);
# the loop holds the first second, where the ring is red to orange, never magenta.
work=$work/template
source "$here/watch_session.sh"
watch_switches=(-dev -loop 0 1)
start_watching "$program"
magenta_in() {  # pixels of pure magenta in seen frame N
  ffmpeg -v error -i "seen/$(printf 'frame%06d.png' "$1")" -f rawvideo -pix_fmt rgb24 - 2> /dev/null |
    od -An -v -tu1 -w3 | awk '$1 == 255 && $2 == 0 && $3 == 255' | wc -l
}
take 3
[ "$(magenta_in 2)" -eq 0 ] || fail "the ring is magenta before the edit"
ring=$work/../src/data/fx/ring.fx
sed -i 's/return float4(Wheel(Hue) \* light + Shine \* band, 1);/return float4(1, 0, 1, 1);/' "$ring"
grep -q 'return float4(1, 0, 1, 1);' "$ring" || fail "the test's edit did not apply to ring.fx"
reading_until grep -q "reloaded data/fx/ring.fx" err.txt || fail "no reload after ring.fx was saved in the template's data/"
read_on
[ "$(magenta_in $last)" -gt 100 ] || fail "after the save the ring is not magenta"
printf 'float4 Broken() { return undefinedThing; }\n' >> "$ring"
reading_until grep -q "does not compile" err.txt || fail "no report of the broken save"
read_on
[ "$(magenta_in $last)" -gt 100 ] || fail "after the broken save the ring is no longer the last good magenta"
stop_watching
echo "the template's overlay is drawn as reviewed, its saves land in its own data/ and survive a build, a curve key dragged turns the ring, and -watch reloads from its data/"
