# What bench_parts.sh and profile_frame.sh share: the demo's frame at a music time, traced
# with apitrace and cut after its last call, then replayed alone in a loop by eglretrace.
# Sourced by them; they run with set -euo pipefail.

# trace_workspace NAME BUILD_DIR: checks the tracer is installed, makes a scratch folder
# that sees the build's data/ (removed on exit), goes there and tells every GL user,
# eglretrace's window system library included, that there is no display.
trace_workspace() {
  local tool
  for tool in apitrace eglretrace; do
    command -v "$tool" > /dev/null || { echo "$1: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ln -s "$2/data" "$work/data"
  cd "$work"
  export DISPLAY= WAYLAND_DISPLAY= NEBLU_CAPTURE_SINK=null WAFFLE_PLATFORM=surfaceless_egl
}

# trace_frame NAME GAME SIZE T: frame.trace ends with the last of the frames drawn over
# 5 ms of music from T (the capture clock at 1000 fps, so about six); dump.txt holds the
# whole trace as text, and frame_first and frame_last number that frame's first and last
# calls. The headless surface marks frame ends for tracers.
trace_frame() {
  local end
  end=$(awk -v t="$4" 'BEGIN { printf "%.3f", t + 0.005 }')
  rm -f whole.trace frame.trace
  apitrace trace --api egl -o whole.trace "$2" -nodialog -headless -size "$3" -capture frames -fps 1000 \
    -start "$4" -end "$end" > /dev/null 2>&1
  apitrace dump whole.trace 2> /dev/null > dump.txt
  read -r frame_first frame_last < <(awk '$2 ~ /^glFrameTerminatorGREMEDY\(/ { prev = cur; cur = $1 }
                                          END { print prev + 1, cur }' dump.txt)
  if [ -z "$frame_last" ]; then
    echo "$1: the trace at $4 s has no frame ends (does the layer mark them?)" >&2
    exit 1
  fi
  apitrace trim --calls="0-$frame_last" -o frame.trace whole.trace > /dev/null 2>&1
}

# replay_seconds LOOPS [CALLS]: "WALL CPU", the seconds a replay of frame.trace took that
# loops its last frame LOOPS times, and the CPU time of all its threads; CALLS (an
# eglretrace call set) are left out.
replay_seconds() {
  /usr/bin/time -f "cpu %U %S" eglretrace --headless --benchmark --loop="$1" ${2:+--ignore-calls="$2"} frame.trace 2>&1 |
    awk '/^Rendered/ { wall = $5 } /^cpu / { cpu = $2 + $3 } END { print wall, cpu }'
}

# replay_ms [CALLS]: "WALL CPU" ms a looped frame: two replays that differ only in the
# number of loops, the difference divided by that number, so loading the trace and its
# set-up frames cancel out.
replay_ms() {
  local short long
  short=$(replay_seconds 4 "${1:-}")
  long=$(replay_seconds 34 "${1:-}")
  awk -v s="$short" -v l="$long" 'BEGIN {
    split(s, a, " "); split(l, b, " "); printf "%.3f %.3f", (b[1] - a[1]) / 30 * 1000, (b[2] - a[2]) / 30 * 1000 }'
}
