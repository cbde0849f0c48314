#!/usr/bin/env bash
# stillness on frames of our own: ten identical frames, then twenty that alternate. The
# still run is the nine differences between the first ten (0.9 s at 10 a second), in the
# first part; the second part, from 1 s, never holds still. Usage and a missing folder
# are refused.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import struct, sys, zlib
def png(path, grey):
    raw = b"".join(b"\x00" + bytes([grey, grey, grey]) * 4 for _ in range(4))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
for k in range(30):
    png("%s/frame%06d.png" % (sys.argv[1], k), 100 if k < 10 or k % 2 == 0 else 160)
PY
fail=0
out=$("$tool" --parts 1 --sheet "$work/sheet.png" --every 1 "$work")
echo "$out" | grep -q "^part 1 (0.0 to 1.0 s): longest near-still run 0.9 s" || { echo "FAIL: part 1: $out"; fail=1; }
echo "$out" | grep -q "^part 2 (1.0 to 3.0 s): longest near-still run 0.0 s" || { echo "FAIL: part 2: $out"; fail=1; }
echo "$out" | grep -q "^     2  60.00$" || { echo "FAIL: second 2 should differ by 60: $out"; fail=1; }
[ -s "$work/sheet.png" ] || { echo "FAIL: no contact sheet"; fail=1; }
"$tool" --parts 2,1 "$work" > /dev/null 2>&1; [ $? -eq 2 ] || { echo "FAIL: falling part marks accepted"; fail=1; }
"$tool" "$work/none" > /dev/null 2> "$work/err.txt"; [ $? -eq 1 ] && grep -q "none/frame000000.png: not a frame" "$work/err.txt" ||
  { echo "FAIL: a missing folder: $(cat "$work/err.txt")"; fail=1; }
exit $fail
