#!/usr/bin/env bash
# -dev's overlay over the program's window, on a display of its own (run through
# tests/support/xvfb.sh), over the five small parts of timeline/five_parts.sh played on
# the capture clock, so that every frame is the same from run to run:
# - the window as shown at the overlay's 20th frame (NEBLU_OVERLAY_SHOT) matches the
#   reviewed golden picture, leaving out the frame panel, whose times are the machine's;
# - the frames captured meanwhile hold the demo only, never the overlay;
# - steered with the pointer, a click on the timeline seeks to the part under it, Pause
#   pauses, and a colour edited in the materials panel is saved into its file, through the
#   link the data folder has to it;
# - closed while it plays, the program ends cleanly;
# - --help lists the keys the player and the overlay take, and every kind of file -watch
#   reloads.
# NEBLU_UPDATE_GOLDENS=1 writes the golden instead (look at it before keeping it).
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5
pointer=$6
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden/overlay.png
work=${KEEP_WORK:-$(mktemp -d)}
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "needs a display (run under tests/support/xvfb.sh)"

# What a newcomer learns from --help: the keys, and what -watch really reloads (the kinds
# main.cpp gives the watcher).
"$game" --help > "$work/help.txt" || fail "--help failed"
for key in Escape F9 F11 Space 'Left, Right' 'Page Up' F1; do
  grep -q "^  $key[ ,]" "$work/help.txt" || fail "--help does not list the key $key: $(cat "$work/help.txt")"
done
watch=$(sed -n '/^  -watch /,/^  -[a-z-]/p' "$work/help.txt" | tr -s ' \n' '  ')
for kind in effects 'files they include' .efx .tpl .nbl images 'demo files' content/scenes/ data/startup.resources \
  data/rtpriorities.txt; do
  grep -qF -- "$kind" <<< "$watch" || fail "--help's -watch does not name $kind: $watch"
done

source "$here/timeline/five_parts.sh"
source "$here/../support/own_jobs.sh"
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "100 100 100 100 100" "-0.8 -0.4 0 0.4 0.8"
cd "$work"
# 50 frames from the middle of points; the shot is taken at the 20th.
NEBLU_OVERLAY_SHOT=$work/shot.png timeout -k 5 120 "$game" -nodialog -dev -capture frames -fps 25 -start 5 -end 7 \
  > out.txt 2> err.txt || fail "the program failed (status $?)"
[ -s shot.png ] || fail "no overlay shot was written"

if [ -n "${NEBLU_UPDATE_GOLDENS:-}" ]; then
  cp shot.png "$golden"
  echo "wrote $golden"
  exit 0
fi
[ -f "$golden" ] || fail "no golden $golden (NEBLU_UPDATE_GOLDENS=1 writes it)"
# Outside the frame panel (top left), whose times are the machine's.
count=$("$here/differing_pixels.py" shot.png "$golden" --skip 0,0,600,170)
if [ "$count" -gt 40 ]; then
  # Kept where the build's failed goldens go (the test run names the folder), never in
  # the source tree.
  failures=${NEBLU_GOLDEN_FAILURES_DIR:-${TMPDIR:-/tmp}/neblu-golden-failures}/overlay_shows_over_the_window
  mkdir -p "$failures" && cp shot.png "$failures/overlay.actual.png" ||
    fail "the overlay shot differs from its golden in $count pixels (and could not be kept in $failures)"
  fail "the overlay shot differs from its golden in $count pixels; wrote $failures/overlay.actual.png"
fi

# The captured frames are the demo's own: the timeline's bands (the intro's is light grey)
# are nowhere in them.
frame=$(ls frames | sed -n 20p)
[ -n "$frame" ] || fail "no frames were captured"
python3 - "frames/$frame" <<'PY' || fail "a captured frame holds the overlay"
import subprocess, sys
data = subprocess.run(["ffmpeg", "-v", "error", "-i", sys.argv[1], "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                      capture_output=True, check=True).stdout
# The overlay's panels are dark grey boxes; the five parts' frames are white with red marks.
dark = sum(1 for i in range(0, len(data), 3) if data[i] < 60 and data[i + 1] < 60 and data[i + 2] < 60)
sys.exit(1 if dark > 0 else 0)
PY
# Steered with the pointer while it plays in real time: a click on the timeline's bands
# seeks to the part under the cursor, Pause holds it there, and an edit of the mark's
# colour in the materials panel is saved into its material file. The window is the
# whole 1280 x 720 screen and the panels sit where they open: the bands run from x = 17
# to 1263 at y = 649 over the whole music, the Pause button is at 37, 619, and the open
# object's first parameter (a colour: its name, then R, G, B and A fields, G from x = 1041
# to 1103) is the row at y = 79.
# The material is a link to the file the author keeps (as in a data folder linked to its
# sources), and the save must reach that file.
mkdir kept
printf 'effect = {{pass = {{fx = "mark", tec = "Mark", params = {{"Tint", "float4", {1, 0, 0, 1}}}, streams = {{"pos", "POSITION"}}}}}}\n' \
  > kept/Mark.nbl.efx
chmod 640 kept/Mark.nbl.efx
ln -sf "$work/kept/Mark.nbl.efx" data/city.demo_scene/Mark.nbl.efx
source "$here/steering.sh"
steered=steered.txt
"$game" -nodialog -dev > "$steered" 2>&1 &
pid=$!
title() { xwininfo -root -tree 2> /dev/null | grep -o '"Orv - [^"]*"' | head -1; }
waiting_for "the time in the title" eval 'title | grep -q "Orv - "'
music=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$soundtrack")
# City runs from 8 s to 12 s.
x=$(awk -v m="$music" 'BEGIN { printf "%d", 17 + (1263 - 17) * 10 / m }')
"$pointer" click "$x" 649
waiting_for "a seek to the city" eval 'title | grep -q "city (3 of 5)"'
"$pointer" click 37 619
waiting_for "a pause" eval 'title | grep -q "paused"'
"$pointer" drag 1060 79 1160 79
"$pointer" click 941 102
waiting_for "the saved colour" eval '! grep -q "{1, 0, 0, 1}" data/city.demo_scene/Mark.nbl.efx'
grep -q '"Tint", "float4", {1, 0[.][0-9]*, 0, 1}' data/city.demo_scene/Mark.nbl.efx ||
  fail "the saved material reads: $(cat data/city.demo_scene/Mark.nbl.efx)"
title | grep -q "city (3 of 5)" || fail "the edit moved the player: $(title)"
[ -L data/city.demo_scene/Mark.nbl.efx ] || fail "the save replaced the link to the material with a file"
mode=$(stat -c %a kept/Mark.nbl.efx)
[ "$mode" = 640 ] || fail "the save changed the material's mode to $mode"
[ "$(ls kept)" = Mark.nbl.efx ] || fail "the save left files beside the material: $(ls kept)"

# Closed while it plays: SIGTERM closes the window as its close box would, before the
# device and its objects go, and the run still ends cleanly (the title names the music
# time, so the main loop runs and the program has taken SIGTERM over).
signal_job "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "closed while playing, the program exited with status $status: $(tail -3 steered.txt)"
echo "the overlay is drawn as reviewed and never captured, seeks, pauses and saves an edit; a close ends the run cleanly"
