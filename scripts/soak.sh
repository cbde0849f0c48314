#!/usr/bin/env bash
# The reload soaks at full length, RELOADS times each (default 1000) in one process:
# - the demo's lit effect through the F9 path, once with the on-disk shader cache (as a
#   reload of an unchanged shader runs) and once without it (every reload through the
#   HLSL compiler);
# - every other kind -watch reloads, through the program's own reload code: a material,
#   a mesh file, an image, the resource script, the priority file, and a scene
#   description with the part written from it.
# Each prints its time per reload, resident memory after the first and the last reload,
# and the live COM and GL object counts, and fails when memory grew past the test's
# bound or any object outlived its reload.
#   scripts/soak.sh [BUILD_DIR] [RELOADS]     (default build, 1000)
# CI runs the same tests with 20 reloads (ctest -L soak).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
reloads=${2:-1000}
for soak in effect_reload_soak kinds_reload_soak; do
  if [ ! -x "$build/tests/$soak" ]; then
    echo "soak.sh: $build/tests/$soak is not built (cmake --build $build --target $soak)" >&2
    exit 2
  fi
done
cd "$build/tests"
status=0
for cache in on off; do
  echo "-- $reloads reloads, shader cache $cache"
  if [ $cache = off ]; then
    DISPLAY= WAYLAND_DISPLAY= NEBLU_EFFECT_CACHE=off NEBLU_SOAK_RELOADS=$reloads ./effect_reload_soak || status=1
  else
    DISPLAY= WAYLAND_DISPLAY= NEBLU_SOAK_RELOADS=$reloads ./effect_reload_soak || status=1
  fi
done
echo "-- $reloads reloads of every other kind"
DISPLAY= WAYLAND_DISPLAY= NEBLU_SOAK_RELOADS=$reloads ./kinds_reload_soak 2>&1 | grep -v '^game: -watch: reloaded' ||
  status=1
exit $status
