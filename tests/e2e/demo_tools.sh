#!/usr/bin/env bash
# Writes the example scene description with demowrite and reads it back with demoinfo:
# the JSON must be the described scene, defaults and automatic handles filled in. Then
# the errors of both tools: a missing, foreign, truncated or oversized file, a folder, a
# FIFO, a negative running time and an unknown interpolation for demoinfo; a script error
# and description errors (a running time below one frame among them), each naming the
# scene file (and the object), for demowrite; usage for both.
#   demo_tools.sh DEMOWRITE DEMOINFO EXAMPLE_SCENE
set -euo pipefail
demowrite=$1
demoinfo=$2
example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

expect() {
  [ "$2" = "$3" ] || { printf '%s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"; exit 1; }
}

# Runs a command that must fail; sets $status and $error (its stderr).
fails() {
  status=0
  error=$("$@" 2>&1 >/dev/null) || status=$?
}

"$demowrite" "$example" example.demo
expect "example scene" \
  '{"length": 250, "objects": [{"type": "Camera", "name": "Camera", "mesh": "", "parent": "", "location": [0, -12, 3], "rotation": [1.3962634, 0, 0], "curves": [{"channel": "LocX", "interpolation": "Bezier", "extrapolation": "Constant", "keys": [[-40.666668, -4, 1, -4, 42.666668, -4], [84.333336, -1.3386881, 126, 0, 167.33333, 1.3279786], [208.66667, 4, 250, 4, 291.33334, 4]]}, {"channel": "LocZ", "interpolation": "Bezier", "extrapolation": "Constant", "keys": [[-82, 3, 1, 3, 84, 3], [200, 3, 250, 2.5, 333, 2.5]]}]}, {"type": "Lamp", "name": "Sun", "mesh": "", "parent": "", "location": [5, -5, 10], "rotation": [0, 0, 0], "curves": []}, {"type": "Empty", "name": "Cart", "mesh": "", "parent": "", "location": [-3, 0, 0], "rotation": [0, 0, 0], "curves": [{"channel": "LocX", "interpolation": "Bezier", "extrapolation": "Constant", "keys": [[-82, -3, 1, -3, 84, -3], [167, 3, 250, 3, 333, 3]]}]}, {"type": "Mesh", "name": "Body", "mesh": "Body", "parent": "Cart", "location": [0, 0, 1], "rotation": [0, 0, 0], "curves": []}, {"type": "Mesh", "name": "FrontWheel", "mesh": "Wheel", "parent": "Cart", "location": [1.2, 0, 0.4], "rotation": [0, 0, 0], "curves": [{"channel": "RotY", "interpolation": "Linear", "extrapolation": "Cyclic_extrapolation", "keys": [[-15.666667, 0, 1, 0, 17.666666, 0], [34.333332, 36, 51, 36, 67.666664, 36]]}]}, {"type": "Mesh", "name": "BackWheel", "mesh": "Wheel", "parent": "Cart", "location": [-1.2, 0, 0.4], "rotation": [0, 0, 0], "curves": [{"channel": "RotY", "interpolation": "Linear", "extrapolation": "Cyclic_extrapolation", "keys": [[-15.666667, 0, 1, 0, 17.666666, 0], [34.333332, 36, 51, 36, 67.666664, 36]]}]}, {"type": "Mesh", "name": "Sign", "mesh": "Sign", "parent": "", "location": [0, 0, 0], "rotation": [0, 0, 1.5707964], "curves": [{"channel": "Layer", "interpolation": "Constant", "extrapolation": "Constant", "keys": [[-65.666664, 0, 1, 0, 67.666664, 0], [134.33333, 2, 201, 2, 267.66666, 2]]}]}]}' \
  "$("$demoinfo" example.demo)"

# Names and text go through JSON escaping.
printf 'length = 1\nobjects = {{"Thing", "a \\"quoted\\"\\\\name\\n"}}\n' > quoted.lua
"$demowrite" quoted.lua quoted.demo
expect "escaped name" \
  '{"length": 1, "objects": [{"type": "Thing", "name": "a \"quoted\"\\name\n", "mesh": "", "parent": "", "location": [0, 0, 0], "rotation": [0, 0, 0], "curves": []}]}' \
  "$("$demoinfo" quoted.demo)"

# Every float reads back as the float32 stored, a negative zero included: a JSON reader
# takes "-0" for the integer 0.
printf 'length = 10\nobjects = {{"Empty", "Zero", location = {0 * -1, 1, 2}, rotation = {0, 0, 0.1}}}\n' > zero.lua
"$demowrite" zero.lua zero.demo
"$demoinfo" zero.demo > zero.json
python3 - zero.json zero.demo <<'PY'
import json, struct, sys
doc = json.load(open(sys.argv[1]))
stored = open(sys.argv[2], "rb").read()
read = doc["objects"][0]["location"] + doc["objects"][0]["rotation"]
# The object's floats follow the header and its four strings ("Empty", "Zero", "", "").
at = 12 + 4 + 5 + 4 + 4 + 4 + 4
want = struct.unpack("<6f", stored[at:at + 24])
got = tuple(struct.unpack("<f", struct.pack("<f", float(v)))[0] for v in read)
same = [struct.pack("<f", a) == struct.pack("<f", b) for a, b in zip(want, got)]
assert all(same), (want, read)
PY

fails "$demoinfo" missing.demo
expect "missing file status" 1 "$status"
expect "missing file" "demoinfo: missing.demo: No such demo file found" "$error"
mkdir folder.demo
fails "$demoinfo" folder.demo
expect "a folder" "1 demoinfo: folder.demo: No such demo file found" "$status $error"
# A FIFO would block the open for ever.
mkfifo pipe.demo
fails "$demoinfo" pipe.demo
expect "a FIFO" "1 demoinfo: pipe.demo: No such demo file found" "$status $error"
# A part that runs backwards would move every later part's start (0 frames is a part
# shown for one pass, which the program knows).
printf 'DEMO\0\0\0\0\373\377\377\377' > negative.demo
fails "$demoinfo" negative.demo
expect "negative length" "1 demoinfo: Demo file negative.demo holds a negative running time in its header (-5 frames)" \
  "$status $error"
printf 'OMED\0\0\0\0\0\0\0\0' > magic.demo
fails "$demoinfo" magic.demo
expect "bad magic" "1 demoinfo: magic.demo: Not NEBLU Demo file format" "$status $error"
# Cut inside the first object, the remaining objects can no longer fit; cut inside the
# last one, the file ends early.
head -c 100 example.demo > truncated.demo
fails "$demoinfo" truncated.demo
expect "truncated" \
  "1 demoinfo: Demo file truncated.demo holds a count of 7 objects in the header, more than its 88 remaining bytes" \
  "$status $error"
printf 'DEMO\377\377\377\177\0\0\0\0' > oversized.demo
fails "$demoinfo" oversized.demo
expect "oversized count" \
  "1 demoinfo: Demo file oversized.demo holds a count of 2147483647 objects in the header, more than its 0 remaining bytes" \
  "$status $error"
# The writer refuses unknown names, so the file is patched: "Linear" becomes "Smooth".
printf 'length = 10\nobjects = {{"Mesh", "Box", curves = {{"LocX", {1, 0}, extrapolation = "Cyclic", interpolation = "Linear"}}}}\n' > box.lua
"$demowrite" box.lua box.demo
head -c 96 box.demo > cut.demo
fails "$demoinfo" cut.demo
expect "ends early" '1 demoinfo: Demo file cut.demo ends early, in curve LocX of object 1 ("Box")' "$status $error"
LC_ALL=C sed 's/Linear/Smooth/' box.demo > smooth.demo
fails "$demoinfo" smooth.demo
expect "unknown interpolation" \
  '1 demoinfo: smooth.demo: object 1 ("Box"), curve "LocX": Smooth interpolation type not supported.' "$status $error"
LC_ALL=C sed 's/Cyclic/Cycled/' box.demo > cycled.demo
fails "$demoinfo" cycled.demo
expect "unknown extrapolation" \
  '1 demoinfo: cycled.demo: object 1 ("Box"), curve "LocX": Cycled extrapolation type not supported.' "$status $error"

printf 'length = 10\nobjects = {\n  {"Mesh", "Box"},\n  {"Mesh", "Lid", parent = "Box", curves = {{"LocZ", {1, 0}, interpolation = "Smooth"}}},\n}\n' > bad.lua
fails "$demowrite" bad.lua bad.demo
expect "description error" \
  '1 demowrite: bad.lua: object 2 ("Lid"): curve 1 (LocZ): Smooth interpolation type not supported. Use "Bezier", "Linear" or "Constant".' \
  "$status $error"
for length in -5 0; do
  printf 'length = %s\nobjects = {}\n' "$length" > length.lua
  fails "$demowrite" length.lua length.demo
  expect "length $length" "1 demowrite: length.lua: length $length is not a running time: it must be at least 1 frame" \
    "$status $error"
done
printf 'length = 10\nobjects = {{"Mesh", "Box", locaton = {0, 0, 1}}}\n' > typo.lua
fails "$demowrite" typo.lua typo.demo
expect "misspelt field" \
  '1 demowrite: typo.lua: object 1 ("Box"): unknown field "locaton" (known fields: mesh, parent, location, rotation, curves)' \
  "$status $error"
printf 'length = 10\nobjects = {{"Mesh", "Box", curves = {{"LocX", {5, 0}, {5, 1}}}}}\n' > order.lua
fails "$demowrite" order.lua order.demo
expect "keys out of order" \
  "1 demowrite: order.lua: object 1 (\"Box\"): curve 1 (LocX): key 2: time 5 is not after the previous key's time 5; keys must be in increasing time" \
  "$status $error"
printf 'length = seconds(2)\nobjects = {{"Mesh", "Box", parent = "Crate"}}\n' > parent.lua
fails "$demowrite" parent.lua parent.demo
expect "missing parent" \
  '1 demowrite: parent.lua: object 1 ("Box"): parent "Crate" names no object of the scene' "$status $error"
printf 'length = 10\nobjects = {{"Mesh", "Box", location = vector(0, 0, 1)}}\n' > script.lua
fails "$demowrite" script.lua script.demo
expect "script error" \
  "1 demowrite: Error in lua script: script.lua:2: attempt to call global 'vector' (a nil value)" "$status $error"
fails "$demowrite" nothing.lua nothing.demo
expect "missing scene" \
  "1 demowrite: Error in lua script: cannot open nothing.lua: No such file or directory" "$status $error"
for f in bad length typo order parent script nothing; do
  [ ! -e "$f.demo" ] || { echo "demowrite left $f.demo after an error"; exit 1; }
done

# The score's sections and a shared prelude: lengths come from the table, helpers from the
# prelude; a table that does not add up, or one cut short, is refused naming its line.
printf 'intro 0 96\npoints 96 48\ntotal 144\n' > sections.txt
printf 'function half(x) return x / 2 end\n' > prelude.lua
printf 'length = sections.points.frames\nobjects = {{"Empty", "Spin", rotation = {0, 0, half(math.pi)}}}\n' > scored.lua
"$demowrite" --sections sections.txt --prelude prelude.lua scored.lua scored.demo
"$demoinfo" scored.demo | grep -q '"length": 48, ' || { "$demoinfo" scored.demo; echo "the section's length was not used"; exit 1; }
"$demoinfo" scored.demo | grep -q '"rotation": \[0, 0, 1.57079' || { echo "the prelude's helper was not run"; exit 1; }
printf 'intro 0 96\npoints 90 48\ntotal 144\n' > gap.txt
fails "$demowrite" --sections gap.txt scored.lua gap.demo
expect "sections with a gap" \
  "1 demowrite: gap.txt:2: points starts at frame 90, not where the one before ends (96)" "$status $error"
printf 'intro 0 96\n' > cut.txt
fails "$demowrite" --sections cut.txt scored.lua cut.demo
expect "sections cut short" "1 demowrite: cut.txt: the total line is missing (the file is cut short)" "$status $error"
fails "$demowrite" --sections
expect "--sections without a file" 2 "$status"
mkdir tables
fails "$demowrite" --sections tables scored.lua tables.demo
expect "a folder for sections" "1 demowrite: tables: cannot be read: it is a folder, not a regular file" "$status $error"

for tool in "$demowrite" "$demoinfo"; do
  "$tool" --help | grep -q '^usage: ' || { echo "$tool --help prints no usage"; exit 1; }
  fails "$tool"
  expect "$tool without arguments" 2 "$status"
  fails "$tool" --frobnicate example.demo
  expect "$tool with an unknown switch" 2 "$status"
done
echo "demowrite and demoinfo output as expected"
