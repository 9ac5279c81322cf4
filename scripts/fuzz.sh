#!/usr/bin/env bash
# Long fuzzing: builds every fuzz target with Clang and runs each for SECONDS
# (default 600), one after the other, keeping what it finds. New inputs that
# widen coverage are merged into fuzz/corpus/<target>, so the next run and
# the replay tests of the ordinary build start from them; a crash leaves its
# input in build/fuzz/crashes/<target> and ends the script with an error.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
jobs="$(nproc)"

"$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKELVORA_FUZZ=ON -DKELVORA_TESTS=OFF -DKELVORA_BENCH=OFF > /dev/null
cmake --build "$root/build/fuzz" -j "$jobs"

failed=0
printf '%-18s %12s %10s %10s %8s\n' target runs "corpus" "new" result
for fuzzer in "$root"/build/fuzz/bin/*_fuzzer; do
  name="$(basename "$fuzzer" _fuzzer)"
  corpus="$root/fuzz/corpus/$name"
  crashes="$root/build/fuzz/crashes/$name"
  work="$(mktemp -d)"
  mkdir -p "$corpus" "$crashes"
  before="$(find "$corpus" -type f | wc -l)"
  result=ok
  log="$root/build/fuzz/$name.log"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
       "$work" "$corpus" > "$log" 2>&1; then
    result=CRASH
    failed=1
  fi
  # Keep only the inputs that add coverage to what the corpus already has.
  "$fuzzer" -merge=1 "$corpus" "$work" >> "$log" 2>&1 || true
  after="$(find "$corpus" -type f | wc -l)"
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || echo 0)"
  printf '%-18s %12s %10s %10s %8s\n' "$name" "$runs" "$after" "$((after - before))" "$result"
  rm -rf "$work"
done
exit "$failed"
