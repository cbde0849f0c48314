#!/usr/bin/env bash
# Writes the seeds taken from the demo's own content into fuzz/corpus/<target>/, each
# prefixed "orv_": meshes, materials, templates, effects, the resource script, the
# render-target priorities, curves, demo files, scene descriptions, the first frames of
# the soundtrack, and small pictures of the parts for the image decoder. Seeds stay
# under 64 KiB. Run it after a build has made data/:
#   fuzz/corpus/make_content_seeds.sh [DATA_DIR]   (default data/)
set -euo pipefail
cd "$(dirname "$0")/../.."
data=${1:-data}
corpus=fuzz/corpus
limit=65536

# Copies FILE to TARGET's folder as orv_<NAME>, unless it is over the limit.
seed() {
  local target=$1 file=$2 name=$3
  if [ "$(stat -c %s "$file")" -gt "$limit" ]; then
    echo "skipped $file: larger than $limit bytes" >&2
    return
  fi
  mkdir -p "$corpus/$target"
  cp "$file" "$corpus/$target/orv_$name"
}

for part in intro points city stars credits; do
  for mesh in "$data/$part.demo_scene"/*.nbl; do
    [ "$(stat -c %s "$mesh")" -le "$limit" ] && seed fuzz_nbl_mesh "$mesh" "${part}_$(basename "$mesh")"
  done
  for material in "$data/$part.demo_scene"/*.efx; do
    seed fuzz_material "$material" "${part}_$(basename "$material")"
    seed fuzz_lua_script "$material" "${part}_$(basename "$material")"
  done
  seed fuzz_demo_file "$data/$part.demo" "$part.demo"
  seed fuzz_scene_description "content/scenes/$part.scene.lua" "$part.scene.lua"
done
seed fuzz_material "$data/wireframe.efx" wireframe.efx
seed fuzz_material "$data/fx/post.efx" post.efx
seed fuzz_scene_description content/scenes/common.lua common.lua
for template in "$data"/fx/*.tpl; do
  seed fuzz_material_template "$template" "$(basename "$template")"
  seed fuzz_lua_script "$template" "$(basename "$template")"
done
seed fuzz_resource_script "$data/startup.resources" startup.resources
seed fuzz_lua_script "$data/startup.resources" startup.resources
seed fuzz_rtpriorities "$data/rtpriorities.txt" rtpriorities.txt
seed fuzz_curve_file "$data/credits.curves" credits.curves
seed fuzz_score_sections "$data/sections.txt" sections.txt

# Effects: as written for the front end (whose includes resolve in content/data/fx), and
# preprocessed for the parser, which takes the preprocessor's output.
for effect in "$data"/fx/*.fx; do
  name=$(basename "$effect")
  seed fuzz_effect_frontend "$effect" "$name"
  mkdir -p "$corpus/fuzz_effect_parser"
  cpp -P -undef -nostdinc -I "$data/fx" "$effect" >"$corpus/fuzz_effect_parser/orv_$name"
done

# The soundtrack's first frames, whole and cut inside a frame.
mkdir -p "$corpus/fuzz_mp3_stream"
ffmpeg -v error -y -i "$data/soundtrack.mp3" -t 0.2 -c:a copy -map_metadata -1 \
  "$corpus/fuzz_mp3_stream/orv_soundtrack_start.mp3"
head -c 3000 "$data/soundtrack.mp3" >"$corpus/fuzz_mp3_stream/orv_soundtrack_cut.mp3"

# The parts' pictures, shrunk, in the formats ffmpeg writes; the rest by make_image_seeds.py.
for part in intro credits; do
  for format in png jpg gif; do
    ffmpeg -v error -y -i "docs/$part.png" -vf scale=24:14 -frames:v 1 "$corpus/fuzz_image_file/orv_$part.$format"
  done
done
ffmpeg -v error -y -i docs/points.png -vf scale=16:9,format=gray -frames:v 1 "$corpus/fuzz_image_file/orv_grey.png"
ffmpeg -v error -y -i docs/points.png -vf scale=16:9 -pix_fmt rgba -frames:v 1 "$corpus/fuzz_image_file/orv_rgba.png"
python3 fuzz/corpus/make_image_seeds.py

# The parts share some files (the post-processing quad, the sofa), and some are already
# hand-made seeds: one copy of each.
for folder in "$corpus"/*/; do
  (cd "$folder" && md5sum -- * | awk '{ name = $2; if (name ~ /^orv_/) { if ($1 in seen) print name; else seen[$1] = 1 }
                                         else seen[$1] = 1 }' | xargs -r rm --)
done
