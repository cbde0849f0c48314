#!/usr/bin/env bash
# A capture is a function of the music time alone: the same short range of the city,
# captured again and again with every core kept busy by this script, comes out the same
# bytes each time. Each run also changes what the rest of the process does around the
# engine (the driver's rasteriser threads, fewer or more than the cores; the allocator's
# arenas and caches), as other machines and other loads do: where objects land in memory
# and which thread runs when must not show in a frame.
#   capture_under_load.sh GAME DATA_DIR
set -euo pipefail
game=$1
data=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/own_jobs.sh"
work=$(mktemp -d)
busy=()
cleanup() {
  local job
  for job in "${busy[@]}"; do signal_job "$job"; done
  wait 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$*"; exit 1; }

mkdir -p "$work/data"
(cd "$data" && find . -type f ! -name log.html -printf '%P\0' | xargs -0 cp --parents -t "$work/data")
cd "$work"

for _ in $(seq "$(nproc)"); do
  # A shell loop, not a tool that may be missing: it only has to keep a core busy.
  (while :; do :; done) &
  busy+=($!)
done

# The city at a minute in, where its block stands on the ground and casts its shadows.
capture() {  # capture NAME [VARIABLE=VALUE...]
  local name=$1 status=0
  shift
  env DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=none "$@" timeout -k 5 120 \
    "$game" -nodialog -headless -size 320x180 -fps 10 -start 60 -end 60.4 -capture "$name" \
    > "$name.out" 2> "$name.err" || status=$?
  [ "$status" -eq 0 ] || { tail -20 "$name.err"; fail "capture $name ($*): exit status $status"; }
  [ "$(ls "$name" | wc -l)" -eq 4 ] || { ls "$name"; fail "capture $name ($*) has not 4 frames"; }
}

capture first
! cmp -s first/frame000000.png first/frame000003.png || fail "the range does not move: nothing to compare"
runs=(
  "again"
  "one_thread LP_NUM_THREADS=1"
  "more_threads_than_cores LP_NUM_THREADS=$(($(nproc) * 2 + 1))"
  "one_arena GLIBC_TUNABLES=glibc.malloc.arena_max=1"
  "no_thread_cache GLIBC_TUNABLES=glibc.malloc.tcache_count=0"
)
differing=()
for run in "${runs[@]}"; do
  read -r -a words <<< "$run"
  capture "${words[@]}"
  for frame in first/*.png; do
    cmp -s "$frame" "${words[0]}/${frame#first/}" || differing+=("${frame#first/} (${run})")
  done
done
[ "${#differing[@]}" -eq 0 ] || fail "frames differ from the first capture's: ${differing[*]}"
echo "${#runs[@]} more captures under load, each the same bytes as the first"
