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
# with the table's patterns; a form of 20 MB of binary data no slower than xxd -p of the data,
# two cp of its text and xxd -r -p of the text back; peak memory on the text form at most 4 MB
# above the longest line. A 10 MB binary form of real forms (every classic-tag form of the
# corpus, nested in one root, as often as it takes) at most 4 times copying its bytes with cp
# through the files the run writes (form to text, text to backup, text to text, text to form),
# with peak memory at most three times the form's size plus 8 MB.
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

# Runs the command given; prints its wall time and its processor time (user and system, its
# child processes included), both in microseconds.
measure() {
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" 2>/dev/null; } 2>&1 | awk '{ printf "%d %d\n", $1 * 1e6, ($2 + $3) * 1e6 }'
}

# Prints one comparison: name, the medians of both sides (wall time, and processor time in
# brackets) in milliseconds, and the ratios of the wall times and of the processor times.
report() {
  local name=$1 target=$2
  shift 2
  local -n left=$1 right=$2
  local lw lc rw rc
  lw=$(median $(printf '%s\n' "${left[@]}" | cut -d' ' -f1))
  lc=$(median $(printf '%s\n' "${left[@]}" | cut -d' ' -f2))
  rw=$(median $(printf '%s\n' "${right[@]}" | cut -d' ' -f1))
  rc=$(median $(printf '%s\n' "${right[@]}" | cut -d' ' -f2))
  awk -v n="$name" -v t="$target" -v lw="$lw" -v lc="$lc" -v rw="$rw" -v rc="$rc" 'BEGIN {
    printf "%-40s %8.1f (%7.1f) ms vs %8.1f (%7.1f) ms  ratio %5.2f (%5.2f)  %s\n",
      n, lw / 1000, lc / 1000, rw / 1000, rc / 1000, lw / rw, lc / rc, t }'
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

# A 10 MB binary form: the object trees of the corpus's forms of classic tags (0 to 14), the
# damaged one aside, as children of one root object, behind a form resource header.
little_endian32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
awk -F'\t' 'NR == 1 { for (i = 1; i <= NF; i++) c[$i] = i; next }
  $c["kind"] == "binary" && $c["only_classic_tags"] == "yes" && $c["file"] !~ /016_/ {
    print $c["file"], $c["bytes"] - $c["hdr_size"] - $c["trailing_bytes"], $c["hdr_size"] }' \
  "$corpus/PROVENANCE.tsv" >classic
: >objects
while [ "$(stat -c %s objects)" -lt 10000000 ]; do
  while read -r file header size; do
    # The form without its header, its signature and its trailing bytes.
    tail -c +$((header + 5)) "$corpus/$file" | head -c $((size - 4)) >>objects
  done <classic
done
form_size=$(($(stat -c %s objects) + 4 + 9 + 8 + 2))
{
  printf '\xff\x0a\x00TBIGFORM\x00\x30\x10'
  little_endian32 "$form_size"
  printf 'TPF0\x08TBigForm\x07BigForm\x00'
  cat objects
  printf '\x00\x00'
} >form10.src
rm objects classic

# The tool must convert every input here, or the times mean nothing.
cp small.dfm check.dfm && "$tool" check.dfm >out
cp form10.src check.dfm && "$tool" check.dfm >out
cp data.src check.dfm && "$tool" check.dfm >out
rm -f check.dfm CHECK.TXT CHECK.BAK

# --- Rounds -------------------------------------------------------------------------------

small_text_runs() { for i in $(seq "$small_runs"); do "$tool" "s$i.txt" >out; done; }
small_text_copies() { for i in $(seq "$small_runs"); do cp "s$i.txt" "c$i.txt"; done; }
small_form_runs() { for i in $(seq "$small_runs"); do "$tool" "b$i.dfm" >out; done; }
small_form_copies() { for i in $(seq "$small_runs"); do cp "b$i.dfm" "c$i.dfm"; done; }
big_run() { "$tool" big.txt >out; }
two_copies() { cp "$1" copy1; cp "$1" copy2; }
grep_patterns() { LC_ALL=C grep -F -f patterns big.src >out || true; }
data_run() { "$tool" data.dfm >out; }
hex_and_copies() {
  xxd -p data.bin >hex.txt
  cp hex.txt copy1
  cp hex.txt copy2
  xxd -r -p copy2 >back.bin
}
form10_run() { "$tool" form10.dfm >out; }
form10_copies() { cp form10.src c.txt; cp c.txt c.bak; cp c.bak c.txt; cp c.txt c.dfm; }

declare -a t_small t_small_cp f_small f_small_cp big big_cp big_grep data data_hex form10 \
  form10_cp
for round in $(seq "$rounds"); do
  # Fresh inputs for the runs that rewrite them; copying them is not timed.
  for i in $(seq "$small_runs"); do
    cp small.txt "s$i.txt"
    cp small.dfm "b$i.dfm"
  done
  cp big.src big.txt
  cp data.src data.dfm
  cp form10.src form10.dfm
  rm -f BIG.BAK
  t_small+=("$(measure small_text_runs)")
  t_small_cp+=("$(measure small_text_copies)")
  f_small+=("$(measure small_form_runs)")
  f_small_cp+=("$(measure small_form_copies)")
  big+=("$(measure big_run)")
  big_cp+=("$(measure two_copies big.src)")
  big_grep+=("$(measure grep_patterns)")
  data+=("$(measure data_run)")
  data_hex+=("$(measure hex_and_copies)")
  form10+=("$(measure form10_run)")
  form10_cp+=("$(measure form10_copies)")
  rm -f copy1 copy2 hex.txt back.bin DATA.TXT DATA.BAK FORM10.TXT FORM10.BAK c.txt c.bak c.dfm
done

cp big.src big.txt
rm -f BIG.BAK
peak_kb=$(/usr/bin/time -f %M "$tool" big.txt 2>&1 >out | tail -1)
longest=$(awk '{ if (length($0) > n) n = length($0) } END { print n }' big.src)
big_mb=$(($(stat -c %s big.src) / 1000000))
cp form10.src form10.dfm
form10_peak_kb=$(/usr/bin/time -f %M "$tool" form10.dfm 2>&1 >out | tail -1)
form10_bytes=$(stat -c %s form10.src)

echo "quorvex: $tool"
echo "$rounds rounds, medians; wall time (processor time); $small_runs processes per round" \
  "on the 5 KB forms; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
report "5 KB text form, $small_runs runs vs cp" "target <= 1.5" t_small t_small_cp
report "5 KB binary form, $small_runs runs vs cp" "target <= 1.5" f_small f_small_cp
report "$big_mb MB text form vs cp twice" "target <= 3" big big_cp
report "$big_mb MB text form vs grep -F -f" "target <= 0.67" big big_grep
report "20 MiB binary data vs xxd -p, cp twice, xxd -r" "target <= 1" data data_hex
report "$((form10_bytes / 1000000)) MB binary form vs cp four times" "target <= 4" form10 \
  form10_cp
echo "peak memory on the $big_mb MB text form: $peak_kb KB; longest line $longest bytes;" \
  "target <= $((longest / 1024 + 4096)) KB"
echo "peak memory on the $((form10_bytes / 1000000)) MB binary form: $form10_peak_kb KB;" \
  "target <= $((form10_bytes * 3 / 1024 + 8192)) KB"
