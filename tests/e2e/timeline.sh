#!/usr/bin/env bash
# The demo's timeline in captures of the real program, over five small parts this test
# writes itself (lengths 11, 15, 20, 10 and 13 frames of 1/25 s). Each part's red mark
# sits at a place of its own, so a pixel tells which part a frame shows:
# - the pass whose music time reaches a part's end switches, so the next frame shows the
#   new part; white behind parts 1 and 2, black from part 3; the program quits after the
#   last part;
# - -start into the third part shows the third part at its first frame, on black;
# - a range captured twice, once with the other core kept busy, gives the same bytes;
# - a range as a video has the range's frames and the range's sound.
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5   # folder with cube16.nbl and quad.nbl
here=$(cd "$(dirname "$0")" && pwd)
work=${KEEP_WORK:-$(mktemp -d)}
busy=
trap '[ -z "$busy" ] || signal_job "$busy"; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; exit 1; }

source "$here/timeline/five_parts.sh"
source "$here/../support/own_jobs.sh"
parts=(intro points city stars credits)
lengths=(11 15 20 10 13)
marks=(-0.8 -0.4 0 0.4 0.8)
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "${lengths[*]}" "${marks[*]}"
data=$work/data
cd "$work"

# What frame N of FOLDER shows: "PART BACKGROUND", with PART the 1-based part whose mark
# is red (0 for none, or for more than one), BACKGROUND white, black or other.
shows() {
  local raw part=0 i corner
  raw=$(mktemp)
  rgb "$1" "$2" > "$raw"
  for i in 0 1 2 3 4; do
    if [ "$(pixel_at "${marks[$i]}" 0 < "$raw")" = 255,0,0 ]; then
      if [ "$part" -eq 0 ]; then part=$((i + 1)); else part=9; fi
    fi
  done
  corner=$(pixel_at -0.95 -0.95 < "$raw")
  rm -f "$raw"
  case $corner in 255,255,255) echo "$part white" ;; 0,0,0) echo "$part black" ;; *) echo "$part $corner" ;; esac
}

capture() {  # capture FOLDER SWITCHES...
  local folder=$1 status=0
  shift
  "$game" -nodialog -headless -size 160x90 -capture "$folder" -fps 10 "$@" > "$folder.out" 2> "$folder.err" || status=$?
  [ "$status" -eq 0 ] || { cat "$folder.err"; fail "capture into $folder: exit status $status"; }
}

# Parts end at 0.44, 1.04, 1.84, 2.24 and 2.76 s. At 10 frames a second a part is on
# screen from the first frame at or after its start; the frame at 2.8 s is the last,
# drawn in the pass that quits.
capture whole
count=$(ls whole | wc -l)
[ "$count" -eq 29 ] || fail "the whole run has $count frames, expected 29 (0 to 2.8 s)"
expected() {
  if [ "$1" -le 4 ]; then echo "1 white"; elif [ "$1" -le 10 ]; then echo "2 white"
  elif [ "$1" -le 18 ]; then echo "3 black"; elif [ "$1" -le 22 ]; then echo "4 black"; else echo "5 black"; fi
}
for n in $(seq 0 $((count - 1))); do
  got=$(shows whole "$n")
  [ "$got" = "$(expected "$n")" ] || fail "frame $n shows part/background '$got', expected '$(expected "$n")'"
done

# -start 1.04 s: the city at its first frame, its sweep still at the left edge; it ends
# with the demo, 1.8 s later.
capture city -start 1.04
[ "$(shows city 0)" = "3 black" ] || fail "-start 1.04: frame 0 shows '$(shows city 0)', expected the city on black"
[ "$(rgb city 0 | pixel_at -0.9 0.7)" = 255,0,0 ] || fail "-start 1.04: the city's sweep has moved by frame 0"
[ "$(rgb city 1 | pixel_at -0.9 0.7)" != 255,0,0 ] || fail "-start 1.04: the city's sweep stands still"
[ "$(ls city | wc -l)" -eq 19 ] || fail "-start 1.04: $(ls city | wc -l) frames, expected 19 (1.04 to 2.84 s)"

# The same range twice, the second time with the other core busy: the same bytes.
capture quiet -start 0.3 -end 1.6
( while :; do :; done ) &
busy=$!
capture loaded -start 0.3 -end 1.6
signal_job "$busy"
busy=
[ "$(ls quiet | wc -l)" -eq 13 ] || fail "-start 0.3 -end 1.6: $(ls quiet | wc -l) frames, expected 13"
for f in quiet/*; do
  cmp -s "$f" "loaded/$(basename "$f")" || fail "$(basename "$f") differs between a quiet and a loaded capture"
done
# The same range as a video: its frames, and the music cut to the range.
status=0
"$game" -nodialog -headless -size 160x90 -video range.mp4 -fps 10 -start 0.3 -end 1.6 > video.out 2> video.err ||
  status=$?
[ "$status" -eq 0 ] || { cat video.err; fail "-video over a range: exit status $status"; }
probe() { ffprobe -v error -select_streams "$1" -count_frames -show_entries "stream=$2" -of default=nw=1:nk=1 range.mp4; }
[ "$(probe v:0 nb_read_frames)" -eq 13 ] || fail "the range's video has $(probe v:0 nb_read_frames) frames, expected 13"
awk -v d="$(probe a:0 duration)" 'BEGIN { exit !(d > 1.25 && d < 1.36) }' ||
  fail "the range's sound lasts $(probe a:0 duration) s, expected 1.3 s"
echo "parts switch on time, -start places the timeline and captures are frame-exact under load"
