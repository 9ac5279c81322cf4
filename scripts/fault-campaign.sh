#!/usr/bin/env bash
# The whole fault campaign: an evening and a midnight of the program on a
# fake card, with every file operation in turn failing once and from then
# on, each followed by a restart that must find every day and file sound and
# the relays off. Prints the table of outcomes per kind of operation and file
# ("once:ran-on" a retried failure the run got over, "on:stopped-1" a stop
# through the error path, "sound" no problem after the restart).
#   scripts/fault-campaign.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build "$build" --target tools_tests
KELVORA_SOURCE_DIR="$root" KELVORA_CAMPAIGN=all \
  "$build/bin/tools_tests" --gtest_filter='FaultCampaign.*' --gtest_brief=1
