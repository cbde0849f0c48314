# Sourced by the test scripts that watch and stop their own background processes. On a
# machine as busy as a whole test run, an id the shell has already reaped can go to
# another process at once (ids wrap at 32768): `kill -0 ID` would then answer for a
# stranger, and `kill ID` would stop another test's program. These ask the system who
# the process's parent is: only this shell's own children, not yet ended, count.

# running PID: true while PID is a child of this shell that has not ended.
running() {
  local stat rest state parent
  # read, not $(< FILE): under set -e a file gone by then would end the whole script.
  { read -r stat < "/proc/$1/stat"; } 2> /dev/null || return 1
  rest=${stat##*) }  # the command's name, in parentheses, may hold anything
  state=${rest%% *}
  rest=${rest#* }
  parent=${rest%% *}
  [ "$parent" = "$BASHPID" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# signal_job PID [SIGNAL]: sends SIGNAL (TERM unless given) to PID while it is still a
# running child of this shell; nothing otherwise. A child that has not yet become its
# command (the shell's copy between fork and exec) can lose a TERM (seen about 1 in 300
# right after `cmd &`) and go on running: send TERM only to a program known to have
# started, and KILL to end a helper for sure.
signal_job() {
  if running "$1"; then kill -"${2:-TERM}" "$1" 2> /dev/null || true; fi
}
