#!/usr/bin/env bash
# Installs what is missing, builds, and plays the demo from the folder that holds data/.
# Switches are passed on to the program: scripts/play.sh -log
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target game soundtrack
exec build/game/game "$@"
