#!/usr/bin/env bash
# Installs what is missing, builds, and plays the demo from the folder that holds data/.
#   With a display: the settings dialog, then the demo in a window.
#   Without one: renders out/orv.mp4 (1280x720, 30 frames a second, with its music).
# Switches are passed on to the program: scripts/play.sh -log, scripts/play.sh -start 60
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target game

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/game/orv "$@"
fi
mkdir -p out
echo "No display: rendering the demo to out/orv.mp4 (1280x720, 30 fps, with sound)"
rm -f out/orv.mp4
build/game/orv -nodialog -headless -size 1280x720 -fps 30 -video out/orv.mp4 "$@"
[ -s out/orv.mp4 ] || { echo "No video was made: see the messages above and out/orv.mp4.log" >&2; exit 1; }
echo "The demo is in $(pwd)/out/orv.mp4"
