#!/usr/bin/env bash
# The capture path's own throughput, drawing taken out: a second of the demo captured at
# each size, then build/bench/capture_path presents those frames COUNT times with
# nothing drawn, the layer reading each back and writing it as a PNG file or piping it
# to ffmpeg, as a capture of the demo does. Beside it, how fast the demo draws the same
# second at that size (a capture with NEBLU_CAPTURE_SINK=null): the path should go at
# least three times that fast, so that a machine drawing faster is not held back by it.
# CPU is the whole process's from the first present on, ffmpeg's included.
#   bench/capture_path.sh [BUILD_DIR] [COUNT] [START]
# Prints, for example:
#   1280x720: the demo draws 18.2 frames a second; capture path png 150.3 fps (8.3x, cpu 6.1 ms a frame), ...
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build} count=${2:-240} start=${3:-75}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$build/data" "$work/data"
cd "$work"
export DISPLAY= WAYLAND_DISPLAY=
end=$(awk -v s="$start" 'BEGIN { print s + 1 }')

# "FPS CPU_MS": frames a second and CPU milliseconds a frame of one capture_path run.
path_run() {
  "$build/bench/capture_path" "frames-$size" "$count" "$@" > path.txt 2> path.err ||
    { echo "capture_path failed:" >&2; cat path.err >&2; exit 1; }
  rm -rf out out.mp4 out.mp4.log
  awk '/frames a second/ { for (i = 1; i < NF; i++) { if ($(i + 1) == "frames" && $(i + 2) == "a") f = $i
    if ($i == "cpu") c = $(i + 1) } } END { printf "%.1f %.2f", f, c }' path.txt
}

for size in 1280x720 1920x1080; do
  "$build/game/orv" -nodialog -headless -size "$size" -fps 30 -start "$start" -end "$end" -capture "frames-$size" \
    > /dev/null 2>&1
  drawn=$(NEBLU_PRESENT_STATS=1 NEBLU_CAPTURE_SINK=null "$build/game/orv" -nodialog -headless -size "$size" -fps 30 \
    -start "$start" -end "$end" -capture unused 2>&1 >/dev/null |
    awk '/frame times after/ { for (i = 1; i < NF; i++) if ($i == "mean") print 1000 / $(i + 1) }')
  read -r png png_cpu <<< "$(path_run -capture out)"
  read -r video video_cpu <<< "$(path_run -video out.mp4 -fps 30)"
  awk -v s="$size" -v d="$drawn" -v p="$png" -v pc="$png_cpu" -v v="$video" -v vc="$video_cpu" 'BEGIN {
    printf "%s: the demo draws %.1f frames a second; capture path png %.1f fps (%.1fx, cpu %.2f ms a frame), video %.1f fps (%.1fx, cpu %.2f ms a frame)\n",
      s, d, p, p / d, pc, v, v / d, vc }'
  rm -rf "frames-$size" unused
done
