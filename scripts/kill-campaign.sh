#!/usr/bin/env bash
# Kills kelvora-sim (SIGKILL, from inside, just before the chosen file
# operation) at every STEPth file operation of an evening and a midnight,
# restarts it on the same home after midnight and checks what a crash must
# never do: a data file read as damaged, a day lost or recorded twice in
# "TEMP.DAT", a file of the user's changed, a restart that stops.
#   scripts/kill-campaign.sh [STEP]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
step="${1:-1}"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build "$build" --target kelvora-sim > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A copy, so that a rebuild meanwhile cannot swap the program under the campaign.
cp "$build/bin/kelvora-sim" "$build/bin/libkelvora_functions.so" "$work/"
sim="$work/kelvora-sim"

evening=(--start "2024-01-08 22:00:00" --days 0.1042)  # to half past midnight
restart=(--start "2024-01-09 01:00:00" --days 0.01)

# The evening so far, so that the day's files exist when the kills begin.
mkdir "$work/base"
cp -r "$root/examples/home/." "$work/base/"
"$sim" --home "$work/base" --start "2024-01-08 20:00:00" --days 0.0833 > /dev/null 2>&1

# Dates of the season file's 52-byte records, one a line.
season_dates() {
  local file="$1/DATA/TEMP.DAT" size count i
  [ -f "$file" ] || return 0
  size="$(stat -c %s "$file")"
  count=$((size / 52))
  for ((i = 0; i < count; i++)); do
    dd if="$file" bs=52 skip="$i" count=1 status=none | head -c 8
    echo
  done
  if [ $((size % 52)) -ne 0 ]; then echo "cut-record"; fi
}

# What is wrong with the home after the restart; empty when sound.
problems() {
  local home="$1" status="$2" log="$3" found=""
  [ "$status" -eq 0 ] || found+=" restart-exit-$status"
  grep -qi damaged "$log" && found+=" damaged"
  cmp -s "$home/Settings.ini" "$work/base/Settings.ini" || found+=" settings-changed"
  for prg in "$work"/base/DATA/*.prg; do
    cmp -s "$prg" "$home/DATA/$(basename "$prg")" || found+=" $(basename "$prg")-changed"
  done
  local dates
  dates="$(season_dates "$home")"
  [ "$(grep -c '^24/01/08$' <<< "$dates" || true)" -eq 1 ] || found+=" day-24/01/08-not-once"
  [ -z "$(sort <<< "$dates" | uniq -d)" ] || found+=" day-doubled"
  grep -q cut-record <<< "$dates" && found+=" season-cut"
  echo "$found"
}

mkdir "$work/reference"
cp -r "$work/base/." "$work/reference/"
total="$("$sim" --home "$work/reference" "${evening[@]}" 2> /dev/null | awk '/^file operations/ {print $3}')"
echo "$total file operations from 22:00 to half past midnight; killed at operation 1 and every $step after"

killed=0 survived=0 sound=0 broken=0
declare -a kills bad
for ((n = 1; n <= total; n += step)); do
  home="$work/run"
  rm -rf "$home"
  mkdir "$home"
  cp -r "$work/base/." "$home/"
  status=0
  # The shell's "Killed" notice goes to the group's standard error: nowhere.
  { "$sim" --home "$home" "${evening[@]}" --kill-at-operation "$n" > /dev/null 2>&1; } 2> /dev/null || status=$?
  if [ "$status" -eq 137 ]; then killed=$((killed + 1)); else survived=$((survived + 1)); fi
  status=0
  "$sim" --home "$home" "${restart[@]}" > "$work/restart.out" 2>&1 || status=$?
  found="$(problems "$home" "$status" "$work/restart.out")"
  if [ -z "$found" ]; then
    sound=$((sound + 1))
  else
    broken=$((broken + 1))
    echo "kill at operation $n:$found"
  fi
  bucket="$(( (n - 1) * 10 / total ))"
  kills[$bucket]=$((${kills[$bucket]:-0} + 1))
  [ -z "$found" ] || bad[$bucket]=$((${bad[$bucket]:-0} + 1))
done

printf '\n%-16s %8s %10s\n' "operations" "kills" "problems"
for ((b = 0; b < 10; b++)); do
  from=$((b * total / 10 + 1)) to=$(((b + 1) * total / 10))
  printf '%-16s %8s %10s\n' "$from-$to" "${kills[$b]:-0}" "${bad[$b]:-0}"
done
printf '\nkilled %d, ran to the end %d; restarts sound %d, with problems %d\n' \
  "$killed" "$survived" "$sound" "$broken"
[ "$broken" -eq 0 ]
