#!/usr/bin/env bash
# -capture and -fps on whole runs, headless: every presented frame is a PNG of the
# window's size, numbered from 0 without gaps; the music clock moves exactly one frame
# time per frame; two captures of the same run are byte-identical; bad values stop the
# program with status 2 before any window, naming the switch.
set -euo pipefail
program=$1   # capture_run
game=$2
soundtrack=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
source "$here/small_content.sh"
small_content "$work" "$soundtrack"
mkdir -p "$work/frames"
cd "$work"

fail() { echo "$*"; exit 1; }

# PNG width and height, from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }

capture() {  # capture FOLDER -> times in FOLDER.times, stderr in FOLDER.err
  local status=0
  "$program" -capture "$1" -fps 10 > "$1.times" 2> "$1.err" || status=$?
  [ "$status" -eq 0 ] || { cat "$1.err"; fail "capture into $1: exit status $status"; }
}

# The clock of a run's passes, checked against its frames: it starts at 0, and between two
# passes it moves by exactly one frame time per frame presented (a pass after the window
# closed presents nothing and sees the same time), never by wall time.
check_clock() {  # check_clock TIMES FRAMES FRAME_TIME TOLERANCE
  awk -v frames="$2" -v step="$3" -v tol="$4" '
    function near(a, b) { return a - b <= tol && b - a <= tol }
    /^time / {
      if (!n++) { if (!near($2, 0)) { print "the music started at " $2 ", not 0"; bad = 1 } }
      else if (near($2, last + step)) steps++
      else if (!near($2, last)) { print "step " last " -> " $2; bad = 1 }
      last = $2
    }
    END {
      if (steps != frames && steps != frames - 1) { print steps " frame steps for " frames " frames"; bad = 1 }
      exit bad
    }' "$1" || fail "the music clock did not advance exactly one frame time per presented frame ($1)"
}

capture frames/a
count=$(grep -c '^time ' frames/a.times)
[ "$count" -ge 6 ] || fail "only $count passes"
mapfile -t files < <(cd frames/a && ls)
[ "${#files[@]}" -ge 6 ] || fail "${#files[@]} frames for $count passes: ${files[*]}"
for i in "${!files[@]}"; do
  want=$(printf 'frame%06d.png' "$i")
  [ "${files[$i]}" = "$want" ] || fail "frame $i is ${files[$i]}, expected $want (gaps or strays: ${files[*]})"
  [ "$(head -c 8 "frames/a/$want" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$want is not a PNG"
  [ "$(png_size "frames/a/$want")" = 160x90 ] || fail "$want is $(png_size "frames/a/$want"), the window is 160x90"
done
check_clock frames/a.times "${#files[@]}" 0.1 1e-6

grep -q "capture: ${#files[@]} frames (frame000000.png to ${files[-1]}) in /.*/frames/a, " frames/a.err ||
  { cat frames/a.err; fail "no final line naming the frames and their folder"; }
# The progress line counts the frames captured, the one just presented included, and its
# share is that count of the total: "frame 1 of 40 (2.5%)" after the first frame.
tr '\r' '\n' < frames/a.err | awk '
  /^platform: capture: frame [0-9]+ of [0-9]+ \([0-9.]+%\), / {
    count = $4; total = $6; share = substr($7, 2) + 0
    if (!n++ && count != 1) { print "the first progress line counts " count " frames, not 1"; bad = 1 }
    if (sprintf("%.1f", 100 * count / total) + 0 != share) {
      print "frame " count " of " total " is not " share "%"; bad = 1
    }
  }
  END { if (!n) print "no progress line"; exit bad || !n }' || { cat frames/a.err; fail "the progress line is wrong"; }

# The same run again gives the same bytes, and the frames do change with the time.
capture frames/b
cmp -s frames/a.times frames/b.times || fail "the two runs saw different music times"
for f in "${files[@]}"; do cmp -s "frames/a/$f" "frames/b/$f" || fail "$f differs between two captures of one run"; done
[ "$(ls frames/b | wc -l)" -eq "${#files[@]}" ] || fail "the second capture has another frame count"
! cmp -s frames/a/frame000001.png frames/a/frame000004.png || fail "frames 1 and 4 are the same picture"

# -fps N/D: 60000/1001 is accepted, and a frame time is 1001/60000 s.
"$program" -capture frames/ntsc -fps 60000/1001 > ntsc.times 2> ntsc.err || { cat ntsc.err; fail "-fps 60000/1001 refused"; }
check_clock ntsc.times "$(ls frames/ntsc | wc -l)" "$(awk 'BEGIN { printf "%.12f", 1001 / 60000 }')" 3e-5

# Bad values: status 2, the switch named, no window opened, no frame written.
touch not_a_folder
mkdir readonly && chmod a-w readonly
refused() {  # refused SWITCH PROGRAM ARGS...
  local name=$1 status=0
  shift
  "$@" > refused.out 2> refused.err || status=$?
  [ "$status" -eq 2 ] || { cat refused.err; fail "$*: exit status $status, expected 2"; }
  grep -q -- "$name" refused.err || { cat refused.err; fail "$*: the message does not name $name"; }
  ! grep -q "windows:" refused.err || { cat refused.err; fail "$*: a window was made before the refusal"; }
}
refused -fps "$program" -capture frames/c -fps 0
refused -fps "$program" -capture frames/c -fps x
refused -fps "$program" -capture frames/c -fps 30/0
refused -fps "$program" -capture frames/c -fps
refused -capture "$program" -capture not_a_folder/frames
refused -capture "$program" -capture -fps 10
refused -fps "$game" -nodialog -headless -capture frames/c -fps 0
refused -capture "$game" -nodialog -headless -capture not_a_folder/frames
refused -size "$game" -nodialog -headless -size 12
refused -start "$game" -nodialog -headless -start 100000
refused -start "$game" -nodialog -headless -start 1000.5 -capture frames/c
refused -end "$game" -nodialog -headless -start 5 -end 4
if [ "$(id -u)" -ne 0 ]; then refused -capture "$program" -capture readonly; fi
[ ! -e frames/c ] || fail "a refused run made its capture folder"
echo "captures are complete, numbered, frame-exact and repeatable"
