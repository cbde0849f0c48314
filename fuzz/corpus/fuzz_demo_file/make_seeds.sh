#!/usr/bin/env bash
# Writes the seed demo files of fuzz_demo_file with demowrite:
#   fuzz/corpus/fuzz_demo_file/make_seeds.sh build/tools/demo/demowrite
# example.demo is the example scene (every object kind, parents, all three
# interpolations); empty.demo has no objects; handles.demo holds handles written out, a
# named channel and a lone key.
set -euo pipefail
demowrite=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$demowrite" "$here/../../../tools/demo/example.scene.lua" "$here/example.demo"
printf 'length = 1\nobjects = {}\n' > "$work/empty.lua"
"$demowrite" "$work/empty.lua" "$here/empty.demo"
cat > "$work/handles.lua" <<'LUA'
length = 100
objects = {
  { "Camera", "Eye" },
  { "Mesh", "Glow", mesh = "Ball", parent = "Eye", location = {0, 0, -2},
    curves = {
      { "LocZ", {1, 0, right = {20, 4}}, {50, 2, left = {40, 3}}, {100, 0}, extrapolation = "Cyclic" },
      { "Layer", {1, 0.5} },
    } },
}
LUA
"$demowrite" "$work/handles.lua" "$here/handles.demo"
