# Sourced by the tests that steer a program's window with the pointer. The caller has
# `fail` and `title` (the window's title as it is now) defined, and sets $pid to the
# program and $steered to the file its output goes to.
source "$(dirname "${BASH_SOURCE[0]}")/../support/own_jobs.sh"

# waiting_for WHAT COMMAND...: until COMMAND succeeds, while the program runs (at most
# 120 s, then the program is killed and the test fails naming WHAT).
waiting_for() {
  local what=$1 deadline=$((SECONDS + 120))
  shift
  until "$@"; do
    running "$pid" || fail "the program ended waiting for $what: $(tail -3 "$steered")"
    [ "$SECONDS" -lt "$deadline" ] || { signal_job "$pid" KILL; fail "no $what; the title is $(title)"; }
    sleep 0.2
  done
}
