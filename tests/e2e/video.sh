#!/usr/bin/env bash
# -video and --help on whole runs, headless: the video holds one H.264 4:2:0 stream with
# exactly the frames presented (the same run's PNG capture counts them and shows them)
# and the music as AAC; an encoder that dies mid-run is reported with its own last words
# and does not take the program down; --help lists every switch and exits 0 before any
# window; a -video that cannot be written, or no ffmpeg on PATH, stops the program with
# status 2 first.
set -euo pipefail
program=$1   # capture_run
game=$2
soundtrack=$3
here=$(cd "$(dirname "$0")" && pwd)

fail() { echo "$*"; exit 1; }
# setup.sh installs ffmpeg; without it this test proves nothing, so it must not pass.
command -v ffmpeg > /dev/null && command -v ffprobe > /dev/null ||
  fail "ffmpeg and ffprobe are not installed: run scripts/setup.sh (package ffmpeg)"

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
source "$here/small_content.sh"
small_content "$work" "$soundtrack"
cd "$work"

probe() {  # probe FILE TYPE ENTRY -> one value per stream of that type
  ffprobe -v error -select_streams "$2" -count_frames -show_entries "stream=$3" -of default=nw=1:nk=1 "$1"
}

# A video and a PNG capture of the same run: the PNG files count the presented frames.
status=0
"$program" -video out.mp4 -capture frames -fps 10 > run.times 2> run.err || status=$?
[ "$status" -eq 0 ] || { cat run.err; fail "-video out.mp4: exit status $status"; }
presented=$(ls frames | wc -l)
[ "$presented" -ge 6 ] || fail "only $presented frames presented"
[ -s out.mp4 ] || { cat run.err; fail "no out.mp4"; }
[ "$(probe out.mp4 v codec_name)" = h264 ] || fail "video streams: $(probe out.mp4 v codec_name | tr '\n' ' '), expected one h264"
[ "$(probe out.mp4 v pix_fmt)" = yuv420p ] || fail "the video is $(probe out.mp4 v pix_fmt), expected yuv420p"
[ "$(probe out.mp4 v width),$(probe out.mp4 v height)" = 160,90 ] || fail "the video is not the window's 160x90"
[ "$(probe out.mp4 v nb_read_frames)" = "$presented" ] ||
  fail "the video has $(probe out.mp4 v nb_read_frames) frames, $presented were presented"
[ "$(probe out.mp4 v r_frame_rate)" = 10/1 ] || fail "the video runs at $(probe out.mp4 v r_frame_rate), -fps was 10"
[ "$(probe out.mp4 a codec_name)" = aac ] || fail "audio streams: '$(probe out.mp4 a codec_name | tr '\n' ' ')', expected one aac"
# The music is longer than the run: the file ends with the video (0.1 s a frame).
awk -v d="$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 out.mp4)" -v n="$presented" \
  'BEGIN { exit !(d >= n * 0.1 - 0.05 && d <= n * 0.1 + 0.1) }' || fail "the file is not as long as its $presented frames"
grep -q "capture: $presented frames (frame000000.png to .*) in /.*/frames and to /.*/out.mp4, " run.err ||
  { cat run.err; fail "no final line naming the frames and the video"; }
# The video shows the PNG frames, within what the encoder loses: a swapped channel or a
# frame out of place would cost far more than 4:2:0 and the quantiser do.
psnr=$(ffmpeg -nostats -i out.mp4 -framerate 10 -i frames/frame%06d.png -lavfi "[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" \
  -f null - 2>&1 | sed -n 's/.*PSNR .* average:\([0-9.inf]*\).*/\1/p')
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 35) }' || fail "the video's frames are not the PNG frames (PSNR '$psnr' dB)"
[ -s out.mp4.log ] || fail "ffmpeg's output did not go to out.mp4.log"
! grep -q "libx264 @" run.err || { cat run.err; fail "ffmpeg's own output reached the terminal of a good run"; }

# Without a soundtrack the video is silent, not refused.
mv data/soundtrack.mp3 soundtrack.mp3
"$program" -video silent.mp4 -fps 10 > /dev/null 2> silent.err || { cat silent.err; fail "-video without music failed"; }
mv soundtrack.mp3 data/soundtrack.mp3
[ -z "$(probe silent.mp4 a codec_name)" ] || fail "a run without music has an audio stream"
[ "$(probe silent.mp4 v codec_name)" = h264 ] || fail "no video in silent.mp4"

# An encoder that gives up at once: the broken pipe is a message, not a killed program,
# and the encoder's last words are shown.
mkdir bin
printf '#!/bin/sh\necho "encoder gave up on purpose" >&2\nexit 3\n' > bin/ffmpeg
chmod +x bin/ffmpeg
status=0
PATH="$work/bin:$PATH" "$program" -video broken.mp4 -fps 10 > /dev/null 2> broken.err || status=$?
[ "$status" -lt 128 ] || { cat broken.err; fail "a dead encoder ended the program by signal $((status - 128))"; }
grep -q -- "-video /.*/broken.mp4: ffmpeg stopped taking frames" broken.err || { cat broken.err; fail "the failed write was not reported"; }
grep -q "ffmpeg failed with status 3" broken.err || { cat broken.err; fail "the encoder's status was not reported"; }
grep -q "encoder gave up on purpose" broken.err || { cat broken.err; fail "the encoder's last lines were not shown"; }
grep -q "the video is not usable" broken.err || { cat broken.err; fail "the final line does not say the video failed"; }

# --help and -help: every switch, one line each, status 0, before any window.
for name in --help -help; do
  for run in "$program" "$game"; do
    status=0
    "$run" "$name" -fps 0 > help.out 2> help.err || status=$?
    [ "$status" -eq 0 ] || { cat help.err; fail "$run $name: exit status $status"; }
    for s in -nodialog -log -headless '-size WxH' '-capture DIR' '-video FILE.mp4' '-fps N\[/D\]' '-start S' '-end S' --help; do
      [ "$(grep -c -- "^  $s[ ,]" help.out)" -eq 1 ] || { cat help.out; fail "$run $name: no line for $s"; }
    done
    ! grep -q "windows:" help.err || fail "$run $name: a window was made before the help"
  done
done

# Refusals: status 2, -video named, no window, nothing written.
mkdir readonly && chmod a-w readonly
refused() {  # refused PROGRAM ARGS...
  local status=0
  "$@" > refused.out 2> refused.err || status=$?
  [ "$status" -eq 2 ] || { cat refused.err; fail "$*: exit status $status, expected 2"; }
  grep -q -- "-video" refused.err || { cat refused.err; fail "$*: the message does not name -video"; }
  ! grep -q "windows:" refused.err || { cat refused.err; fail "$*: a window was made before the refusal"; }
}
if [ "$(id -u)" -ne 0 ]; then
  refused "$program" -video readonly/out.mp4
  refused "$game" -nodialog -headless -video readonly/out.mp4
fi
# /proc refuses new files even to root, so this one holds wherever the test runs.
refused "$program" -video /proc/neblu-video.mp4
refused "$program" -video missing/out.mp4
refused "$program" -video out.avi
refused "$program" -video -fps 10
refused env PATH=/nonexistent "$program" -video nopath.mp4
grep -q "no ffmpeg on PATH" refused.err || { cat refused.err; fail "no ffmpeg: the message does not say so"; }
[ ! -e readonly/out.mp4 ] && [ ! -e nopath.mp4 ] && [ ! -e missing ] || fail "a refused run wrote something"
echo "videos hold every presented frame with the music; --help lists every switch"
