#!/usr/bin/env bash
# Every file the demo reads (those a good run opens for reading, found with strace),
# broken four ways, each in a scratch copy of the built data/:
# missing, empty, cut at half its length, and a few bytes flipped at seeded places. Each
# variant is played headless with -log, one small frame per 20 s of music (so every part
# draws), and must end with a defined status (0 or 1), never a signal, a sanitizer report
# or a run past the time limit. A run that fails (status 1) names the file in an ERROR
# row of the log and on standard error; a missing, empty or cut file the program plays
# through must at least have been reported in the log. Prints a table of file, variant,
# status and the first error line.
#   malformed.sh GAME DATA_DIR [JOBS]
# MALFORMED_ONLY=REGEX limits the files (matched against their path in data/);
# KEEP_WORK=DIR keeps every variant's folder there.
set -euo pipefail

# Progress lines of the platform layer, not errors.
chatter='^platform: (windows|drawing|audio: no output|capture: frame|capture: [0-9]+ frames)'

# Sanitizer and runtime reports: any of them fails the variant.
sanitizer='ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer|AddressSanitizer:DEADLYSIGNAL'

# The curve file's fixed messages name no file; they are still clear.
curve_messages='No such file found|Not a curve file'

# Files whose empty or cut form is as good as any: the priority list is names, one a
# line, and may be empty.
cannot_tell='^rtpriorities\.txt (empty|half)$'

limit=60

# The log's rows as "type<TAB>message" lines (message, warning, error).
log_rows() {
  [ -f "$1" ] || return 0
  sed -n -E 's@^<tr[^>]*><td>(MESSAGE|WARNING|ERROR)</td><td>[^<]*</td><td>[^<]*</td><td>(.*)</td></tr>.*@\1\t\2@p' "$1" |
    sed -e 's/^MESSAGE/message/' -e 's/^WARNING/warning/' -e 's/^ERROR/error/'
}

# Whether the report names the file: on standard error, in a warning or error row, or in
# the last progress row before a warning or error ("Loading .nbl mesh ...", "Parsing
# material script ..."), which tells the file a fixed message such as "Resources must be
# a table" or "Not NEBLU Demo file format" came from.
names_file() {  # names_file BASENAME DIR
  grep -qF -- "$1" "$2/said.txt" && return 0
  awk -F'\t' '$1 == "message" && $2 ~ /^(Loading|Parsing|Creating|Adding mesh)/ { last = $2 }
               $1 != "message" { print $2; print last }' "$2/rows.txt" | grep -qF -- "$1" && return 0
  # An empty or cut header breaks the effect that includes it, at a line of that effect.
  if [[ $1 == *.fxh ]]; then
    local includer
    for includer in $(cd "$2/data/fx" && grep -lF "#include \"$1\"" -- *.fx *.fxh 2>/dev/null); do
      grep -qF -- "$includer" "$2/said.txt" && return 0
    done
  fi
  [ "$1" = credits.curves ] && grep -qE "$curve_messages" "$2/said.txt"
}

# Flips 8 bytes of FILE at places drawn from SEED (an LCG, so every run breaks the same
# bytes), each XORed with a nonzero value drawn alongside.
flip_bytes() {
  local file=$1 state=$2 size pos old new i
  size=$(stat -c %s "$file")
  [ "$size" -gt 0 ] || return 0
  for i in 1 2 3 4 5 6 7 8; do
    state=$(( (state * 1103515245 + 12345) % 2147483648 ))
    pos=$(( state % size ))
    state=$(( (state * 1103515245 + 12345) % 2147483648 ))
    old=$(od -An -tu1 -j "$pos" -N1 "$file" | tr -d ' ')
    new=$(( old ^ (1 + (state / 65536) % 255) ))
    printf "\\$(printf '%03o' "$new")" | dd of="$file" bs=1 seek="$pos" conv=notrunc status=none
  done
}

