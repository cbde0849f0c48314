# Sourced by the end-to-end scripts that pace a capture themselves: every frame file is a
# named pipe, so the program draws a frame only once the one a few before it has been
# read (its writer holds at most a few frames), whatever the machine's speed.
source "$(dirname "${BASH_SOURCE[0]}")/../support/own_jobs.sh"

# frame_pipes FOLDER COUNT: FOLDER/frame000000.png and on, COUNT of them, as named pipes.
frame_pipes() {
  local i
  (cd "$1" && for ((i = 0; i < $2; ++i)); do printf 'frame%06d.png\n' "$i"; done | xargs mkfifo)
}

# read_frame FIFO OUT: copies one frame out of its pipe while the program $pid lives. It
# gives up only once the program has gone (then no writer can come), never while it
# lives: a reader stopped halfway through a frame would end the program with SIGPIPE.
read_frame() {
  cat "$1" > "$2" &
  local reader=$!
  while running "$reader"; do
    if ! running "$pid"; then
      # KILL, not TERM: a reader that has not yet become cat (the shell's child between
      # fork and exec) can lose a TERM, and would then wait for a writer for ever.
      signal_job "$reader" KILL
      wait "$reader" 2> /dev/null || true
      return 1
    fi
    sleep 0.02
  done
  # The reader has gone, so the frame was read whole; its status is not asked for, since
  # a shell that has started many jobs may no longer hold it.
  wait "$reader" 2> /dev/null || true
}
