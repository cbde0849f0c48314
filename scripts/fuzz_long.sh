#!/usr/bin/env bash
# Long fuzzing: runs every libFuzzer target of a fuzz build (which is built with
# ASan + UBSan, see fuzz/CMakeLists.txt) for MINUTES each, starting from its seed corpus
# in fuzz/corpus/<target>, and prints one row per target: minutes run, total executions,
# executions per second and crashes found (leaks, timeouts and out-of-memory included).
#
#   scripts/fuzz_long.sh [-b BUILD] [-m MINUTES] [-j JOBS] [-o OUT] [TARGET...]
#     -b BUILD    the fuzz build folder (default build-fuzz)
#     -m MINUTES  minutes per target (default 10)
#     -j JOBS     targets run side by side (default 1); each fuzzer uses one core
#     -o OUT      where corpora, crash inputs and logs go (default out/fuzz_long)
#     TARGET...   only these targets (default: every fuzz_* in BUILD/fuzz)
#   NICE=10 runs the fuzzers at that nice level (default 10).
#
# A fuzzer stops at its first crash; this script saves the input, counts it and starts
# the fuzzer again on what is left of the target's time, from the corpus it has grown
# so far (OUT/<target>/corpus), so one shallow bug does not end the run. Crash inputs
# are OUT/<target>/crash-*, leak-*, timeout-*, oom-*, and those of this run are listed
# after the table; each run's log is beside them.
# Minimize one with: BUILD/fuzz/<target> -minimize_crash=1 -runs=100000 INPUT
# The exit status is 1 when any target crashed.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build-fuzz
minutes=10
jobs=1
out=out/fuzz_long
while getopts "b:m:j:o:h" option; do
  case $option in
    b) build=$OPTARG ;;
    m) minutes=$OPTARG ;;
    j) jobs=$OPTARG ;;
    o) out=$OPTARG ;;
    *) sed -n '2,20p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
nice_level=${NICE:-10}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for target in "$build"/fuzz/fuzz_*; do
    [ -x "$target" ] && targets+=("$(basename "$target")")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz_long.sh: no fuzz targets in $build/fuzz (configure it with -DNEBLU_FUZZ=ON and build it first)" >&2
  exit 2
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)

# Runs one target for its whole time and writes its row to OUT/<target>/row.
run_target() {
  local name=$1 binary="$build/fuzz/$1" dir="$out/$1"
  local budget=$((minutes * 60)) started now left runs=0 executions=0 crashes=0 log n
  mkdir -p "$dir/corpus"
  rm -f "$dir/row" "$dir"/run*.log
  touch "$dir/started"
  local seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  started=$(date +%s)
  while :; do
    now=$(date +%s)
    left=$((started + budget - now))
    [ "$left" -gt 0 ] || break
    runs=$((runs + 1))
    log="$dir/run$runs.log"
    nice -n "$nice_level" "$binary" -max_total_time="$left" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/" "$dir/corpus" "${seeds[@]}" >"$log" 2>&1
    local status=$?
    n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ -z "$n" ]; then
      # A crash report ends the process before the final stats: the last status line
      # ("#1234 ...") holds the count.
      n=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
    fi
    executions=$((executions + ${n:-0}))
    if [ $status -ne 0 ]; then
      crashes=$((crashes + 1))
      # A fuzzer that fails at once (no binary, a bad seed folder) would spin here.
      if [ "${n:-0}" -eq 0 ] && [ $(($(date +%s) - now)) -lt 2 ]; then
        echo "$name: the fuzzer failed without running; see $log" >&2
        break
      fi
    fi
  done
  local elapsed=$(($(date +%s) - started))
  [ "$elapsed" -gt 0 ] || elapsed=1
  printf '%-24s %7.1f %14d %10d %8d\n' "$name" "$(awk -v s="$elapsed" 'BEGIN { print s / 60 }')" "$executions" \
    $((executions / elapsed)) "$crashes" >"$dir/row"
}

for name in "${targets[@]}"; do
  if [ ! -x "$build/fuzz/$name" ]; then
    echo "fuzz_long.sh: $build/fuzz/$name is not built" >&2
    exit 2
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  echo "-- $name for $minutes min" >&2
  run_target "$name" &
done
wait

printf '%-24s %7s %14s %10s %8s\n' target minutes executions "exec/s" crashes
status=0
for name in "${targets[@]}"; do
  cat "$out/$name/row"
  crashes=$(awk '{print $5}' "$out/$name/row")
  [ "$crashes" -eq 0 ] || status=1
done
for name in "${targets[@]}"; do
  for input in "$out/$name"/crash-* "$out/$name"/leak-* "$out/$name"/timeout-* "$out/$name"/oom-*; do
    [ "$input" -nt "$out/$name/started" ] && echo "  $name: $input"
  done
done
exit $status
