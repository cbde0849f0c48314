#!/usr/bin/env bash
# The cost of capturing over plain headless rendering of the same range of the demo:
# seconds a frame while playing in real time (as many frames as the machine draws),
# with -capture (PNG) and with -video, all at the same size, from the built data/.
#   bench/capture_overhead.sh [BUILD_DIR] [START END] [WxH]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build} start=${2:-60} end=${3:-70} size=${4:-1280x720}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(pwd)/$build/data" "$work/data"
game=$(pwd)/$build/game/game
cd "$work"
# "presented N frames in T s": seconds a frame, over the frames after the first.
per_frame() { awk '/presented/ { printf "%.5f", $6 / ($3 - 1) }' "$1"; }
run() {  # run NAME SWITCHES...
  local name=$1
  shift
  DISPLAY= WAYLAND_DISPLAY= NEBLU_PRESENT_STATS=1 "$game" -nodialog -headless -size "$size" -start "$start" \
    -end "$end" "$@" > /dev/null 2> "$name.txt"
  rm -rf frames video.mp4 video.mp4.log
}
run plain
run png -capture frames -fps 30
run video -video video.mp4 -fps 30
plain=$(per_frame plain.txt) png=$(per_frame png.txt) video=$(per_frame video.txt)
awk -v p="$plain" -v g="$png" -v v="$video" -v s="$size" -v a="$start" -v b="$end" 'BEGIN {
  printf "range %s-%s s at %s: plain %.1f ms a frame, png %.1f ms, video %.1f ms\n", a, b, s, p * 1000, g * 1000, v * 1000
  printf "capture png %.2f, video %.2f\n", g / p, v / p }'
