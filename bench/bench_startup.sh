#!/usr/bin/env bash
# Start-up of the demo program: seconds from the process's start to its first presented
# frame, cold (as on a fresh machine: an empty effect cache and an empty shader cache of
# the GL driver, so every effect and every GL program is compiled) and warm (the caches
# that run filled), and the peak resident memory of a whole headless run (captured at
# 2 frames a second so that it does not take the music's length).
#   bench/bench_startup.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(pwd)/$build/data" "$work/data"
game=$(pwd)/$build/game/orv
cd "$work"
first() {  # the first frame's delay, from the layer's statistics line
  DISPLAY= WAYLAND_DISPLAY= NEBLU_PRESENT_STATS=1 NEBLU_EFFECT_CACHE="$work/cache" MESA_SHADER_CACHE_DIR="$work/mesa" \
    "$game" -nodialog -headless \
    -size 1280x720 -start 1 -end 1.2 -capture frames -fps 10 2>&1 >/dev/null | awk '/presented/ { print $(NF - 3) }'
  rm -rf frames
}
cold=$(first)
warm=$(first)
DISPLAY= WAYLAND_DISPLAY= NEBLU_EFFECT_CACHE="$work/cache" /usr/bin/time -f "%M" -o rss.txt "$game" -nodialog \
  -headless -size 1280x720 -capture frames -fps 2 > /dev/null 2>&1
printf 'start-up cold %.1f s, warm %.1f s, peak rss %d MiB\n' "$cold" "$warm" "$(( $(cat rss.txt) / 1024 ))"
