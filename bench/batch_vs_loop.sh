#!/bin/sh
# Times quorvex-batch against a shell loop that calls quorvex once per form, on a tree of 500
# forms copied from the corpus (its binary and text forms in turn, 50 to a folder), and the dry
# run over the same tree. Each converting run gets a fresh copy of the tree; copying is not
# timed. Prints the times, the ratios and the number of processors.
#
#   bench/batch_vs_loop.sh [BUILD_DIR [CORPUS_DIR [FORMS]]]
#
# The trees are made twice: in mktemp's folder (TMPDIR, else /tmp), on whatever file system
# holds it, and on the file system in memory at /dev/shm where there is one, where syncs cost
# nothing and the figures show the programs' own cost.
set -eu

build=${1:-build/default}
corpus=${2:-../shared/corpus}
forms=${3:-500}
quorvex=$(realpath "$build/quorvex")
batch=$(realpath "$build/quorvex-batch")
work=

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# The template tree: the corpus's forms taken in turn until there are enough.
make_template() {
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
}

# Times one converting run of "$@" over a fresh copy of the template tree; copying is not timed.
timed_conversion() {
  rm -rf "$work/tree"
  cp -r "$work/template" "$work/tree"
  start=$(now)
  "$@" >/dev/null || true
  elapsed "$start" "$(now)"
}

loop_over_tree() {
  find "$work/tree" -name '*.dfm' | sort | while read -r form; do
    "$quorvex" "$form" >/dev/null || true
  done
}

# Measures in a new folder under $1. On some file systems (ext4 without a journal, for one)
# creating a file costs more the more files were deleted in the last minutes, and both sides
# delete many; so each side runs once early and once late (loop, batch, batch, loop), and each
# side's time is the sum of its two.
measure_under() {
  work=$(mktemp -d -p "$1")
  make_template
  loop1=$(timed_conversion loop_over_tree)
  batch1=$(timed_conversion "$batch" "$work/tree")
  batch2=$(timed_conversion "$batch" "$work/tree")
  loop2=$(timed_conversion loop_over_tree)
  loop=$(echo "$loop1 + $loop2" | bc)
  converted=$(echo "$batch1 + $batch2" | bc)
  start=$(now)
  "$batch" --dry-run "$work/template" >/dev/null || true
  dry=$(elapsed "$start" "$(now)")
  echo "folder: $work ($(stat -f -c %T "$work"))"
  echo "  loop of quorvex, two runs:        ${loop} s ($loop1 + $loop2)"
  echo "  quorvex-batch, two runs:          ${converted} s ($batch1 + $batch2)" \
    "($(echo "scale=1; $loop / $converted" | bc)x faster)"
  echo "  quorvex-batch --dry-run, one run: ${dry} s" \
    "($(echo "scale=1; $loop / 2 / $dry" | bc)x faster than one loop)"
  rm -rf "$work"
  work=
}

trap '[ -z "$work" ] || rm -rf "$work"' EXIT
echo "forms: $forms, processors: $(nproc)"
measure_under "${TMPDIR:-/tmp}"
if [ -d /dev/shm ] && [ "$(realpath "${TMPDIR:-/tmp}")" != /dev/shm ]; then
  measure_under /dev/shm
fi
