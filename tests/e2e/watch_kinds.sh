#!/usr/bin/env bash
# -watch reloads every kind of file in a running capture of the program over five small
# parts (timeline/five_parts.sh), the intro's mark sitting at x = -0.8 of the middle row.
# For each kind, a change shows in the frames that follow and a broken save keeps the
# last good picture and names the file (and the line where the owner knows it) in the
# log and on standard error:
# - a material script, and a template it names;
# - an image file behind a texture resource;
# - a mesh file;
# - a demo file, and the scene description it is written from;
# - the resource script and the render-target priority file.
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5
here=$(cd "$(dirname "$0")" && pwd)
work=${KEEP_WORK:-$(mktemp -d)}
pid=
# A program left waiting on a frame nobody reads would never end: it is killed outright.
trap '[ -z "$pid" ] || signal_job "$pid" KILL; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }

source "$here/timeline/five_parts.sh"
source "$here/paced_capture.sh"
source "$here/watch_session.sh"
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "3000 10 10 10 10" "-0.8 -0.4 0 0.4 0.8"
cd "$work"
# The intro's scene description where -watch looks for it, beside data/.
mkdir -p content/scenes
sed -e "s/@LENGTH@/3000/g" -e "s/@X@/-0.8/" "$here/timeline/part.scene.lua.in" > content/scenes/intro.scene.lua
material=data/intro.demo_scene/Mark.nbl.efx
# image R,G,B FILE: a 4 x 4 PNG of one colour, exactly.
image() {
  python3 - "$1" "$2" <<'PY'
import struct, sys, zlib
r, g, b = (int(c) for c in sys.argv[1].split(","))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
rows = b"".join(b"\0" + bytes([r, g, b]) * 4 for _ in range(4))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)) + \
      chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
}
image 255,0,255 data/mark.png

# Sixteen changes, each read through while the watcher waits for quiet and reloads.
start_watching "$game" 6000
take 3
[ "$(colour_at 2 -0.8 0)" = 255,0,0 ] || fail "the mark starts $(colour_at 2 -0.8 0), expected red"

# change WHAT STEP...: STEP changes files; then frames are read until the reload is
# reported, and a little further. Each step's own check follows.
change() {
  local what=$1 before
  shift
  before=$(reloads)
  "$@"
  reading_until reloads_past "$before" || fail "no reload after $what"
  read_on
}
# broken FILE MESSAGE STEP...: STEP breaks FILE; frames are read until its failure is
# reported with MESSAGE (a fixed string), and a little further.
broken() {
  local file=$1 message=$2 seen
  shift 2
  seen=$(grep -c -- "$file" err.txt || true)
  "$@"
  reading_until eval '[ "$(grep -c -- "$file" err.txt || true)" -gt "$seen" ]' ||
    fail "no report of the broken $file"
  grep -qF -- "$message" err.txt || fail "the report of the broken $file does not say '$message'"
  read_on
}
expect() {  # expect X Y COLOUR WHY
  [ "$(colour_at "$last" "$1" "$2")" = "$3" ] || fail "$4: the pixel at $1, $2 is $(colour_at "$last" "$1" "$2"), expected $3"
}

# A material: the mark's colour from a parameter.
write_material() {
  printf 'effect = {\n  {pass = {{fx = "mark", tec = "Mark", params = {{"Tint", "float4", {%s}}}, streams = {{"pos", "POSITION"}}}}},\n}\n' "$1" > "$material"
}
change "a material's change" write_material "0, 0, 1, 1"
expect -0.8 0 0,0,255 "after the material's change"
broken "$material" "Mark.nbl.efx:2:" eval 'printf "effect = {\n  {pass = = 1}}\n" > "$material"'
expect -0.8 0 0,0,255 "after the broken material"

