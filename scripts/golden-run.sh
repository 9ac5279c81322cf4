#!/usr/bin/env bash
# Runs two builds of kelvora-sim over the same fourteen winter days in every
# shipped house and checks that they agree byte for byte: the DATA files, the
# pre-heat report and what the program printed. A restructuring must leave all
# three unchanged.
#
#   scripts/golden-run.sh OLD_SIM NEW_SIM [WORK_DIR]
#   scripts/golden-run.sh --record SIM OUT_DIR     (one build's outputs only)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
start="2024-01-08 00:00:00"

# One build over every house into $2/<house>/.
record() {
  local sim=$1 out=$2
  rm -rf "$out"
  mkdir -p "$out"
  local house
  for house in builtin "$source_dir"/examples/houses/*.ini; do
    local name
    name=$(basename "$house" .ini)
    local dir=$out/$name
    cp -r "$source_dir/examples/home" "$dir"
    local args=(--home "$dir" --days 14 --seed 7 --start "$start"
      --preheat-report "$dir/preheat.csv")
    [[ $house == builtin ]] || args+=(--house "$house")
    # The wall-clock lines measure the machine, not the program.
    "$sim" "${args[@]}" 2>&1 | grep -v -e '^wall time' -e 'per wall second' >"$dir/console.txt"
  done
}

if [[ ${1:-} == --record ]]; then
  record "$2" "$3"
  exit 0
fi
if [[ $# -lt 2 ]]; then
  echo "usage: $0 OLD_SIM NEW_SIM [WORK_DIR] | $0 --record SIM OUT_DIR" >&2
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
