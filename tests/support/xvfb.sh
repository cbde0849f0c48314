#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, started for it and stopped after it.
#   xvfb.sh WIDTHxHEIGHT COMMAND...
# The server picks a free display number itself and says which (-displayfd): tests
# started at the same moment never land on one display, as two searches for a free
# number (xvfb-run -a) can make them.
# -noreset: by default the server resets whenever its last client leaves, closing every
# connection it holds at that moment. A test polling with xwininfo while its program
# starts could then cut the program's new connection: its window vanished and it ran on
# unseen (about 1 start in 40 when clients come and go as the program connects).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_jobs.sh"
size=$1
shift
dir=$(mktemp -d)
mkfifo "$dir/number"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3> "$dir/number" 2> "$dir/server.log" &
server=$!
trap 'signal_job "$server"; wait "$server" 2> /dev/null || true; rm -rf "$dir"' EXIT
number=
read -r number < "$dir/number" || true
[ -n "$number" ] || { cat "$dir/server.log"; echo "xvfb.sh: the X server did not start"; exit 1; }
export DISPLAY=":$number"
"$@"
