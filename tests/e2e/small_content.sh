# Sourced by the end-to-end scripts: writes into DIR/data the least a program needs to
# open its window and start the music: the soundtrack, the effect pool and its
# wireframe fallback, an empty priority file and an empty start-up script.
#   small_content DIR SOUNDTRACK
small_content() {
  local support
  support=$(cd "$(dirname "${BASH_SOURCE[0]}")/../support/content" && pwd)
  mkdir -p "$1/data/fx"
  cp "$2" "$1/data/soundtrack.mp3"
  cp "$support/_shared.fx" "$support/wireframe.fx" "$1/data/fx/"
  cp "$support/wireframe.efx" "$1/data/"
  : > "$1/data/rtpriorities.txt"
  printf 'resources = {\n}\n' > "$1/data/startup.resources"
}
