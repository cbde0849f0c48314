#!/usr/bin/env bash
# Runs the .nbl inspector on seed files the .nbl writer made (fuzz/make_mesh_seeds): the
# JSON of a 16-bit cube with its chunks out of order, a quad with tangents, a second
# texture set and colours behind the end marker, the built-in quad read through the
# engine's special name, and the error and exit status for a truncated file, a folder, a
# FIFO, an empty and a missing file.
#   nblinfo.sh NBLINFO SEED_DIR
set -euo pipefail
nblinfo=$1
seeds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect() {
  [ "$2" = "$3" ] || { printf '%s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"; exit 1; }
}

expect "cube16.nbl" \
  '{"vertices": 24, "indices": 36, "indexStride": 2, "streams": [{"name": "NORMAL", "format": 6, "semanticIndex": 0}, {"name": "TEXCOORD", "format": 16, "semanticIndex": 0}, {"name": "POSITION", "format": 6, "semanticIndex": 0}], "available": [0, 1, 2], "indexMin": 0, "indexMax": 23}' \
  "$("$nblinfo" "$seeds/cube16.nbl")"

# The extension section's streams are listed too, and only set 0 has a type-map entry.
expect "mapped_quad.nbl" \
  '{"vertices": 4, "indices": 6, "indexStride": 4, "streams": [{"name": "POSITION", "format": 6, "semanticIndex": 0}, {"name": "TEXCOORD", "format": 16, "semanticIndex": 0}, {"name": "TANGENT", "format": 2, "semanticIndex": 0}, {"name": "TEXCOORD", "format": 16, "semanticIndex": 1}, {"name": "COLOR", "format": 2, "semanticIndex": 0}], "available": [0, 2], "indexMin": 0, "indexMax": 3}' \
  "$("$nblinfo" "$seeds/mapped_quad.nbl")"

mkdir "$work/data"
quad=$(cd "$work" && "$nblinfo" 'data\quad.nbl' 2>&1 || true)
expect "data\\quad.nbl is only special under its exact name" "data\\quad.nbl mesh not found" "$quad"
quad=$(cd "$work" && "$nblinfo" data/quad.nbl)
expect "built-in quad" \
  '{"vertices": 4, "indices": 6, "indexStride": 4, "streams": [{"name": "POSITION", "format": 6, "semanticIndex": 0}, {"name": "TEXCOORD", "format": 16, "semanticIndex": 0}], "available": [0, 2], "indexMin": 0, "indexMax": 3}' \
  "$quad"
[ -z "$(ls -A "$work/data")" ] || { echo "files left in data/: $(ls "$work/data")"; exit 1; }
[ ! -e "$work/data/log.html" ] || { echo "the tool wrote a log"; exit 1; }

status=0
error=$("$nblinfo" "$seeds/truncated.nbl" 2>&1 >/dev/null) || status=$?
expect "truncated.nbl status" 1 "$status"
expect "truncated.nbl message" "$seeds/truncated.nbl: chunk of kind 5 is 288 bytes long, but only 70 are left" "$error"
# What is not a mesh file: a folder (whose read failed inside the stream and aborted the
# tool), a FIFO (whose open would block for ever), an empty file and a missing one.
mkdir "$work/folder.nbl"
mkfifo "$work/pipe.nbl"
: > "$work/empty.nbl"
for case in "folder.nbl|folder.nbl is a folder, not a .nbl mesh" "pipe.nbl|pipe.nbl is a FIFO, not a .nbl mesh" \
            "empty.nbl|empty.nbl is not a .nbl mesh" "gone.nbl|gone.nbl mesh not found"; do
  status=0
  error=$(cd "$work" && "$nblinfo" "${case%%|*}" 2>&1 >/dev/null) || status=$?
  expect "${case%%|*}" "1 ${case#*|}" "$status $error"
done
echo "nblinfo output as expected"
