#!/usr/bin/env bash
# The effect reload soak at full length: the demo's lit effect reloaded RELOADS times
# (default 1000) through the F9 path in one process, once with the on-disk shader cache
# (as a reload of an unchanged shader runs) and once without it (every reload through
# the HLSL compiler). Each run prints its time per reload, resident memory after the
# first and the last reload, and the live COM and GL object counts, and fails when
# memory grew past the test's bound or any object outlived its reload.
#   scripts/soak.sh [BUILD_DIR] [RELOADS]     (default build, 1000)
# CI runs the same test with 20 reloads (ctest -L soak).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
reloads=${2:-1000}
soak="$build/tests/effect_reload_soak"
if [ ! -x "$soak" ]; then
  echo "soak.sh: $soak is not built (cmake --build $build --target effect_reload_soak)" >&2
  exit 2
fi
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
exit $status
