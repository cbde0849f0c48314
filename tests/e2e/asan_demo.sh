#!/usr/bin/env bash
# The whole demo under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer
# (the sanitizer build only): a small capture from the first frame to the last ends with
# status 0, every frame of the music is there, the log has no ERROR row, and nothing
# reports an error or a leak. Leaks are suppressed only inside Mesa's libraries
# (tests/lsan.supp), so one of ours still fails the run.
#   asan_demo.sh GAME DATA_DIR SUPPRESSIONS [FPS]
set -euo pipefail
game=$1
data=$2
suppressions=$3
fps=${4:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

mkdir -p "$work/data"
# The log and the quad's image are the program's own output; tests running in the
# build's data/ write them there now and then.
(cd "$data" && find . -type f ! -name log.html ! -name quad.nbl -printf '%P\0' | xargs -0 cp --parents -t "$work/data")
cd "$work"
export DISPLAY= WAYLAND_DISPLAY=
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=1"
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"
status=0
began=$(date +%s)
timeout -k 10 1500 "$game" -nodialog -headless -log -size 160x90 -capture frames -fps "$fps" > out.txt 2> err.txt ||
  status=$?
echo "the whole demo took $(( $(date +%s) - began )) s under the sanitizers at $fps fps"
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer' err.txt; then
  grep -E -A40 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' err.txt | head -80
  fail "a sanitizer reported an error"
fi
[ "$status" -eq 0 ] || { tail -20 err.txt; fail "the demo ended with status $status"; }
grep -q "Goodbye!" data/log.html || fail "the log has no end: the run did not finish"
# The parts add up to the music: 138.24 s.
frames=$(find frames -name '*.png' | wc -l)
expected=$(awk -v f="$fps" 'BEGIN { printf "%d", 138.24 * f }')
[ "$frames" -ge "$expected" ] && [ "$frames" -le $((expected + 3)) ] ||
  fail "$frames frames, expected $expected or so (the whole music)"
if sed -n '/<\/style>/,$p' data/log.html | grep -q 'class="error"'; then
  sed -n '/<\/style>/,$p' data/log.html | grep 'class="error"' | sed 's/<[^>]*>/ /g' | head -20
  fail "the log has ERROR rows"
fi
# What was suppressed, for whoever reads the test's output.
sed -n '/Suppressions used:/,/^-*$/p' err.txt | head -20
echo "the whole demo plays under the sanitizers with no error and no leak of ours"
