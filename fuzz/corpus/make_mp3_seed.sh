#!/usr/bin/env bash
# Writes the seed of fuzz_mp3_stream: a tenth of a second of a 1 kHz sine, mono, 32 kbit/s.
#   fuzz/corpus/make_mp3_seed.sh
set -euo pipefail
export LC_ALL=C  # awk writes bytes, not characters
cd "$(dirname "$0")"
awk 'BEGIN { for (i = 0; i < 4410; i++) { v = int(16000 * sin(2 * 3.14159265 * 1000 * i / 44100));
             if (v < 0) v += 65536; printf "%c%c", v % 256, int(v / 256) } }' /dev/null |
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 32 - fuzz_mp3_stream/sine_100ms.mp3
