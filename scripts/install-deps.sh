#!/usr/bin/env bash
# Installs the Debian packages Kelvora needs, when missing:
#   scripts/install-deps.sh --run    what building and running the program needs
#   scripts/install-deps.sh [--test] that and what the tests need (GoogleTest,
#                                    Google Benchmark, Clang for the fuzzers,
#                                    Chromium and Node.js for the page's tests,
#                                    whose npm packages it installs too)
# Safe to run again: it installs only what is not there yet.
set -euo pipefail

usage="usage: scripts/install-deps.sh [--run | --test]"
choice="${1:---test}"
case "$choice" in
  --run | --test) ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac

# The compiler, the build tools and the libraries the program links or
# builds in (the chart library is embedded in the page).
run_packages=(g++ cmake ninja-build pkg-config libsystemd-dev libcpp-httplib-dev nlohmann-json3-dev
              libsodium-dev libssl-dev libjs-chart.js)
# systemd for systemd-analyze, which checks the service unit.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format systemd
               chromium nodejs)

packages=("${run_packages[@]}")
if [ "$choice" = --test ]; then
  packages+=("${test_packages[@]}")
  # Debian ships npm apart from Node.js; other builds of Node.js bring their own.
  if ! command -v npm > /dev/null; then
    packages+=(npm)
  fi
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$choice" = --run ]; then
  exit 0
fi

# The browser tests' driver, playwright-core, pinned by its lockfile; it
# drives Debian's chromium and downloads no browser of its own.
browser_tests="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/browser"
if [ ! -d "$browser_tests/node_modules/playwright-core" ] ||
   [ "$browser_tests/package-lock.json" -nt "$browser_tests/node_modules/.package-lock.json" ]; then
  if ! command -v npm > /dev/null; then
    echo "npm is missing: install Node.js 20 or later with npm to run the browser tests" >&2
    exit 1
  fi
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
