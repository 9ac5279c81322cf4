#!/usr/bin/env bash
# Installs what the program needs to build and run (not what the tests
# need), builds Kelvora and starts it in its home
# directory (default ./home, or the directory given as the first argument);
# further arguments go to kelvora (--listen HOST:PORT, ...).
# The home holds the program, its library, "Settings.ini" and "DATA".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
home="${1:-$root/home}"
shift || true

"$root/scripts/install-deps.sh" --run
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DKELVORA_TESTS=OFF -DKELVORA_BENCH=OFF > /dev/null
cmake --build "$root/build/release" --target kelvora

# A new home starts as a copy of the example house, schedule included; an
# existing home keeps its own settings and data.
if [ ! -e "$home" ]; then
  mkdir -p "$home"
  cp -r "$root/examples/home/." "$home/"
fi
cp "$root/build/release/bin/kelvora" "$root/build/release/bin/libkelvora_functions.so" "$home/"
echo "Kelvora runs in $home (Ctrl-C stops it)"
exec "$home/kelvora" "$@"
