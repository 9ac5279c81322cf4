#!/usr/bin/env bash
# Runs kelvora-sim over the same fourteen winter days in every shipped house:
# the DATA files, the pre-heat report and what the program printed. A
# restructuring must leave all three unchanged, byte for byte.
#
#   scripts/golden-run.sh OLD_SIM NEW_SIM [WORK_DIR]   two builds must agree
#   scripts/golden-run.sh --record SIM OUT_DIR         one build's outputs only
#   scripts/golden-run.sh --sums SIM SUMS_FILE          record the outputs' sums
#   scripts/golden-run.sh --check SIM SUMS_FILE HOUSE   one house against them
#
# tests/golden/outputs.sha256 holds the sums the tests check. A change that
# means to alter what the program does records them again with --sums and
# says so in its commit; any other difference is a fault.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
start="2024-01-08 00:00:00"

# Every shipped house: "builtin" and the examples' files.
houses() {
  echo builtin
  local file
  for file in "$source_dir"/examples/houses/*.ini; do basename "$file" .ini; done
}

# One build over one house into $3/<house>/.
record_house() {
  local sim=$1 name=$2 dir=$3/$2
  rm -rf "$dir"
  mkdir -p "$3"
  cp -r "$source_dir/examples/home" "$dir"
  local args=(--home "$dir" --days 14 --seed 7 --start "$start"
    --preheat-report "$dir/preheat.csv")
  [[ $name == builtin ]] || args+=(--house "$source_dir/examples/houses/$name.ini")
  # The wall-clock lines measure the machine, not the program.
  "$sim" "${args[@]}" 2>&1 | grep -v -e '^wall time' -e 'per wall second' >"$dir/console.txt"
}

# One build over every house into $2/<house>/.
record() {
  rm -rf "$2"
  local name
  for name in $(houses); do record_house "$1" "$name" "$2"; done
}

# The sums of every output file below $1, by path from there, in byte order.
sums() {
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum)
}

case ${1:-} in
  --record)
    record "$2" "$3"
    exit 0
    ;;
  --sums)
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    record "$2" "$work/out"
    sums "$work/out" >"$3"
    exit 0
    ;;
  --check)
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    record_house "$2" "$4" "$work/out"
    grep "  $4/" "$3" >"$work/expected"
    if ! sums "$work/out" | diff "$work/expected" - >"$work/diff"; then
      echo "golden run: $4 differs from $3:" >&2
      cat "$work/diff" >&2
      echo "if the change is meant, record again: $0 --sums SIM $3" >&2
      exit 1
    fi
    echo "golden run: $4 as recorded"
    exit 0
    ;;
esac
if [[ $# -lt 2 ]]; then
  echo "usage: $0 OLD_SIM NEW_SIM [WORK_DIR] | --record SIM OUT_DIR | --sums SIM FILE | --check SIM FILE HOUSE" >&2
  exit 2
fi
work=${3:-$(mktemp -d)}
record "$1" "$work/old"
record "$2" "$work/new"
if diff -r "$work/old" "$work/new" >"$work/diff.txt"; then
  echo "golden run: every house identical ($work)"
else
  echo "golden run: the builds differ; see $work/diff.txt" >&2
  head -20 "$work/diff.txt" >&2
  exit 1
fi
