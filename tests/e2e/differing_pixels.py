#!/usr/bin/env python3
# Prints how many pixels of two pictures differ by more than TOLERANCE in a channel,
# leaving out the rectangles given as X0,Y0,X1,Y1 (pictures of another size: all of
# them). For the end-to-end tests' golden pictures.
#   differing_pixels.py A.png B.png [--tolerance N] [--skip X0,Y0,X1,Y1]...
import argparse
import subprocess


def raw(path):
    size = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                           "stream=width,height", "-of", "csv=p=0", path],
                          capture_output=True, text=True, check=True).stdout.strip().split(",")
    data = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          capture_output=True, check=True).stdout
    return int(size[0]), int(size[1]), data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("a")
    parser.add_argument("b")
    parser.add_argument("--tolerance", type=int, default=8)
    parser.add_argument("--skip", action="append", default=[])
    args = parser.parse_args()
    wa, ha, a = raw(args.a)
    wb, hb, b = raw(args.b)
    if (wa, ha) != (wb, hb):
        print(max(wa * ha, wb * hb))
        return
    skips = [tuple(int(v) for v in s.split(",")) for s in args.skip]
    count = 0
    for y in range(ha):
        for x in range(wa):
            if any(x0 <= x < x1 and y0 <= y < y1 for x0, y0, x1, y1 in skips):
                continue
            i = (y * wa + x) * 3
            if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > args.tolerance:
                count += 1
    print(count)


main()
