#!/usr/bin/env bash
# What the engine costs over bare GL, part by part: for each part of the demo at 1280x720
# on llvmpipe, at three music times within it,
#   engine      ms a frame of the demo program holding that time: the capture's frame
#               clock at 1000 fps with NEBLU_CAPTURE_SINK=null (no read-back, nothing
#               written), so 40 frames cover 40 ms of music; the mean of the frames after
#               the first five, which pay for the driver compiling its shader variants;
#   bare        ms a frame of exactly the GL calls the program made for that frame (the
#               same programs, buffers, textures, states and uploads) with nothing of the
#               engine or the layer between: apitrace records a few frames of the same
#               run (the headless surface marks frame ends for it), the trace is cut
#               after the last frame, and eglretrace replays that frame over and over.
#               Only looped frames are timed: two replays that differ only in the number
#               of loops, the difference divided by that number, so loading the trace
#               and its set-up frames cancel out. The replay decodes each call from the
#               trace as it goes (a few hundred small calls a frame), which makes bare
#               slower, never faster, so the ratio it gives is if anything too good by
#               that decoding: under 1% of a frame here;
#   engine cpu  us a frame of the engine's own CPU work (bench_parts_cpu: the whole main
#               loop pass with its device calls counted by a recording device, no GPU).
# Beside the wall times, the CPU time of all threads of either process a frame (the
# rasterizer's threads included; the difference of two replays for bare): when others
# load the machine, wall time swings by tens of percent between runs and CPU time by a
# few, so the "all threads cpu ratio" is the one to trust on a busy machine.
# Engine and bare alternate at each time, so both see the same machine load; with
# ROUNDS > 1 each side keeps its fastest round. Prints one line a part and the worst:
#   part intro: engine 12.34 ms, bare 11.80 ms, ratio 1.05, engine cpu 41 us (all threads cpu ratio 1.01)
#   ...
#   worst ratio 1.08
# and a line a music time, with the machine's load, on standard error.
#   bench/bench_parts.sh [BUILD_DIR] [ROUNDS] [PART...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build} rounds=${2:-1}
shift $(($# < 2 ? $# : 2))
only=" $* "
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
source bench/frame_trace.sh
trace_workspace bench_parts "$build"
game=$build/game/orv
cpu_probe=$build/bench/bench_parts_cpu
size=1280x720

engine_ms() {  # engine_ms T: "WALL CPU", mean ms a frame after the warm-up frames
  local end
  end=$(awk -v t="$1" 'BEGIN { printf "%.3f", t + 0.04 }')
  NEBLU_PRESENT_STATS=1 "$game" -nodialog -headless -size "$size" -capture frames -fps 1000 -start "$1" -end "$end" \
    2>&1 > /dev/null | awk '/frame times after/ {
      for (i = 1; i < NF; i++) { if ($i == "mean") wall = $(i + 1); if ($i == "cpu") cpu = $(i + 1) }
      print wall, cpu }'
}

cpu_us() {
  local end
  end=$(awk -v t="$1" 'BEGIN { printf "%.3f", t + 0.5 }')
  "$cpu_probe" -nodialog -headless -size "$size" -capture frames -fps 10000 -start "$1" -end "$end" 2> /dev/null |
    awk '/engine cpu/ { print $3 }'
}

# The faster of two "WALL CPU" pairs, by wall time.
faster() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); print (a == "" || y[1] + 0 < x[1] + 0) ? b : a }'; }
field() { echo "$1" | cut -d' ' -f"$2"; }
add() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }

parts=(intro points city stars credits)
# Music times well inside each part (intro 0-15.36, points -53.76, city -84.48, stars
# -107.52, credits -138.24), the golden frames' times among them.
times=("4 8 12" "25 35 45" "60 70 80" "90 98 104" "115 126 135")
worst=0
for p in "${!parts[@]}"; do
  [ "$only" = "  " ] || [[ $only == *" ${parts[$p]} "* ]] || continue
  engine_sum=0 bare_sum=0 engine_cpu_sum=0 bare_cpu_sum=0 cpu_sum=0 n=0
  for t in ${times[$p]}; do
    trace_frame bench_parts "$game" "$size" "$t"
    engine="" bare=""
    for ((r = 0; r < rounds; r++)); do
      engine=$(faster "$engine" "$(engine_ms "$t")")
      bare=$(faster "$bare" "$(replay_ms)")
    done
    cpu=$(cpu_us "$t")
    if [ -z "$(field "$engine" 2)" ] || [ -z "$(field "$bare" 2)" ] || [ -z "$cpu" ]; then
      echo "bench_parts: no measurement at $t s (engine '$engine', bare '$bare', cpu '$cpu')" >&2
      exit 1
    fi
    awk -v p="${parts[$p]}" -v t="$t" -v e="$engine" -v b="$bare" -v c="$cpu" -v l="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
      split(e, x, " "); split(b, y, " ")
      printf "  %s at %s s: engine %.2f ms, bare %.2f ms, ratio %.2f; all threads cpu: engine %.2f ms, bare %.2f ms, ratio %.2f; engine cpu %.1f us (load %s)\n",
        p, t, x[1], y[1], x[1] / y[1], x[2], y[2], x[2] / y[2], c, l }' >&2
    engine_sum=$(add "$engine_sum" "$(field "$engine" 1)")
    bare_sum=$(add "$bare_sum" "$(field "$bare" 1)")
    engine_cpu_sum=$(add "$engine_cpu_sum" "$(field "$engine" 2)")
    bare_cpu_sum=$(add "$bare_cpu_sum" "$(field "$bare" 2)")
    cpu_sum=$(add "$cpu_sum" "$cpu")
    n=$((n + 1))
  done
  ratio=$(awk -v e="$engine_sum" -v b="$bare_sum" 'BEGIN { printf "%.2f", e / b }')
  awk -v p="${parts[$p]}" -v e="$engine_sum" -v b="$bare_sum" -v r="$ratio" -v ec="$engine_cpu_sum" -v bc="$bare_cpu_sum" \
    -v c="$cpu_sum" -v n="$n" 'BEGIN {
    printf "part %s: engine %.2f ms, bare %.2f ms, ratio %s, engine cpu %.0f us (all threads cpu ratio %.2f)\n",
      p, e / n, b / n, r, c / n, ec / bc }'
  worst=$(awk -v w="$worst" -v r="$ratio" 'BEGIN { print (r + 0 > w + 0) ? r : w }')
done
printf 'worst ratio %.2f\n' "$worst"
