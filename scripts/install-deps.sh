#!/usr/bin/env bash
# Installs the Debian packages Kelvora needs to build and test, when missing.
# Safe to run again: it installs only what is not there yet.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev clang-format libsystemd-dev systemd
          libcpp-httplib-dev nlohmann-json3-dev libsodium-dev libssl-dev chromium nodejs
          libjs-chart.js)

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

# The browser tests' driver, playwright-core, pinned by its lockfile; it
# drives Debian's chromium and downloads no browser of its own.
browser_tests="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/browser"
if [ ! -d "$browser_tests/node_modules/playwright-core" ] ||
   [ "$browser_tests/package-lock.json" -nt "$browser_tests/node_modules/.package-lock.json" ]; then
  if ! command -v npm > /dev/null; then
    echo "npm is missing: install Node.js 18 or later with npm to run the browser tests" >&2
    exit 1
  fi
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
