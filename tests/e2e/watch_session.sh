# Sourced by the -watch tests: a paced headless capture of the program over the five
# small parts of timeline/five_parts.sh, run from $work with -watch, and the steps the
# tests take through it. The caller sets $work and has `fail` defined.

# start_watching GAME [FRAMES]: the program runs with -watch over $work/data (and the
# switches of the array watch_switches, when set), its standard error in
# $work/err.txt; frames come one at a time, as the test reads them, at most FRAMES of
# them (1000 unless given; a busy machine reloads more slowly, and the test reads a frame
# every 50 ms while it waits).
start_watching() {
  mkdir -p frames seen
  fifos=${2:-1000}
  frame_pipes frames "$fifos"
  "$1" -nodialog -headless -log -watch ${watch_switches[@]+"${watch_switches[@]}"} -size 160x90 -capture frames -fps 120 \
    > out.txt 2> err.txt &
  pid=$!
  next=0
}

# take N: reads the next N frames into seen/; the program then goes on that far.
take() {
  local i name
  for ((i = 0; i < $1; ++i)); do
    [ "$next" -lt $((fifos - 50)) ] || fail "the test read $next frames; it should need far fewer"
    printf -v name 'frame%06d.png' "$next"
    read_frame "frames/$name" "seen/$name" || fail "the program ended before frame $next"
    [ -s "seen/$name" ] || fail "frame $next is empty"
    next=$((next + 1))
  done
}
# "r,g,b" at clip-space X Y of seen frame N.
colour_at() { rgb seen "$1" | pixel_at "$2" "$3"; }
reloads() { grep -c ": -watch: reloaded" err.txt || true; }
# Reads frames, letting time pass between them, until COMMAND succeeds: the watcher
# needs a moment of quiet on the clock to reload, and the program runs only while
# frames are read.
reading_until() {
  local deadline=$((SECONDS + 120))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    take 1
    sleep 0.05
  done
}
reloads_past() { [ "$(reloads)" -gt "$1" ]; }
# Reads on to a frame surely drawn after now (the writer's few waiting frames, and the
# one being drawn, come before it); `last` is the newest frame read.
read_on() { take 8; last=$((next - 1)); }

# stop_watching: SIGTERM ends the run as the window's close box would: status 0 and the
# log whole, footer and all. The program finishes writing the frames it holds, so they
# are read until it has gone.
stop_watching() {
  local name status=0
  signal_job "$pid"
  while running "$pid"; do
    printf -v name 'frame%06d.png' "$next"
    if read_frame "frames/$name" /dev/null; then next=$((next + 1)); fi
  done
  wait "$pid" 2> /dev/null || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "after SIGTERM the program exited with status $status"
  [ -s data/log.html ] || fail "the program ended without writing its log"
  local footer=$'</table>\r\nGoodbye!</body></html>\r\n'
  tail -c "${#footer}" data/log.html | cmp -s - <(printf '%s' "$footer") ||
    fail "the log ends without its footer: $(tail -c 200 data/log.html)"
}
