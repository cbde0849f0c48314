#!/usr/bin/env bash
# Where a frame's GPU time goes, draw by draw: traces the demo's frame at music time T
# (1280x720, llvmpipe) with apitrace, then replays that frame alone in a loop with
# eglretrace, once whole and once without each of its draw calls in turn. A draw's cost is
# what leaving it out saves; timer queries cannot tell this on llvmpipe, which bins a
# frame's draws and rasterizes them together, so they charge one draw for its neighbours.
# Prints one line a draw, heaviest first:
#   4066 program 31 glDrawElements count 22812: 85.4 ms of 153.3 ms, 1487140 pixels
#   bench/profile_frame.sh T [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
t=${1:?usage: bench/profile_frame.sh T [BUILD_DIR]}
build=${2:-build}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
for tool in apitrace eglretrace; do
  command -v "$tool" > /dev/null || { echo "profile_frame: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$build/data" "$work/data"
cd "$work"
export DISPLAY= WAYLAND_DISPLAY= NEBLU_CAPTURE_SINK=null WAFFLE_PLATFORM=surfaceless_egl

end=$(awk -v t="$t" 'BEGIN { printf "%.3f", t + 0.005 }')
apitrace trace --api egl -o whole.trace "$build/game/game" -nodialog -headless -size 1280x720 -capture frames \
  -fps 1000 -start "$t" -end "$end" > /dev/null 2>&1
apitrace dump whole.trace 2> /dev/null > dump.txt
read -r first last < <(awk '$2 ~ /^glFrameTerminatorGREMEDY\(/ { prev = cur; cur = $1 } END { print prev + 1, cur }' dump.txt)
[ -n "$last" ] || { echo "profile_frame: the trace at $t s has no frame ends" >&2; exit 1; }
apitrace trim --calls="0-$last" -o frame.trace whole.trace > /dev/null 2>&1

# The draws of the last frame: "call program name count".
awk -v a="$first" -v b="$last" '$1 >= a && $1 <= b {
    if ($2 ~ /^glUseProgram\(/) { p = $0; sub(/.*program = /, "", p); sub(/\).*/, "", p) }
    if ($2 ~ /^glDraw/) { c = $0; sub(/.*count = /, "", c); sub(/,.*/, "", c); n = $2; sub(/\(.*/, "", n); print $1, p, n, c } }' \
  dump.txt > draws.txt
eglretrace --headless --ppd frame.trace 2> /dev/null | awk '$1 == "call" { print $2, $11 }' > pixels.txt

loop_ms() {  # loop_ms [IGNORED_CALLS]: ms a looped replay of the frame
  local short long
  short=$(eglretrace --headless --benchmark --loop=4 ${1:+--ignore-calls=$1} frame.trace 2>&1 | awk '/^Rendered/ { print $5 }')
  long=$(eglretrace --headless --benchmark --loop=24 ${1:+--ignore-calls=$1} frame.trace 2>&1 | awk '/^Rendered/ { print $5 }')
  awk -v s="$short" -v l="$long" 'BEGIN { printf "%.1f", (l - s) / 20 * 1000 }'
}

whole=$(loop_ms)
while read -r -u 3 call program name count; do
  without=$(loop_ms "$call")
  pixels=$(awk -v c="$call" '$1 == c { print $2 }' pixels.txt)
  awk -v c="$call" -v p="$program" -v n="$name" -v k="$count" -v w="$whole" -v o="$without" -v px="${pixels:-0}" \
    'BEGIN { printf "%.1f\t%s program %s %s count %s: %.1f ms of %.1f ms, %s pixels\n", w - o, c, p, n, k, w - o, w, px }'
done 3< draws.txt | sort -t$'\t' -k1,1 -rn | cut -f2