# A template the material names.
write_template() {
  printf 'template = {\n  pass = {{fx = "mark", tec = "Mark", params = {{"Tint", "float4", {%s}}}, streams = {{"pos", "POSITION"}}}},\n}\n' "$1" > data/fx/mark.tpl
}
write_template "0, 1, 0, 1"
change "a material naming a template" eval 'printf "effect = {{template = \"fx/mark.tpl\"}}\n" > "$material"'
expect -0.8 0 0,255,0 "with the template"
change "the template's change" write_template "1, 1, 0, 1"
expect -0.8 0 255,255,0 "after the template's change"

# An image behind a texture resource.
change "a material reading an image" eval 'printf "effect = {{pass = {{fx = \"mark\", tec = \"Textured\", params = {{\"Image\", \"tex\", \"data/mark.png\"}}, streams = {{\"pos\", \"POSITION\"}}}}}}\n" > "$material"'
expect -0.8 0 255,0,255 "with the image"
change "the image's change" image 0,255,255 data/mark.png
expect -0.8 0 0,255,255 "after the image's change"
broken data/mark.png "Failed to create texture data/mark.png" eval 'echo "not a picture" > data/mark.png'
expect -0.8 0 0,255,255 "after the broken image"

# A mesh file: the mark made of a much larger mesh reaches x = -0.55.
expect -0.55 0 255,255,255 "before the mesh's change"
change "the mesh's change" cp "$meshes/orv_city_Ground.nbl" data/intro.demo_scene/Mark.nbl
expect -0.55 0 0,255,255 "after the mesh's change"
broken data/intro.demo_scene/Mark.nbl "Mark.nbl" cp "$meshes/truncated.nbl" data/intro.demo_scene/Mark.nbl
expect -0.55 0 0,255,255 "after the broken mesh"
change "the mesh put back" cp "$meshes/quad.nbl" data/intro.demo_scene/Mark.nbl
expect -0.55 0 255,255,255 "with the mesh put back"

# A demo file: the intro's mark moves to x = -0.4, the part and the music going on.
sed -e "s/@LENGTH@/3000/g" -e "s/@X@/-0.4/" "$here/timeline/part.scene.lua.in" > moved.scene.lua
change "the demo file's change" "$demowrite" moved.scene.lua data/intro.demo
expect -0.4 0 0,255,255 "after the demo file's change"
expect -0.8 0 255,255,255 "after the demo file's change, where the mark was"
broken data/intro.demo "intro.demo" eval 'head -c 20 data/moved.demo 2>/dev/null > data/intro.demo || echo "NBLX" > data/intro.demo'
expect -0.4 0 0,255,255 "after the broken demo file"

# The scene description: written into data/intro.demo, which then reloads.
change "the scene description's change" eval 'sed -i "s/location = {-0.8, 0, 0}/location = {0.2, 0, 0}/" content/scenes/intro.scene.lua'
reading_until eval '[ "$(colour_at $((next - 1)) 0.2 0)" = 0,255,255 ]' || fail "the scene description's mark never showed at 0.2"
broken content/scenes/intro.scene.lua "intro.scene.lua" eval 'echo "objects = {" >> content/scenes/intro.scene.lua'
expect 0.2 0 0,255,255 "after the broken scene description"

# The resource script and the priority file: reloaded without disturbing the picture.
change "the resource script's change" eval 'printf "resources = {\n  {RENDERTARGET, \"Side\", 16, 16, FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING},\n}\n" > data/startup.resources'
expect 0.2 0 0,255,255 "after the resource script's change"
broken data/startup.resources "startup.resources" eval 'printf "resources = {\n  {RENDERTARGET,\n" > data/startup.resources'
expect 0.2 0 0,255,255 "after the broken resource script"
change "the priority file's change" eval 'echo "Side" > data/rtpriorities.txt'
expect 0.2 0 0,255,255 "after the priority file's change"

stop_watching
grep -q "Mark.nbl.efx:2:" data/log.html || fail "the log does not name the broken material's line"
grep -q "intro.scene.lua" data/log.html || fail "the log does not name the broken scene description"
echo "-watch reloads materials, templates, images, meshes, demo files, scene descriptions, resources and priorities"
