# Sourced by the test scripts that watch and stop their own background processes. On a
# machine as busy as a whole test run, an id the shell has already reaped can go to
# another process at once (ids wrap at 32768): `kill -0 ID` would then answer for a
# stranger, and `kill ID` would stop another test's program. These ask the shell's own
# table of jobs instead, which forgets nothing and knows no strangers.

# running PID: true while PID is a background job of this shell that has not ended.
running() {
  local job
  for job in $(jobs -pr); do
    [ "$job" = "$1" ] && return 0
  done
  return 1
}

# signal_job PID [SIGNAL]: sends SIGNAL (TERM unless given) to PID while it is still a
# running job of this shell; nothing otherwise.
signal_job() {
  if running "$1"; then kill -"${2:-TERM}" "$1" 2> /dev/null || true; fi
}
