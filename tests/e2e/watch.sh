#!/usr/bin/env bash
# -watch in a running capture of the program over five small parts whose red mark takes
# its colour from an included file (timeline/mark_colour.fxh):
# - a change to the included file shows in the frames that follow, with no key pressed;
# - a save that does not compile keeps the last good colour on screen and reports the
#   compiler's message with file and line, in the log and on standard error;
# - ten saves in quick succession reload once.
set -euo pipefail
game=$1
demowrite=$2
credits_curves=$3
soundtrack=$4
meshes=$5
here=$(cd "$(dirname "$0")" && pwd)
work=${KEEP_WORK:-$(mktemp -d)}
pid=
# A program left waiting on a frame nobody reads would never end: it is killed outright.
trap '[ -z "$pid" ] || signal_job "$pid" KILL; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=
fail() { echo "$*"; [ ! -f "$work/err.txt" ] || tail -20 "$work/err.txt"; exit 1; }

source "$here/timeline/five_parts.sh"
source "$here/paced_capture.sh"
# One long first part, so the whole test sees the intro's mark at x = -0.8.
five_parts "$work" "$soundtrack" "$credits_curves" "$demowrite" "$meshes" "3000 10 10 10 10" "-0.8 -0.4 0 0.4 0.8"
colour=$work/data/fx/mark_colour.fxh
cd "$work"

# The capture is paced by this script (paced_capture.sh): without that the whole demo is
# captured in a couple of seconds, and what the checks see would depend on how fast the
# machine is.
source "$here/watch_session.sh"
start_watching "$game"
mark_of() { colour_at "$1" -0.8 0; }

take 3
[ "$(mark_of 2)" = 255,0,0 ] || fail "the mark starts $(mark_of 2), expected red"

# A change to the included file, one save.
echo '#define MARK_COLOUR float4(0, 1, 0, 1)' > "$colour"
reading_until reloads_past 0 || fail "no reload after a change to the included file"
read_on
[ "$(mark_of $last)" = 0,255,0 ] || fail "after the change the mark is $(mark_of $last), expected green"

# A save that does not compile: the green mark stays, the message names file and line.
printf '#define MARK_COLOUR float4(0, 0, 1, 1)\nfloat4 Broken() { return undefinedThing; }\n' > "$colour"
reading_until grep -q "does not compile" err.txt || fail "no report of the broken save"
grep -q "mark_colour.fxh(2)" err.txt || fail "the compiler's message does not name mark_colour.fxh line 2"
# The warning row went to the log before the message to standard error, and is on disk
# already: a run that is killed now keeps it.
grep -q "does not compile" data/log.html || fail "the broken save's warning is not in the log while the program runs"
read_on
[ "$(mark_of $last)" = 0,255,0 ] || fail "after the broken save the mark is $(mark_of $last), expected the last good green"

# Ten saves in quick succession: one reload, to the last one's blue.
before=$(reloads)
for i in 1 2 3 4 5 6 7 8 9 10; do
  echo "#define MARK_COLOUR float4(0, 0, 1, 1) // save $i" > "$colour"
done
reading_until reloads_past "$before" || fail "no reload after the burst of saves"
read_on
[ "$(mark_of $last)" = 0,0,255 ] || fail "after the burst the mark is $(mark_of $last), expected blue"
take 40
[ "$(reloads)" -eq $((before + 1)) ] || fail "ten saves reloaded $(( $(reloads) - before )) times, expected once"

stop_watching
grep -q "mark_colour.fxh(2)" data/log.html || fail "the log does not name mark_colour.fxh line 2"
echo "-watch reloads on change, keeps the last good effect, and reloads a burst once"
