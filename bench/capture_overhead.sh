#!/usr/bin/env bash
# The cost of capturing over plain headless rendering of the very same frames: the same
# range of the demo at the same size and frame rate, each on the capture's frame clock,
#   plain  NEBLU_CAPTURE_SINK=null: the clock advances a frame time a frame, nothing is
#          read back or written;
#   png    -capture: every frame read back, encoded and written as a PNG file;
#   video  -video: every frame read back and piped to ffmpeg (H.264 and the music).
# Per frame, after the first five (which pay for the driver compiling its shaders):
# the mean wall time, and the CPU time of all the process's threads (the rasterizer's,
# the encoder's), which moves far less than wall time when others load the machine;
# ffmpeg's CPU shows only in the whole runs' totals (it is a child process), so those
# are printed too, start-up included. The runs alternate ROUNDS times and each keeps
# its fastest.
#   bench/capture_overhead.sh [BUILD_DIR] [START END] [WxH] [ROUNDS]
# Prints, for example:
#   range 60-64 s at 1280x720, 30 fps (load 1.02): plain 91.0 ms a frame (cpu 120.5), png 95.2 (cpu 131.0), ...
#   capture png 1.05, video 1.09 (cpu a frame: png 1.09, video 1.02; whole runs ...: png 1.08, video 1.21)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build} start=${2:-60} end=${3:-64} size=${4:-1280x720} rounds=${5:-1}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$build/data" "$work/data"
game=$build/game/orv
cd "$work"
export DISPLAY= WAYLAND_DISPLAY=

run() {  # run NAME SWITCHES...: "WALL CPU" ms a steady frame
  local name=$1 stats children
  shift
  /usr/bin/time -f "children %U %S" -o time.txt env NEBLU_PRESENT_STATS=1 "$game" -nodialog -headless -size "$size" \
    -fps 30 -start "$start" -end "$end" "$@" > /dev/null 2> "$name.txt"
  rm -rf frames video.mp4 video.mp4.log
  stats=$(awk '/frame times after/ {
    for (i = 1; i < NF; i++) { if ($i == "mean") wall = $(i + 1); if ($i == "cpu") cpu = $(i + 1); if ($i == "over") n = $(i + 1) }
    print wall, cpu, n }' "$name.txt")
  [ -n "$stats" ] || { echo "capture_overhead: the $name run printed no frame times:" >&2; cat "$name.txt" >&2; exit 1; }
  children=$(awk '/^children/ { print $2 + $3 }' time.txt)
  echo "$stats $children"
}

faster() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); print (a == "" || y[1] + 0 < x[1] + 0) ? b : a }'; }

plain="" png="" video=""
for ((r = 0; r < rounds; r++)); do
  plain=$(faster "$plain" "$(NEBLU_CAPTURE_SINK=null run plain -capture frames)")
  png=$(faster "$png" "$(run png -capture frames)")
  video=$(faster "$video" "$(run video -video video.mp4)")
done
awk -v p="$plain" -v g="$png" -v v="$video" -v s="$size" -v a="$start" -v b="$end" -v l="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
  split(p, P, " "); split(g, G, " "); split(v, V, " ")
  printf "range %s-%s s at %s, 30 fps (load %s): plain %.1f ms a frame (cpu %.1f), png %.1f (cpu %.1f), video %.1f (cpu %.1f)\n",
    a, b, s, l, P[1], P[2], G[1], G[2], V[1], V[2]
  printf "capture png %.2f, video %.2f (cpu a frame: png %.2f, video %.2f; whole runs with ffmpeg and start-up: png %.2f, video %.2f)\n",
    G[1] / P[1], V[1] / P[1], G[2] / P[2], V[2] / P[2], G[4] / P[4], V[4] / P[4] }'
