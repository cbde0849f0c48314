#!/usr/bin/env bash
# A range of the demo played in real time, headless, with no sound device: the music
# clock runs on the silent device, so the frames presented span the range's length, the
# run ends by itself with status 0, and the log has no ERROR row. The range crosses the
# switch from the intro to the second part.
#
# No check holds a time against a deadline. A loaded machine makes frames, start-up and
# teardown slower, never faster, and never changes how fast the music clock runs:
# - the music clock runs at the rate of the process's own steady clock (the program
#   says how much music it heard between its first frame and its last, and over how
#   long), within generous bounds;
# - the frames span no less than the range;
# - the teardown (from the last frame to the process's end) takes no longer than the
#   program took to start and play, which a loaded machine stretches alike.
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
# device, which plays in real time. The time limit only stops a hung run from holding
# the test run; the checks below never need it.
DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=none NEBLU_PRESENT_STATS=1 timeout -k 5 120 \
  "$game" -nodialog -headless -log -size 160x90 -start "$start" -end "$end" > out.txt 2> err.txt || status=$?
ended=$(date +%s.%N)
[ "$status" -eq 0 ] || { tail -20 err.txt; fail "the range ended with status $status"; }
grep -qE "playing silently|silent device|target 'none' not available" err.txt ||
  { cat err.txt; fail "the silent device was not chosen"; }
stats=$(grep -m1 '^platform: presented' err.txt) || { cat err.txt; fail "no frame statistics"; }
read -r frames seconds first < <(sed -E 's/^platform: presented ([0-9]+) frames in ([0-9.]+) s.*the first ([0-9.]+) s after start/\1 \2 \3/' <<<"$stats")
clock=$(grep -m1 '^platform: music clock:' err.txt) || { cat err.txt; fail "no music clock statistics"; }
read -r music least most < <(sed -E 's/^platform: music clock: ([0-9.]+) s of music in ([0-9.]+) to ([0-9.]+) s.*/\1 \2 \3/' <<<"$clock")
echo "$stats"
echo "$clock"
[ "$frames" -ge 2 ] || fail "only $frames frames presented"
range=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')

# The music heard from the first frame to the last, against the steady time between
# them: the rate lies between music/most and music/least, and must come near 1 (a
# clock running at a third of real time gives a third, whatever the load).
awk -v m="$music" -v l="$least" -v h="$most" 'BEGIN { exit !(l > 0 && m / h <= 1.25 && m / l >= 0.8) }' ||
  fail "the music clock ran at $music s of music in $least to $most s: not real time"
# The frames span the range: a frame starts at most one frame time before the music's
# end (a loaded machine can only stretch the span).
awk -v s="$seconds" -v r="$range" 'BEGIN { exit !(s >= r * 0.8) }' ||
  fail "the frames span $seconds s, the range is $range s"
# From the first frame to the end of the process: no sooner than the range's end.
played=$(awk -v a="$began" -v b="$ended" -v f="$first" 'BEGIN { printf "%.3f", b - a - f }')
awk -v p="$played" -v r="$range" 'BEGIN { exit !(p >= r - 0.5) }' ||
  fail "the run ended $played s after its first frame, sooner than the range's $range s"
# The teardown, against the program's own start-up and playing, which load stretches
# alike: it takes a fraction of either when nothing stalls it.
teardown=$(awk -v p="$played" -v s="$seconds" 'BEGIN { printf "%.3f", p - s }')
awk -v t="$teardown" -v f="$first" -v s="$seconds" 'BEGIN { exit !(t <= f + s) }' ||
  fail "the process ended $teardown s after its last frame, longer than its start-up ($first s) and play ($seconds s) together"
grep -q "Goodbye!" data/log.html || fail "the log has no end: the run did not finish"
if sed -n '/<\/style>/,$p' data/log.html | grep -q 'class="error"'; then
  sed -n '/<\/style>/,$p' data/log.html | grep 'class="error"' | sed 's/<[^>]*>/ /g' | head -10
  fail "the log has ERROR rows"
fi
echo "the range $start to $end s plays in real time: $frames frames in $seconds s, the process ended $teardown s after the last"
