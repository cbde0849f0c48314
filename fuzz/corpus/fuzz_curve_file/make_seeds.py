#!/usr/bin/env python3
"""Writes the seed curve files of fuzz_curve_file next to this script: a colour ramp
curve of nine points, two objects of one name with a turned location, an empty curve and
a one-point curve, and a file cut off inside a curve."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def vec(x, y, z):
    return struct.pack("<3f", x, y, z)


def curve(knots):
    # File order per point: left handle, knot, right handle; then the segment lengths.
    body = struct.pack("<i", len(knots))
    for (x, y, z) in knots:
        body += vec(x - 0.25, y, z) + vec(x, y, z) + vec(x + 0.25, y, z)
    body += struct.pack("<f", 1.0) * max(len(knots) - 1, 0)
    return body


def obj(name, location, rotation, curves):
    body = struct.pack("<i", len(name)) + name + vec(*location) + vec(*rotation)
    return body + struct.pack("<i", len(curves)) + b"".join(curves)


def curves_file(objects):
    return b"CURV" + struct.pack("<i", len(objects)) + b"".join(objects)


ramp = [(k / 8.0, 1.0 - k / 8.0, 0.5) for k in range(9)]
seeds = {
    "colour_ramp.curves": curves_file([obj(b"Curve", (0, 0, 0), (0, 0, 0), [curve(ramp)])]),
    "repeated_objects.curves": curves_file([
        obj(b"Path", (1, 2, 3), (1.5708, 0, 0.5), [curve([(0, 0, 0), (1, 1, 1)]), curve([])]),
        obj(b"Path", (0, 0, 0), (0, 0, 3.1416), [curve([(2, 2, 2)])]),
    ]),
    "truncated.curves": curves_file([obj(b"Curve", (0, 0, 0), (0, 0, 0), [curve(ramp)])])[:150],
}
for name, data in seeds.items():
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)
