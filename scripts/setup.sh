#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the demo need.
# Idempotent: packages already present are left alone, and the package lists
# are refreshed at most once per run. Works as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  # engine dependencies
  liblua5.1-0-dev libboost-dev libboost-filesystem-dev
  # effects: HLSL to SPIR-V, SPIR-V to GLSL
  libshaderc-dev glslang-dev spirv-tools libspirv-cross-c-shared-dev
  # windows, dialog controls, message boxes, audio
  libsdl2-dev libfltk1.3-dev libmpg123-dev libsndfile1-dev libkissfft-dev
  # graphics: GL 4.5 through libepoxy, headless EGL on Mesa; image files
  libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri libstb-dev zlib1g-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # window tests under a virtual display; the dialog tests click through XTest, the
  # program test lists the windows it opened
  xvfb xauth libxtst-dev x11-utils
  # the display tests run again under a real window manager
  openbox
  # the serif face the settings dialog asks for by a name this system does not have
  fonts-liberation2
  # the soundtrack, synthesised at build time and encoded to MP3
  lame
  # -video encodes through ffmpeg; the video test reads the result back with ffprobe
  ffmpeg
  # gltf2demo reads glTF scenes through tinygltf
  libtinygltf-dev
  # gltf2demo: WebP textures (EXT_texture_webp) become PNG files
  libwebp-dev
  # the developer overlay drawn over the window (its SDL2 and GL glue is ours)
  libimgui-dev
  # bench_parts traces a frame's GL calls and replays them bare
  apitrace
  # the broken-file test lists the data files a good run opens
  strace
  # tool tests read the JSON the tools print
  python3
  # PNG frames of a capture are compressed with libdeflate
  libdeflate-dev
  # the release packages: dependencies computed by dpkg-shlibdeps, which finds the
  # binaries with file; lintian checks the packages
  dpkg-dev file lintian
)

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: run as root or install sudo" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
