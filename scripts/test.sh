#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the ordinary build,
# then the page in headless Chromium, then the release build (the one that
# runs and that the benchmarks measure, whose optimiser warns of what the
# debug build does not see) with its tests, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short libFuzzer run
# of each fuzz target when Clang is there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
fuzz_seconds="${KELVORA_FUZZ_SECONDS:-20}"

"$root/scripts/install-deps.sh" --test

echo "== build and test"
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build "$root/build/test" -j "$jobs"
ctest --test-dir "$root/build/test" --output-on-failure -j "$jobs"

echo "== browser tests (headless Chromium)"
KELVORA_SIM="$root/build/test/bin/kelvora-sim" KELVORA_SCREENSHOTS="$root/build/screenshots" \
  node --test --test-concurrency=1 "$root/tests/browser/"

echo "== release build and test"
cmake -S "$root" -B "$root/build/rel" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build/rel" -j "$jobs"
ctest --test-dir "$root/build/rel" --output-on-failure -j "$jobs"

echo "== sanitizers"
cmake -S "$root" -B "$root/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON \
      -DKELVORA_BENCH=OFF > /dev/null
cmake --build "$root/build/asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j "$jobs"

if command -v clang++ > /dev/null && [ "$fuzz_seconds" -gt 0 ]; then
  echo "== fuzzing, ${fuzz_seconds}s per target"
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKELVORA_FUZZ=ON -DKELVORA_TESTS=OFF -DKELVORA_BENCH=OFF > /dev/null
  cmake --build "$root/build/fuzz" -j "$jobs"
  for fuzzer in "$root"/build/fuzz/bin/*_fuzzer; do
    name="$(basename "$fuzzer" _fuzzer)"
    work="$(mktemp -d)"
    cp -r "$root/fuzz/corpus/$name/." "$work/"
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 3
    rm -rf "$work"
  done
fi
echo "all tests passed"
