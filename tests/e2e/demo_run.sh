#!/usr/bin/env bash
# The whole demo, headless, from start to end with -log, captured small and fast: it
# ends by itself after the last part with status 0, every frame of the music's length is
# there, and the log holds no ERROR or WARNING row.
set -euo pipefail
game=$1
data=$2   # the built data/ folder
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; exit 1; }

cp -R "$data" "$work/data"
rm -f "$work/data/log.html"
cd "$work"
status=0
timeout 600 "$game" -nodialog -headless -log -size 160x90 -capture frames -fps 5 > out.txt 2> err.txt || status=$?
[ "$status" -eq 0 ] || { tail -20 err.txt; fail "the demo ended with status $status"; }
grep -q "Goodbye!" data/log.html || fail "the log has no end: the run did not finish"
# The parts add up to the music: 138.24 s at 5 frames a second.
frames=$(ls frames | wc -l)
[ "$frames" -ge 690 ] && [ "$frames" -le 693 ] || fail "$frames frames, expected 691 or so (the whole music)"
if grep -q 'class="warning"\|class="error"' <(sed -n '/<\/style>/,$p' data/log.html); then
  sed -n '/<\/style>/,$p' data/log.html | grep 'class="warning"\|class="error"' | sed 's/<[^>]*>/ /g' | head -20
  fail "the log has ERROR or WARNING rows"
fi
echo "the whole demo plays to its end with a clean log"
