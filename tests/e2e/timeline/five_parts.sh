# Five small parts for tests of the program over time: the music, the start-up files
# and, in each part, a red mark (timeline/mark.fx) at its own x on the screen's middle
# row and a sweep along the top row over the part's length. Every other mesh the program
# makes or changes at start-up is a cube drawn with the fallback material.
#   five_parts WORK SOUNDTRACK CREDITS_CURVES DEMOWRITE MESHES "LENGTHS..." "MARK_XS..."
five_parts() {
  local work=$1 soundtrack=$2 credits_curves=$3 demowrite=$4 meshes=$5
  local lengths=($6) marks=($7)
  local here data mesh part i
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  source "$here/small_content.sh"
  small_content "$work" "$soundtrack"
  data=$work/data
  "$credits_curves" "$data/credits.curves"
  cp "$here/timeline/mark.fx" "$here/timeline/mark_colour.fxh" "$data/fx/"
  # The program post-processes these files at start-up; a cube stands in for each. The
  # meshes it makes or changes are drawn with the fallback material.
  for mesh in points.demo_scene/Cubes city.demo_scene/Cube city.demo_scene/Sofa credits.demo_scene/creditB \
              credits.demo_scene/and credits.demo_scene/creditA credits.demo_scene/Sofa credits.demo_scene/Sofa.001; do
    mkdir -p "$data/$(dirname "$mesh")"
    cp "$meshes/cube16.nbl" "$data/$mesh.nbl"
  done
  for mesh in points.demo_scene/Cube intro.demo_scene/Grid points.demo_scene/Cubes points.demo_scene/Flashes \
              points.demo_scene/Bubbles points.demo_scene/Electric city.demo_scene/Cube city.demo_scene/Sofa \
              city.demo_scene/Stars stars.demo_scene/Smoke credits.demo_scene/creditB credits.demo_scene/and \
              credits.demo_scene/creditA credits.demo_scene/Sofa credits.demo_scene/Sofa.001; do
    mkdir -p "$data/$(dirname "$mesh")"
    cp "$data/wireframe.efx" "$data/$mesh.nbl.efx"
  done
  local parts=(intro points city stars credits)
  for i in 0 1 2 3 4; do
    part=${parts[$i]}
    mkdir -p "$data/$part.demo_scene"
    for mesh in Mark Sweep; do
      cp "$meshes/quad.nbl" "$data/$part.demo_scene/$mesh.nbl"
      cp "$here/timeline/mark.efx" "$data/$part.demo_scene/$mesh.nbl.efx"
    done
    sed -e "s/@LENGTH@/${lengths[$i]}/g" -e "s/@X@/${marks[$i]}/" "$here/timeline/part.scene.lua.in" > "$work/$part.scene.lua"
    "$demowrite" "$work/$part.scene.lua" "$data/$part.demo"
  done
}

# Frame N of FOLDER as raw RGB, the frames 160x90.
width=160 height=90
# (od reads only what it needs, so ffmpeg's complaint about the closed pipe is dropped.)
rgb() { ffmpeg -v error -i "$1/$(printf 'frame%06d.png' "$2")" -f rawvideo -pix_fmt rgb24 - 2> /dev/null || true; }
# "r,g,b" of the pixel at clip-space x, y in a raw frame on standard input.
pixel_at() {
  local px py
  px=$(awk -v x="$1" -v w=$width 'BEGIN { printf "%d", (x + 1) / 2 * w }')
  py=$(awk -v y="$2" -v h=$height 'BEGIN { printf "%d", (1 - y) / 2 * h }')
  od -An -tu1 -j $(( (py * width + px) * 3 )) -N3 | awk '{ printf "%s,%s,%s", $1, $2, $3 }'
}
