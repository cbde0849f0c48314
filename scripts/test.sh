#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build (all labels),
# the unit tests again under AddressSanitizer + UndefinedBehaviorSanitizer, and a short
# run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
# The broken-data-file suite (label malformed, some 280 runs) takes minutes and runs alone.
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== every test again under ASan + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEBLU_SANITIZE=ON -DNEBLU_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz targets (short run)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEBLU_FUZZ=ON \
  -DNEBLU_TESTS=OFF -DNEBLU_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
scripts/fuzz.sh build-fuzz 20
