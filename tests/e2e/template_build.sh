# Sourced by the template's tests: NEBLU installed from this build into a prefix of its
# own, examples/template copied to $work/src (a demo maker's folder, which the tests may
# edit) and built out of the tree against that prefix alone (find_package(NEBLU 1.0)),
# with four bars of music from the soundtrack tool put into its data/ as a user puts
# theirs. The caller sets $work and has `fail` defined.

# build_template BUILD_DIR SOURCE_DIR SYNTH_SOUNDTRACK: the program is then
# $work/template/template, its data in $work/template/data.
build_template() {
  local build=$1 source=$2 synth=$3
  cmake --install "$build" --prefix "$work/prefix" > "$work/install.txt" 2>&1 || fail "cmake --install failed"
  local file
  for file in lib/cmake/NEBLU/NEBLUConfig.cmake lib/cmake/NEBLU/NEBLUConfigVersion.cmake \
              lib/cmake/NEBLU/NEBLUDemoData.cmake include/neblu/engine/wrapper.h include/neblu/platform/d3d10.h \
              include/neblu/authoring/programAuthoring.h lib/libneblu-authoring.a lib/pkgconfig/neblu-authoring.pc \
              bin/demowrite bin/nblinfo bin/fxcheck bin/efxinfo bin/demoinfo bin/gltf2demo; do
    [ -e "$work/prefix/$file" ] || [ -e "$work/prefix/${file/lib\//lib/x86_64-linux-gnu/}" ] ||
      fail "the install has no $file"
  done
  cp -R "$source/examples/template" "$work/src"
  # Only the prefix: nothing of this tree is on the template's paths. Libraries built
  # with the sanitizers need a program built with them.
  local flags=()
  if grep -q '^NEBLU_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    flags=(-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
  fi
  cmake -S "$work/src" -B "$work/template" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" "${flags[@]}" \
    > "$work/configure.txt" 2>&1 || fail "the template does not configure against the installed package"
  cmake --build "$work/template" > "$work/build.txt" 2>&1 || fail "the template does not build"
  # The music goes where the demo's own files are; the next build copies it.
  "$synth" "$work/music.wav" --bars 0 4 || fail "no music"
  lame --quiet -b 128 "$work/music.wav" "$work/src/data/soundtrack.mp3" || fail "the music was not encoded"
  cmake --build "$work/template" >> "$work/build.txt" 2>&1 || fail "the template does not build again"
  cmp -s "$work/src/data/soundtrack.mp3" "$work/template/data/soundtrack.mp3" ||
    fail "the build did not copy the music added to the template's data/"
}
