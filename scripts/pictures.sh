#!/usr/bin/env bash
# Captures the README's pictures, one frame of each part, into docs/ (480x270), with the
# program's own capture switch over the built data/.
#   scripts/pictures.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs
ln -s "$(pwd)/$build/data" "$work/data"
# part and music time: a moment that shows what the part is about
for shot in intro:7.0 points:47.0 city:58.0 stars:98.0 credits:121.0; do
  part=${shot%%:*} at=${shot#*:}
  end=$(awk -v t="$at" 'BEGIN { printf "%.2f", t + 0.1 }')
  (cd "$work" && DISPLAY= WAYLAND_DISPLAY= "$OLDPWD/$build/game/orv" -nodialog -headless -size 480x270 \
     -capture "frames-$part" -fps 10 -start "$at" -end "$end" > /dev/null 2>&1)
  cp "$work/frames-$part/frame000000.png" "docs/$part.png"
  echo "docs/$part.png: $part at $at s"
done