# One variant: prints "file<TAB>variant<TAB>status<TAB>verdict<TAB>first error line".
run_one() {
  local game=$1 data=$2 rel=$3 variant=$4 dir=$5
  local file status verdict first base
  rm -rf "$dir"
  mkdir -p "$dir"
  # Linked to the untouched copy, but for the file broken here: the program writes only
  # files that copy lacks (the log).
  cp -al "$data" "$dir/data"
  file=$dir/data/$rel
  cp --remove-destination "$data/$rel" "$file"
  case $variant in
    missing) rm -f "$file" ;;
    empty) : > "$file" ;;
    half) truncate -s $(( $(stat -c %s "$file") / 2 )) "$file" ;;
    flipped) flip_bytes "$file" "$(printf '%s' "$rel" | cksum | cut -d' ' -f1)" ;;
  esac
  status=0
  (cd "$dir" && DISPLAY= WAYLAND_DISPLAY= timeout -k 5 "$limit" "$game" -nodialog -headless -log \
     -size 64x36 -capture frames -fps 1/20 > out.txt 2> err.txt) || status=$?
  rm -rf "$dir/frames"
  log_rows "$dir/data/log.html" > "$dir/rows.txt"
  tr '\r' '\n' < "$dir/err.txt" | grep -Ev "$chatter" | grep -v '^ *$' > "$dir/said.txt" || true
  first=$(grep -m1 -P '^error\t' "$dir/rows.txt" | cut -f2 || true)
  [ -n "$first" ] || first=$(grep -m1 -P '^warning\t' "$dir/rows.txt" | cut -f2 || true)
  [ -n "$first" ] || first=$(head -n1 "$dir/said.txt")
  base=$(basename "$rel")
  verdict=ok
  if grep -qE "$sanitizer" "$dir/err.txt"; then
    verdict="FAIL sanitizer report"
    first=$(grep -m1 -E "$sanitizer" "$dir/err.txt")
  elif [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    verdict="FAIL ran past ${limit} s"
  elif [ "$status" -gt 128 ]; then
    verdict="FAIL signal $((status - 128))"
  elif [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    verdict="FAIL status $status"
  elif [ "$status" -eq 1 ]; then
    if ! grep -qP '^error\t' "$dir/rows.txt"; then
      verdict="FAIL no ERROR row in the log"
    elif ! [ -s "$dir/said.txt" ]; then
      verdict="FAIL nothing on standard error"
    elif ! names_file "$base" "$dir"; then
      verdict="FAIL the report does not name $base"
    elif [ "$(grep -cP '^error\t' "$dir/rows.txt")" -gt 1 ]; then
      # The first error ends the run: anything after it read what the failure left half made.
      verdict="FAIL more errors after the first: $(grep -P '^error\t' "$dir/rows.txt" | sed -n 2p | cut -f2)"
    fi
  elif grep -qP '^error\t' "$dir/rows.txt"; then
    # An error the engine lives with (an effect that does not compile falls back to
    # the wireframe material) must still say which file.
    names_file "$base" "$dir" || verdict="FAIL an error that does not name $base"
  elif [ "$variant" != flipped ] && ! grep -qE "$cannot_tell" <<<"$rel $variant" && ! names_file "$base" "$dir"; then
    verdict="FAIL played through a $variant file without a word"
  fi
  if [ "$verdict" != ok ]; then
    # What the program said, so that a failure seen once can still be read afterwards.
    { echo "--- $rel ($variant, status $status): the end of its standard error"
      tr '\r' '\n' < "$dir/err.txt" | grep -v '^ *$' | tail -n 8; } >&2
  fi
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$dir"
  printf '%s\t%s\t%s\t%s\t%s\n' "$rel" "$variant" "$status" "$verdict" "${first:0:150}"
}

if [ "${1:-}" = --one ]; then
  shift
  run_one "$@"
  exit 0
fi

game=$(realpath "$1")
data=$(realpath "$2")
jobs=${3:-2}
work=${KEEP_WORK:-$(mktemp -d)}
mkdir -p "$work"
[ -n "${KEEP_WORK:-}" ] || trap 'rm -rf "$work"' EXIT

# A good run first, traced: it must play cleanly, and the files of data/ it opens for
# reading, and never writes, are the ones broken below.
mkdir -p "$work/good"
# (The log is the program's own output; tests running in the build's data/ write it there
# now and then.)
mkdir -p "$work/good/data"
(cd "$data" && find . -type f ! -name log.html -printf '%P\0' | xargs -0 cp --parents -t "$work/good/data")
status=0
# The leak checker cannot run under ptrace; the variants below run with it.
(cd "$work/good" && DISPLAY= WAYLAND_DISPLAY= ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" timeout -k 5 "$limit" strace -f -qq -e trace=openat -o trace.txt \
   "$game" -nodialog -headless -log -size 64x36 -capture frames -fps 1/20 > out.txt 2> err.txt) || status=$?
if [ "$status" -ne 0 ] || grep -q 'class="error"' "$work/good/data/log.html"; then
  tail -20 "$work/good/err.txt"
  echo "the untouched data does not play cleanly (status $status)"
  exit 1
fi
awk -F'"' '/openat\(/ && !/= -1/ { p = $2; sub(/^.*\/data\//, "data/", p); if (p !~ /^data\//) next;
             if ($3 ~ /O_WRONLY|O_RDWR/) written[p] = 1; else read[p] = 1 }
           END { for (p in read) if (!(p in written)) print substr(p, 6) }' "$work/good/trace.txt" |
  while read -r rel; do [ -f "$data/$rel" ] && printf '%s\n' "$rel"; done | LC_ALL=C sort -u > "$work/read.txt"
mapfile -t files < <(grep -E "${MALFORMED_ONLY:-.}" "$work/read.txt")
[ "${#files[@]}" -gt 0 ] || { echo "no files to break in $data"; exit 1; }
unread=$(cd "$data" && find . -type f -printf '%P\n' | LC_ALL=C sort | comm -23 - "$work/read.txt" | paste -sd' ')
echo "breaking ${#files[@]} files of $2 four ways, $jobs at a time; not read by a good run: ${unread:-none}"

# An untouched copy of what the program reads, which every variant starts from.
mkdir -p "$work/data"
(cd "$data" && xargs -a "$work/read.txt" -d '\n' cp --parents -t "$work/data")
data=$work/data

self=$(realpath "$0")
n=0
for rel in "${files[@]}"; do
  for variant in missing empty half flipped; do
    n=$((n + 1))
    printf '%s\0%s\0%s\0%s\0%s\0' "$game" "$data" "$rel" "$variant" "$work/v$n"
  done
done | xargs -0 -n5 -P "$jobs" "$self" --one > "$work/results.tsv"

LC_ALL=C sort -t$'\t' -k1,1 -k2,2 "$work/results.tsv" |
  awk -F'\t' '{printf "%-36s %-8s %-3s %-4s %s\n", $1, $2, $3, ($4 == "ok" ? "ok" : "FAIL"), $5}'
failures=$(grep -cP '\tFAIL' "$work/results.tsv" || true)
total=$(wc -l < "$work/results.tsv")
if [ "$failures" -gt 0 ]; then
  echo
  grep -P '\tFAIL' "$work/results.tsv" | awk -F'\t' '{print $1 " (" $2 "): " substr($4, 6)}'
  echo "$failures of $total broken-file runs went wrong"
  exit 1
fi
[ "$total" -eq $(( ${#files[@]} * 4 )) ] || { echo "only $total of $(( ${#files[@]} * 4 )) runs reported"; exit 1; }
echo "all $total broken-file runs ended with a defined status and a clear report"
