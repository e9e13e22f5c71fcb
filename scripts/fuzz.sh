#!/usr/bin/env bash
# Fuzzes every reader for SECONDS each (default 60) with libFuzzer, seeded from the
# bundled samples (and the real files beside the project, when present). Reports the
# executions per reader and copies every finding to tests/data/crashers/.
# usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# The targets and the extensions that seed them come from the format registry, as the
# configured build lists them in orlika-fuzz-targets.txt (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
readers=("$@")

if ! command -v clang++-14 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
  sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq clang-14 libclang-rt-14-dev
fi
bash scripts/setup.sh

build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORLIKA_FUZZ=ON -DORLIKA_BUILD_GUI=OFF -DORLIKA_BUILD_TESTS=OFF -DORLIKA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

declare -A extensions=()
while read -r target seeds; do
  extensions[$target]=$seeds
  [ "$#" -gt 0 ] || readers+=("$target")
done <"$build/orlika-fuzz-targets.txt"
for reader in "${readers[@]}"; do
  [ -n "${extensions[$reader]:-}" ] || { echo "$reader: no such fuzz target (${!extensions[*]})"; exit 2; }
  corpus="$build/corpus/$reader"
  findings="$build/findings/$reader"
  mkdir -p "$corpus" "$findings"
  for ext in ${extensions[$reader]}; do
    find samples ../shared/samples-real -maxdepth 1 -type f -iname "*.$ext" -exec cp {} "$corpus/" \; 2>/dev/null || true
  done
  log="$build/fuzz-$reader.log"
  "$build/fuzz/fuzz_$reader" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 \
    -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || true
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  count=$(find "$findings" -type f | wc -l)
  echo "$reader: ${runs:-0} executions, $count findings"
  for finding in "$findings"/*; do
    [ -e "$finding" ] || continue
    cp "$finding" "tests/data/crashers/$reader-$(basename "$finding").$reader"
  done
done
