#!/usr/bin/env bash
# -dev's overlay over the program's window, on a display of its own (run through
# tests/support/xvfb.sh), over the five small parts of timeline/five_parts.sh played on
# the capture clock, so that every frame is the same from run to run:
# - the window as shown at the overlay's 20th frame (NEBLU_OVERLAY_SHOT) matches the
#   reviewed golden picture, leaving out the frame panel, whose times are the machine's;
# - the frames captured meanwhile hold the demo only, never the overlay;
# - closed while it plays, the program ends cleanly.
# NEBLU_UPDATE_GOLDENS=1 writes the golden instead (look at it before keeping it).
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden/overlay.png
work=${KEEP_WORK:-$(mktemp -d)}
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "needs a display (run under tests/support/xvfb.sh)"

source "$here/timeline/five_parts.sh"
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "100 100 100 100 100" "-0.8 -0.4 0 0.4 0.8"
cd "$work"
# 50 frames from the middle of points; the shot is taken at the 20th.
NEBLU_OVERLAY_SHOT=$work/shot.png timeout -k 5 120 "$game" -nodialog -dev -capture frames -fps 25 -start 5 -end 7 \
  > out.txt 2> err.txt || fail "the program failed (status $?)"
[ -s shot.png ] || fail "no overlay shot was written"

# Pixels that differ by more than a few levels, outside the frame panel (top left).
differing() {
  python3 - "$1" "$2" <<'PY'
import subprocess, sys
def raw(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height",
                            "-of", "csv=p=0", path], capture_output=True, text=True, check=True).stdout.split(",")
    w, h = int(probe[0]), int(probe[1])
    data = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          capture_output=True, check=True).stdout
    return w, h, data
wa, ha, a = raw(sys.argv[1])
wb, hb, b = raw(sys.argv[2])
if (wa, ha) != (wb, hb):
    print(wa * ha)
    sys.exit(0)
count = 0
for y in range(ha):
    for x in range(wa):
        if x < 600 and y < 170:
            continue
        i = (y * wa + x) * 3
        if max(abs(a[i + k] - b[i + k]) for k in range(3)) > 8:
            count += 1
print(count)
PY
}
if [ -n "${NEBLU_UPDATE_GOLDENS:-}" ]; then
  cp shot.png "$golden"
  echo "wrote $golden"
  exit 0
fi
[ -f "$golden" ] || fail "no golden $golden (NEBLU_UPDATE_GOLDENS=1 writes it)"
count=$(differing shot.png "$golden")
[ "$count" -le 40 ] || { cp shot.png "$here/golden/overlay.actual.png" 2>/dev/null || true; fail "the overlay shot differs from its golden in $count pixels"; }

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
# Closed while it plays: SIGTERM closes the window as its close box would, before the
# device and its objects go, and the run still ends cleanly. The title names the music
# time once the main loop runs, by when the program has taken SIGTERM over.
"$game" -nodialog -dev > closed.txt 2>&1 &
pid=$!
deadline=$((SECONDS + 120))
until xwininfo -root -tree 2> /dev/null | grep -q '"Orv - '; do
  kill -0 "$pid" 2> /dev/null || fail "the program ended before its window showed the time: $(tail -3 closed.txt)"
  [ "$SECONDS" -lt "$deadline" ] || { kill -9 "$pid"; fail "the window never showed the time"; }
  sleep 0.2
done
kill "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "closed while playing, the program exited with status $status: $(tail -3 closed.txt)"
echo "the overlay is drawn over the window as reviewed and never in captured frames; a close ends the run cleanly"
