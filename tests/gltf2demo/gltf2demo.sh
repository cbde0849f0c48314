#!/usr/bin/env bash
# gltf2demo from the command line: usage and --help, the tests' scene as text and as
# binary glTF (the same demo file from both), demoinfo reading back its curves, and the
# message and status for a file that is not there, one past the budget, and files that
# are not regular files.
#   gltf2demo.sh GLTF2DEMO DEMOINFO TEST_SCENE
set -euo pipefail
gltf2demo=$1
demoinfo=$2
scene=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }
cd "$work"

status() { local s=0; "$@" > out.txt 2> err.txt || s=$?; echo "$s"; }

[ "$(status "$gltf2demo" --help)" = 0 ] || fail "--help: not status 0"
grep -q "^usage: gltf2demo" out.txt || fail "--help prints no usage"
for args in "" "only.gltf" "a.gltf out" "--frobnicate a.gltf out x" "a.gltf out sub/name" "--animation x a.gltf out x" \
            "--length 1e12 a.gltf out x" "--scale 0 a.gltf out x" "--scale -2 a.gltf out x" "--scale nan a.gltf out x" \
            "--scale 1e9 a.gltf out x" "--scale a.gltf out x"; do
  # shellcheck disable=SC2086
  [ "$(status "$gltf2demo" $args)" = 2 ] || fail "'$args': not the usage status 2"
  grep -q "^usage: gltf2demo" err.txt || fail "'$args': no usage on standard error"
done

mkdir text binary
"$scene" text
"$scene" --glb binary
[ "$(status "$gltf2demo" text/scene.gltf text part)" = 0 ] || { cat err.txt; fail "the text scene: not converted"; }
grep -q "left out: light 'Bulb'" err.txt || fail "the point light is not named as left out"
[ "$(status "$gltf2demo" binary/scene.glb binary part)" = 0 ] || { cat err.txt; fail "the binary scene: not converted"; }
cmp -s text/part.demo binary/part.demo || fail "the text and binary forms of one scene give different demo files"
for mesh in Base Spinner Post; do
  cmp -s "text/part.demo_scene/$mesh.nbl" "binary/part.demo_scene/$mesh.nbl" || fail "$mesh.nbl differs between the forms"
  [ -s "text/part.demo_scene/$mesh.nbl.efx" ] || fail "$mesh has no material"
done

[ "$(status "$demoinfo" text/part.demo)" = 0 ] || { cat err.txt; fail "demoinfo refuses the demo file"; }
json=$(cat out.txt)
for curve in '"channel": "RotX", "interpolation": "Linear"' '"channel": "RotZ", "interpolation": "Linear"' \
             '"channel": "LocZ", "interpolation": "Bezier"' '"type": "Camera", "name": "Camera"' \
             '"type": "Lamp", "name": "Lamp", "mesh": "", "parent": "Sun"' '"length": 50'; do
  grep -qF "$curve" <<< "$json" || fail "demoinfo shows no $curve"
done

[ "$(status "$gltf2demo" gone.gltf out part)" = 1 ] || fail "a missing scene: not status 1"
[ "$(cat err.txt)" = "gltf2demo: gone.gltf: cannot be opened" ] || fail "a missing scene: '$(cat err.txt)'"
[ ! -e out ] || fail "a failed conversion left an output folder"
# A file that asks for far more than it holds: 16777215 vertices from a sparse accessor
# without a buffer view, shown by three nodes. It is refused before anything is read or
# written, naming the budget, which --help states.
grep -q "at most 8000000 vertices" <("$gltf2demo" --help) || fail "--help does not state the vertex budget"
grep -q "1 GiB (1073741824 bytes)" <("$gltf2demo" --help) || fail "--help does not state the byte budget"
cat > bomb.gltf <<'JSON'
{"asset": {"version": "2.0"},
 "buffers": [{"byteLength": 16, "uri": "data:application/octet-stream;base64,AAAAAAAAgD8AAABAAABAQA=="}],
 "bufferViews": [{"buffer": 0, "byteLength": 4}, {"buffer": 0, "byteOffset": 4, "byteLength": 12}],
 "accessors": [{"componentType": 5126, "count": 16777215, "type": "VEC3",
                "sparse": {"count": 1, "indices": {"bufferView": 0, "componentType": 5125}, "values": {"bufferView": 1}}}],
 "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
 "nodes": [{"mesh": 0}, {"mesh": 0}, {"mesh": 0}], "scenes": [{"nodes": [0, 1, 2]}]}
JSON
[ "$(status "$gltf2demo" bomb.gltf bombed part)" = 1 ] || fail "a file past the budget: not status 1"
[ "$(cat err.txt)" = "gltf2demo: bomb.gltf: mesh '0': at least 16777215 more vertices would make at least 16777215, more than the budget of 8000000 vertices in the mesh files for one glTF file (see gltf2demo --help)" ] ||
  fail "a file past the budget: '$(cat err.txt)'"
[ ! -e bombed ] || fail "a file past the budget left an output folder"

# Only regular files are read: a buffer that names a FIFO (which would block the read
# for ever), a folder given as the scene, and an empty file each fail naming the file.
mkfifo pipe.bin
printf '{"asset": {"version": "2.0"}, "buffers": [{"byteLength": 12, "uri": "pipe.bin"}]}' > piped.gltf
: > empty.gltf
for case in "piped.gltf|gltf2demo: piped.gltf: the file 'pipe.bin' that it names cannot be read: it is a FIFO, not a regular file" \
            "text|gltf2demo: text: cannot be read: it is a folder, not a regular file" \
            "empty.gltf|gltf2demo: empty.gltf: is empty, not a glTF file"; do
  [ "$(status "$gltf2demo" "${case%%|*}" refused part)" = 1 ] || fail "${case%%|*}: not status 1"
  [ "$(cat err.txt)" = "${case#*|}" ] || fail "${case%%|*}: '$(cat err.txt)'"
done
[ ! -e refused ] || fail "a refused file left an output folder"
echo "gltf2demo: all checks passed"
