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
source bench/frame_trace.sh
trace_workspace profile_frame "$build"
trace_frame profile_frame "$build/game/orv" 1280x720 "$t"
eglretrace --headless --ppd frame.trace 2> /dev/null | awk '$1 == "call" { print $2, $11 }' > pixels.txt

# The draws of the last frame: "call program name count".
awk -v a="$frame_first" -v b="$frame_last" '$1 >= a && $1 <= b {
    if ($2 ~ /^glUseProgram\(/) { p = $0; sub(/.*program = /, "", p); sub(/\).*/, "", p) }
    if ($2 ~ /^glDraw/) { c = $0; sub(/.*count = /, "", c); sub(/,.*/, "", c); n = $2; sub(/\(.*/, "", n); print $1, p, n, c } }' \
  dump.txt > draws.txt

whole=$(replay_ms | cut -d" " -f1)
while read -r -u 3 call program name count; do
  without=$(replay_ms "$call" | cut -d" " -f1)
  pixels=$(awk -v c="$call" '$1 == c { print $2 }' pixels.txt)
  awk -v c="$call" -v p="$program" -v n="$name" -v k="$count" -v w="$whole" -v o="$without" -v px="${pixels:-0}" \
    'BEGIN { printf "%.1f\t%s program %s %s count %s: %.1f ms of %.1f ms, %s pixels\n", w - o, c, p, n, k, w - o, w, px }'
done 3< draws.txt | sort -t$'\t' -k1,1 -rn | cut -f2
