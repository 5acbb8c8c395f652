#!/bin/sh
# Times quorvex-batch against a shell loop that calls quorvex once per form, on a tree of 500
# forms copied from the corpus (its binary and text forms in turn, 50 to a folder), and the dry
# run over the same tree. Each converting run gets a fresh copy of the tree; copying is not
# timed. Prints the times, the ratios and the number of processors.
#
#   bench/batch_vs_loop.sh [BUILD_DIR [CORPUS_DIR [FORMS]]]
set -eu

build=${1:-build/default}
corpus=${2:-../shared/corpus}
forms=${3:-500}
quorvex=$(realpath "$build/quorvex")
batch=$(realpath "$build/quorvex-batch")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The template tree: the corpus's forms taken in turn until there are enough.
set -- "$corpus"/binary/*.dfm "$corpus"/text/*.dfm
total=$#
i=0
while [ "$i" -lt "$forms" ]; do
  shift_by=$((i % total + 1))
  source=$(eval "printf '%s' \"\${$shift_by}\"")
  folder="$work/template/part$((i / 50))"
  mkdir -p "$folder"
  cp "$source" "$folder/form$i.dfm"
  i=$((i + 1))
done

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

cp -r "$work/template" "$work/loop"
start=$(now)
find "$work/loop" -name '*.dfm' | sort | while read -r form; do
  "$quorvex" "$form" >/dev/null || true
done
loop=$(elapsed "$start" "$(now)")

cp -r "$work/template" "$work/batch"
start=$(now)
"$batch" "$work/batch" >/dev/null || true
converted=$(elapsed "$start" "$(now)")

start=$(now)
"$batch" --dry-run "$work/template" >/dev/null || true
dry=$(elapsed "$start" "$(now)")

echo "forms: $forms, processors: $(nproc)"
echo "loop of quorvex:        ${loop} s"
echo "quorvex-batch:          ${converted} s  ($(echo "scale=1; $loop / $converted" | bc)x faster)"
echo "quorvex-batch --dry-run: ${dry} s  ($(echo "scale=1; $loop / $dry" | bc)x faster)"
