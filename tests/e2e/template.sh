#!/usr/bin/env bash
# A demo of one's own on the installed engine: examples/template built against NEBLU
# installed into a prefix of its own (template_build.sh) and played headless with a
# capture, started from a folder without data/; its frame at 4 s matches the reviewed
# golden picture (NEBLU_UPDATE_GOLDENS=1 writes it; look at it before keeping it).
#   template.sh BUILD_DIR SOURCE_DIR SYNTH_SOUNDTRACK
set -euo pipefail
build=$(cd "$1" && pwd)
source=$2
synth=$3
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden/template.png
work=${KEEP_WORK:-$(mktemp -d)}
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "$*"; for f in install.txt configure.txt build.txt run.txt; do [ ! -f "$work/$f" ] || tail -15 "$work/$f"; done; exit 1; }
export DISPLAY= WAYLAND_DISPLAY=

source "$here/template_build.sh"
build_template "$build" "$source" "$synth"

# The one line gives the template the authoring switches, and --help says so; a program
# on the engine without it is not offered them.
"$work/template/template" --help > "$work/help.txt" || fail "the template's --help failed"
for word in -dev -loop -watch F1 Space; do
  grep -q -- "^  $word " "$work/help.txt" || fail "the template's --help does not list $word: $(cat "$work/help.txt")"
done
# A build system without CMake: the same program from the pkg-config files alone.
sanitize=()
if grep -q '^NEBLU_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then sanitize=(-fsanitize=address,undefined); fi
g++ -std=c++17 -o "$work/by-pkg-config" "$work/src/main.cpp" "$work/src/ringScene.cpp" \
  $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig:$work/prefix/lib/x86_64-linux-gnu/pkgconfig" \
    pkg-config --cflags --libs neblu-authoring) "${sanitize[@]}" > "$work/pkg-config.txt" 2>&1 ||
  fail "the template does not build from pkg-config --cflags --libs neblu-authoring: $(tail -5 "$work/pkg-config.txt")"
"$work/by-pkg-config" --help | grep -q -- "^  -watch " || fail "the template built through pkg-config has no -watch"
if [ -n "${NEBLU_PROGRAM_WITHOUT_AUTHORING:-}" ]; then
  ! "$NEBLU_PROGRAM_WITHOUT_AUTHORING" --help | grep -q -- "-dev\|-watch" ||
    fail "a program without authoring lists its switches in --help"
fi

# Started from another folder: the program finds data/ beside itself.
mkdir "$work/elsewhere" && cd "$work/elsewhere"
../template/template -nodialog -headless -size 320x180 -capture frames -fps 5 -start 4 -end 4.2 > "$work/run.txt" 2>&1 ||
  fail "the template did not play"
[ -s frames/frame000000.png ] || fail "the template captured no frame"

# Without its music the demo cannot play: it says why and fails.
mv "$work/template/data/soundtrack.mp3" "$work/music.mp3"
status=0
../template/template -nodialog -headless -size 320x180 > "$work/run.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "without its music the template ended with status $status, not 1"
grep -q "Failed to load music file. Sorry." "$work/run.txt" || fail "without its music the template did not say why"
mv "$work/music.mp3" "$work/template/data/soundtrack.mp3"
if [ -n "${NEBLU_UPDATE_GOLDENS:-}" ]; then
  cp frames/frame000000.png "$golden"
  echo "wrote $golden"
  exit 0
fi
count=$("$here/differing_pixels.py" frames/frame000000.png "$golden")
if [ "$count" -gt 20 ]; then
  # Kept in the build, never in the source tree.
  failures=${NEBLU_GOLDEN_FAILURES_DIR:-$build/tests/golden-failures}/template_builds_against_the_installed_engine
  mkdir -p "$failures" && cp frames/frame000000.png "$failures/template.actual.png" ||
    fail "the frame differs from its golden in $count pixels (and could not be kept in $failures)"
  fail "the frame differs from its golden in $count pixels; wrote $failures/template.actual.png"
fi
echo "the template builds against the installed NEBLU alone and plays as reviewed"
