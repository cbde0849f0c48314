#!/usr/bin/env bash
# How much the demo moves: captures the whole demo at 160x90, 10 frames a second, from
# the build's data (in a folder of its own), and prints stillness's report: the mean
# difference between consecutive frames a second, and the longest near-still run in
# each part. With SHEET=path.png it also writes a contact sheet, a frame every 3 s.
#   bench/stillness.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
content/assemble.sh "$work/data" "$build" >/dev/null
# Parts begin where the ones before them end: the demo files' lengths, 25 frames a second.
marks=$(for part in intro points city stars; do
  "$build/tools/demo/demoinfo" "$work/data/$part.demo" | python3 -c 'import json, sys; print(json.load(sys.stdin)["length"])'
done | python3 -c 'import sys
t = 0
marks = []
for line in sys.stdin:
    t += int(line) / 25
    marks.append("%.2f" % t)
print(",".join(marks))')
(cd "$work" && DISPLAY= WAYLAND_DISPLAY= "$build/game/orv" -nodialog -headless -size 160x90 -capture frames \
  -fps 10 > capture.txt 2>&1) || { tail -20 "$work/capture.txt" >&2; exit 1; }
"$build/tools/stillness/stillness" --parts "$marks" ${SHEET:+--sheet "$SHEET"} "$work/frames"
