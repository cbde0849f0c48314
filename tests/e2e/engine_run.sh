#!/usr/bin/env bash
# Runs engine_run in a fresh folder and checks that the log holds the rows of a whole run
# in order, and that every resource the script declared was destroyed.
set -euo pipefail
program=$1
soundtrack=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/fx"
cp "$soundtrack" "$work/data/soundtrack.mp3"
cp "$here/engine_run/startup.resources" "$work/data/"
cp "$here/engine_run/plain.fx" "$work/data/fx/"
# The effect pool and its wireframe fallback, which every effect file needs.
cp "$here/../support/content/_shared.fx" "$here/../support/content/wireframe.fx" "$work/data/fx/"
cp "$here/../support/content/wireframe.efx" "$work/data/"
: > "$work/data/rtpriorities.txt"
cd "$work"
DISPLAY= WAYLAND_DISPLAY= "$program"

# The message cell of every row, in order.
rows=$(grep -o '<td>[^<]*\(<br />[^<]*\)*</td></tr>' data/log.html | sed -e 's|^<td>||' -e 's|</td></tr>$||')
expected=(
  "Creating window \"Orv\" 320x240x60hz fullscreen: false Backbuffer: 28"
  "Creating depth stencil texture _depthbuffer"
  "Successfully created 320x240x60hz fullscreen: false Backbuffer: 28"
  "Adding new module Screen"
  "Adding new module Input"
  "Adding new module Global Scene Information"
  "Parsing resource script data\\startup.resources"
  "Creating texture data\\checker.png"
  "Creating render target texture half"
  "Creating depth stencil texture shadow"
  "Creating depth stencil texture cascades"
  "Creating .fx effect data\\fx\\plain.fx"
  "Adding new module CloseAfterPasses"
  "Adding new module Timer"
  "Module Timer sucessfully started"
  "Starting main loop"
  "Destroy message received"
  "Releasing D3DDevice"
  "Quit called"
  "Killing all modules"
  "Releasing D3DDevice"
  "Destroying depth stencil texture _depthbuffer"
  "Destroying depth stencil texture cascades"
  "Destroying managed texture data\\checker.png"
  "Destroying .fx effect data\\fx\\plain.fx"
  "Destroying render target texture half"
  "Destroying depth stencil texture shadow"
)
line=0
mapfile -t actual <<<"$rows"
for want in "${expected[@]}"; do
  while [ "$line" -lt "${#actual[@]}" ] && [ "${actual[$line]}" != "$want" ]; do line=$((line + 1)); done
  if [ "$line" -ge "${#actual[@]}" ]; then
    echo "missing or out of order: $want"
    printf '%s\n' "${actual[@]}"
    exit 1
  fi
  line=$((line + 1))
done
grep -q "WARNING\|ERROR" data/log.html && { echo "the run logged a warning or an error"; grep "WARNING\|ERROR" data/log.html; exit 1; }
echo "engine run logged as expected"
