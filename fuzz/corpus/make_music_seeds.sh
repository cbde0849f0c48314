#!/usr/bin/env bash
# Writes the seeds of fuzz_music_file: a tenth of a second of a 1 kHz sine, mono at
# 8 kHz, in every format the stream call reads, and a FLAC file behind an ID3 tag.
#   fuzz/corpus/make_music_seeds.sh
set -euo pipefail
cd "$(dirname "$0")"
out=fuzz_music_file
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg=(ffmpeg -nostdin -hide_banner -loglevel error -y)
"${ffmpeg[@]}" -f lavfi -i sine=frequency=1000:sample_rate=8000:duration=0.1 -ac 1 "$out/sine_100ms.wav"
"${ffmpeg[@]}" -i "$out/sine_100ms.wav" "$out/sine_100ms.aiff"
"${ffmpeg[@]}" -i "$out/sine_100ms.wav" "$out/sine_100ms.flac"
"${ffmpeg[@]}" -i "$out/sine_100ms.wav" -c:a libvorbis -q:a 0 "$out/sine_100ms.ogg"
lame --quiet -b 32 "$out/sine_100ms.wav" "$out/sine_100ms.mp3"
# ID3v2.3, no flags, a body of ten zero bytes.
printf 'ID3\003\000\000\000\000\000\012\000\000\000\000\000\000\000\000\000\000' > "$work/tag"
cat "$work/tag" "$out/sine_100ms.flac" > "$out/id3_sine_100ms.flac"
