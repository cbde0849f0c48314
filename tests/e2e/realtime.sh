#!/usr/bin/env bash
# A range of the demo played in real time, headless, with no sound device: the music
# clock runs on the silent device, so the frames presented span the range's length, the
# run ends by itself with status 0, and the log has no ERROR row. The range crosses the
# switch from the intro to the second part.
#
# A loaded machine makes frames, start-up and teardown slower, never faster: the
# checks on time are that the run took no less than real time, and that its frames
# did not span much more (a stalled frame or two), never how quickly the process ended.
#   realtime.sh GAME DATA_DIR
set -euo pipefail
game=$1
data=$2
start=14.5
end=16.5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

mkdir -p "$work/data"
# The log is the program's own output; tests running in the build's data/ write it there
# now and then.
(cd "$data" && find . -type f ! -name log.html -printf '%P\0' | xargs -0 cp --parents -t "$work/data")
cd "$work"
status=0
began=$(date +%s.%N)
# No sound output even where the machine has one: the layer falls back to its silent
# device, which plays in real time.
DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=none NEBLU_PRESENT_STATS=1 timeout -k 5 120 \
  "$game" -nodialog -headless -log -size 160x90 -start "$start" -end "$end" > out.txt 2> err.txt || status=$?
ended=$(date +%s.%N)
[ "$status" -eq 0 ] || { tail -20 err.txt; fail "the range ended with status $status"; }
grep -qE "playing silently|silent device|target 'none' not available" err.txt ||
  { cat err.txt; fail "the silent device was not chosen"; }
stats=$(grep -m1 '^platform: presented' err.txt) || { cat err.txt; fail "no frame statistics"; }
read -r frames seconds first < <(sed -E 's/^platform: presented ([0-9]+) frames in ([0-9.]+) s.*the first ([0-9.]+) s after start/\1 \2 \3/' <<<"$stats")
echo "$stats"
range=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
# The frames span the range: a frame starts at most one frame time before the music's
# end, and a frame or two stalled by the machine's load may end after it.
awk -v s="$seconds" -v r="$range" 'BEGIN { exit !(s >= r - 0.5 && s <= r + 5) }' ||
  fail "the frames span $seconds s, the range is $range s"
# From the first frame to the end of the process: no sooner than the range's end.
played=$(awk -v a="$began" -v b="$ended" -v f="$first" 'BEGIN { printf "%.3f", b - a - f }')
awk -v p="$played" -v r="$range" 'BEGIN { exit !(p >= r - 0.5) }' ||
  fail "the run ended $played s after its first frame, sooner than the range's $range s"
[ "$frames" -ge 2 ] || fail "only $frames frames presented"
grep -q "Goodbye!" data/log.html || fail "the log has no end: the run did not finish"
if sed -n '/<\/style>/,$p' data/log.html | grep -q 'class="error"'; then
  sed -n '/<\/style>/,$p' data/log.html | grep 'class="error"' | sed 's/<[^>]*>/ /g' | head -10
  fail "the log has ERROR rows"
fi
echo "the range $start to $end s plays in real time: $frames frames in $seconds s, the process ended $played s after the first"
