#!/usr/bin/env bash
# Builds a complete data/ folder for the demo from content/ and the tools' output:
#   content/assemble.sh OUT_DATA_DIR BUILD_DIR
# BUILD_DIR holds the built tools (meshgen, credits_curves, demowrite) and the soundtrack
# with its section table (data/soundtrack.mp3, data/sections.txt). The build runs this
# for data/; people working on a part run it into a folder of their own and play that.
set -euo pipefail
out=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
"$build/tools/meshgen/meshgen" "$out"
"$build/tools/curves/credits_curves" "$out/credits.curves"
if [ "$(cd "$build/data" && pwd)" != "$(cd "$out" && pwd)" ]; then
  cp "$build/data/soundtrack.mp3" "$build/data/sections.txt" "$out/"
fi
cp -R "$here/data/." "$out/"
for part in intro points city stars credits; do
  "$build/tools/demo/demowrite" --sections "$out/sections.txt" --prelude "$here/scenes/common.lua" \
    "$here/scenes/$part.scene.lua" "$out/$part.demo"
done
# Where each file came from: -watch watches the sources and the overlay saves into them, so
# that an edit is not lost by the next build.
{
  echo "# FILE<TAB>SOURCE: what in this folder was made from which file (written by content/assemble.sh)"
  (cd "$here/data" && find . -type f | LC_ALL=C sort | sed 's|^\./||') | while IFS= read -r file; do
    printf '%s\t%s\n' "$file" "$here/data/$file"
  done
  for part in intro points city stars credits; do
    printf '%s.demo\t%s\n' "$part" "$here/scenes/$part.scene.lua"
  done
} > "$out/origins.txt"
