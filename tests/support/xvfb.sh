#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, started for it and stopped after it.
#   xvfb.sh WIDTHxHEIGHT COMMAND...
# The server picks a free display number itself and says which (-displayfd): tests
# started at the same moment never land on one display, as two searches for a free
# number (xvfb-run -a) can make them.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_jobs.sh"
size=$1
shift
dir=$(mktemp -d)
mkfifo "$dir/number"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3> "$dir/number" 2> "$dir/server.log" &
server=$!
trap 'signal_job "$server"; wait "$server" 2> /dev/null || true; rm -rf "$dir"' EXIT
number=
read -r number < "$dir/number" || true
[ -n "$number" ] || { cat "$dir/server.log"; echo "xvfb.sh: the X server did not start"; exit 1; }
export DISPLAY=":$number"
"$@"
