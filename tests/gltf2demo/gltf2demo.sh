#!/usr/bin/env bash
# gltf2demo from the command line: usage and --help, the tests' scene as text and as
# binary glTF (the same demo file from both), demoinfo reading back its curves, and the
# message and status for a file that is not there.
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
for args in "" "only.gltf" "a.gltf out" "--frobnicate a.gltf out x" "a.gltf out sub/name" "--animation x a.gltf out x"; do
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
echo "gltf2demo: all checks passed"
