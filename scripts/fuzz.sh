#!/usr/bin/env bash
# Runs every fuzz target in a fuzz build for a number of seconds each, starting from the
# seed corpus in fuzz/corpus/<target> when there is one.
#   scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}

status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "-- $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    tail -40 "$work.log"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
