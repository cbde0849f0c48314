#!/usr/bin/env bash
# What -dev's overlay costs a frame: the same frames of the demo drawn in a window on a
# virtual display of its own (1280x720), on the capture's frame clock with nothing
# written (NEBLU_CAPTURE_SINK=null), with and without -dev; ROUNDS rounds alternating
# the two, each side's fastest kept. Prints the mean wall and CPU time a frame (all the
# process's threads) of each and their difference, which is the overlay's: building its
# panels, drawing them over the window and reading the pointer.
#   bench/overlay_cost.sh [BUILD_DIR] [START] [SECONDS] [ROUNDS]   (build, 60, 4, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd)
start=${2:-60} seconds=${3:-4} rounds=${4:-3}
end=$(awk -v s="$start" -v d="$seconds" 'BEGIN { print s + d }')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$build/data" "$work/data"
run() {  # run [SWITCH]: "WALL CPU" ms a frame
  (cd "$work" && NEBLU_CAPTURE_SINK=null NEBLU_PRESENT_STATS=1 "$root/tests/support/xvfb.sh" 1280x720 \
     "$build/game/orv" -nodialog "$@" -capture frames -fps 25 -start "$start" -end "$end" 2>&1 > /dev/null) |
    awk '/frame times after/ { for (i = 1; i < NF; i++) { if ($i == "mean") w = $(i + 1); if ($i == "cpu") c = $(i + 1) } print w, c }'
}
faster() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); print (a == "" || y[1] + 0 < x[1] + 0) ? b : a }'; }
plain="" dev=""
for ((r = 0; r < rounds; ++r)); do
  plain=$(faster "$plain" "$(run)")
  dev=$(faster "$dev" "$(run -dev)")
done
awk -v p="$plain" -v d="$dev" 'BEGIN {
  split(p, x, " "); split(d, y, " ")
  printf "plain %.2f ms a frame (cpu %.2f ms), with the overlay %.2f ms (cpu %.2f ms): the overlay %.2f ms (cpu %.2f ms)\n",
    x[1], x[2], y[1], y[2], y[1] - x[1], y[2] - x[2] }'
