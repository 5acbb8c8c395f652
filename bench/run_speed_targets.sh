#!/usr/bin/env bash
# Speed of whole runs of the built tool against the commands that move the same bytes, each
# measured as the median wall time of several rounds, the two sides of each ratio run in turn
# so that they share the machine's load. Peak memory comes from GNU time.
#
#   bench/run_speed_targets.sh [path/to/quorvex [rounds]]
#
# Files are made and used on a tmpfs (/dev/shm), so that the figures show the programs' own
# cost. The corpus comes from QUORVEX_CORPUS_DIR (default ../shared/corpus beside the sources).
#
# Targets: a 5 KB text form and a 5 KB binary form at most 1.5 times cp of the file; a 50 MB
# text form at most 3 times two cp of the file and at least 1.5 times faster than grep -F -f
# with the table's patterns; a form of 20 MB of binary data no slower than xxd -p of the data
# followed by two cp of its text; peak memory at most 4 MB above the longest line.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
tool=$(realpath "${1:-$source_dir/build/default/quorvex}")
rounds=${2:-9}
corpus=${QUORVEX_CORPUS_DIR:-$source_dir/../shared/corpus}
small_runs=50  # processes per round on the 5 KB forms

work=$(mktemp -d /dev/shm/quorvex-speed.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The median of the numbers given, one per argument.
median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Microseconds of wall time the command given takes.
micros() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  echo $(((${end/./} - ${start/./})))
}

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# Prints one comparison: name, the two medians in milliseconds, and their ratio.
report() {
  printf '%-44s %9.2f ms  vs %9.2f ms  ratio %s  (%s)\n' "$1" \
    "$(awk -v t="$2" 'BEGIN { print t / 1000 }')" "$(awk -v t="$3" 'BEGIN { print t / 1000 }')" \
    "$(ratio "$2" "$3")" "$4"
}

# --- Inputs -------------------------------------------------------------------------------

cp "$corpus/text/010_editstr.dfm" small.txt
cp "$corpus/binary/037_vakgeb.dfm" small.dfm
chmod u+w small.txt small.dfm
for i in $(seq "$small_runs"); do
  cp small.txt "s$i.txt"
  cp small.dfm "b$i.dfm"
done

: >big.src
while [ "$(stat -c %s big.src)" -lt 50000000 ]; do cat "$corpus"/text/*.dfm >>big.src; done

# The search patterns: every table entry followed by " =".
sed -n 's/^    "\(.*\)",$/\1 =/p' "$source_dir/additions/additions_table.cc" >patterns
[ "$(wc -l <patterns)" -eq 947 ] || { echo "expected 947 patterns" >&2; exit 1; }

# A binary form: resource header, then one object whose only property holds 20 MiB of bytes.
head -c $((20 << 20)) /dev/urandom >data.bin
{
  printf '\xff\x0a\x00IMAGES\x00\x30\x10\x00\x00\x00\x00'
  printf 'TPF0\x0aTImageForm\x06Images\x0cPicture.Data\x0a\x00\x00\x40\x01'
  cat data.bin
  printf '\x00\x00'
} >data.src

# --- Rounds -------------------------------------------------------------------------------

small_text_runs() { for i in $(seq "$small_runs"); do "$tool" "s$i.txt" >out; done; }
small_text_copies() { for i in $(seq "$small_runs"); do cp "s$i.txt" "c$i.txt"; done; }
small_form_runs() { for i in $(seq "$small_runs"); do "$tool" "b$i.dfm" >out || true; done; }
small_form_copies() { for i in $(seq "$small_runs"); do cp "b$i.dfm" "c$i.dfm"; done; }
big_run() { "$tool" big.txt >out; }
two_copies() { cp "$1" copy1; cp "$1" copy2; }
grep_patterns() { LC_ALL=C grep -F -f patterns big.src >out || true; }
data_run() { "$tool" data.dfm >out || true; }
hex_and_copies() { xxd -p data.bin >hex.txt; cp hex.txt copy1; cp hex.txt copy2; }

declare -a t_small t_small_cp f_small f_small_cp big big_cp big_grep data data_hex
for round in $(seq "$rounds"); do
  # Fresh inputs for the runs that rewrite them; copying them is not timed.
  for i in $(seq "$small_runs"); do cp small.txt "s$i.txt"; done
  cp big.src big.txt
  cp data.src data.dfm
  t_small+=("$(micros small_text_runs)")
  t_small_cp+=("$(micros small_text_copies)")
  f_small+=("$(micros small_form_runs)")
  f_small_cp+=("$(micros small_form_copies)")
  big+=("$(micros big_run)")
  big_cp+=("$(micros two_copies big.src)")
  big_grep+=("$(micros grep_patterns)")
  data+=("$(micros data_run)")
  data_hex+=("$(micros hex_and_copies)")
  rm -f copy1 copy2 hex.txt DATA.TXT DATA.BAK data.txt data.bak
done

cp big.src big.txt
peak_kb=$(/usr/bin/time -f %M "$tool" big.txt 2>&1 >out | tail -1)
longest=$(awk '{ if (length($0) > n) n = length($0) } END { print n }' big.src)

echo "quorvex: $tool"
echo "rounds: $rounds (medians); $small_runs processes per round on the 5 KB forms;" \
  "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
report "5 KB text form, $small_runs runs" "$(median "${t_small[@]}")" \
  "$(median "${t_small_cp[@]}")" "vs cp, target <= 1.5"
report "5 KB binary form, $small_runs runs" "$(median "${f_small[@]}")" \
  "$(median "${f_small_cp[@]}")" "vs cp, target <= 1.5"
report "$(($(stat -c %s big.src) / 1000000)) MB text form" "$(median "${big[@]}")" \
  "$(median "${big_cp[@]}")" "vs cp twice, target <= 3"
report "$(($(stat -c %s big.src) / 1000000)) MB text form" "$(median "${big[@]}")" \
  "$(median "${big_grep[@]}")" "vs grep -F -f, target <= 0.67"
report "20 MiB of binary data" "$(median "${data[@]}")" \
  "$(median "${data_hex[@]}")" "vs xxd -p + cp twice, target <= 1"
echo "peak memory on the 50 MB text form: $peak_kb KB; longest line $longest bytes;" \
  "target <= $((longest / 1024 + 4096)) KB"
