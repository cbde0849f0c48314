#!/usr/bin/env bash
# The program with -nodialog on a real X server (Xvfb), at 1024x768 and 1280x1024, with
# no window manager and with openbox: its window covers the screen, and the screen shows
# exactly a frame the program drew (the frames it captured at the same time).
#
# The capture paces the run: every frame file is a named pipe nobody reads until the
# checks are done, so the program stops a few frames in with its last frame on screen.
#   display.sh GAME DATA_DIR WITH_WINDOW_MANAGER_SCRIPT
# (It calls itself as `display.sh --one-run GAME WORK LABEL WIDTH HEIGHT` on each display.)
set -euo pipefail
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }
pid=
here=$(cd "$(dirname "$0")" && pwd)
source "$here/paced_capture.sh"
source "$here/../support/show_windows.sh"


# One run on the display this script was started with.
one_run() {
  local label=$1 width=$2 height=$3 fifos=40 next=0 name geometry i shown= status=0
  trap '[ -z "$pid" ] || signal_job "$pid" KILL' EXIT
  rm -rf "$work/frames" "$work/seen" "$work"/screen*.rgb
  mkdir "$work/frames" "$work/seen"
  frame_pipes "$work/frames" "$fifos"
  (cd "$work" && exec "$game" -nodialog -start 10 -end 10.6 -capture frames -fps 25 > out.txt 2> err.txt) &
  pid=$!
  take() {  # the next frame, into seen/; false once the program has gone
    name=$(printf 'frame%06d.png' "$next")
    read_frame "$work/frames/$name" "$work/seen/$name" || return 1
    next=$((next + 1))
  }
  # The window, once it stands over the whole screen.
  for _ in $(seq 1 600); do
    geometry=$(xwininfo -root -tree 2> /dev/null | grep '"Orv"' | grep -o '[0-9]*x[0-9]*+[-0-9]*+[-0-9]*' | head -1 || true)
    [ "$geometry" = "${width}x${height}+0+0" ] && break
    running "$pid" || fail "$label: the program ended early"
    sleep 0.1
  done
  [ "$geometry" = "${width}x${height}+0+0" ] ||
    { show_windows; fail "$label: the window stands at '$geometry', not over the ${width}x${height} screen"; }
  # A few frames read, the program draws on until its writer is full and holds still
  # with its last frame on screen; that picture is read from the server once two reads
  # agree, then the rest of the frames.
  for i in 1 2 3; do take || fail "$label: frame $next never came"; done
  for _ in $(seq 1 300); do
    ffmpeg -v error -y -f x11grab -video_size "${width}x${height}" -i "$DISPLAY" -frames:v 1 -f rawvideo \
      -pix_fmt rgb24 "$work/screen.rgb" < /dev/null
    if [ -f "$work/screen.before.rgb" ] && cmp -s "$work/screen.rgb" "$work/screen.before.rgb" &&
       ! cmp -s -n $((width * height * 3)) "$work/screen.rgb" /dev/zero; then
      break
    fi
    cp "$work/screen.rgb" "$work/screen.before.rgb"
    sleep 0.1
  done
  while take; do :; done
  for i in $(seq 0 $((next - 1))); do
    name=$(printf 'frame%06d.png' "$i")
    ffmpeg -v error -y -i "$work/seen/$name" -f rawvideo -pix_fmt rgb24 "$work/frame.rgb" < /dev/null
    if cmp -s "$work/frame.rgb" "$work/screen.rgb"; then shown=$i; fi
  done
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "$label: the program exited with status $status"
  [ -n "$shown" ] || fail "$label: the screen shows none of the $next frames the program drew"
  echo "$label: the window covers the screen and shows frame $shown of $next"
}
if [ "${1:-}" = --one-run ]; then
  game=$2 work=$3
  one_run "$4" "$5" "$6"
  exit 0
fi

game=$1
data=$2
with_wm=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$data" "$work/data"
self=$here/$(basename "$0")
xvfb=$here/../support/xvfb.sh
for size in 1024x768 1280x1024; do
  w=${size%x*} h=${size#*x}
  "$xvfb" "$size" "$self" --one-run "$game" "$work" "no window manager, $size" "$w" "$h"
  "$xvfb" "$size" "$with_wm" "$self" --one-run "$game" "$work" "openbox, $size" "$w" "$h"
done
