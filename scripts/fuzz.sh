#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer (clang-14, AddressSanitizer and UndefinedBehaviorSanitizer)
# under the invariants of fuzz/Invariants.h.
#
# usage: scripts/fuzz.sh [--merge] [SECONDS] [TARGET...]
#        scripts/fuzz.sh --smoke [TARGET...]
#
# Each target runs SECONDS (default 60) from its kept corpus, fuzz/corpus/<target>/, and
# the bundled samples of its types, as many targets at once as the machine has cores.
# Per target it prints the executions, the coverage (cov: and ft:) at the start and at
# the end, and the findings. A finding is printed as
# hex with the fuzzer's report, copied to tests/data/crashers/ (which the test suite
# replays) and makes the script exit non-zero.
#   --merge  afterwards replaces the kept corpus by a -merge=1 minimisation of it and of
#            what the run added, small files only (the folder stays well under 2 MB)
#   --smoke  what CI runs: 10 seconds per target from the kept corpus alone
# The targets and their types come from the format registry, as the configured build
# lists them in orlika-fuzz-targets.txt (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."

merge=false
smoke=false
while [ $# -gt 0 ]; do
  case "$1" in
    --merge) merge=true; shift ;;
    --smoke) smoke=true; shift ;;
    *) break ;;
  esac
done
seconds=60
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
$smoke && seconds=10
readers=("$@")
started=$SECONDS

if ! command -v clang++-14 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
  sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq clang-14 libclang-rt-14-dev
fi
bash scripts/setup.sh

build=build-fuzz
mkdir -p "$build"
# The fuzz targets alone: they need the readers and the catalog, not the rest of the tree.
if ! { CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
         -DORLIKA_FUZZ=ON -DORLIKA_BUILD_GUI=OFF -DORLIKA_BUILD_TESTS=OFF -DORLIKA_BUILD_BENCH=OFF &&
       cmake --build "$build" -j2 --target $(awk '{print "fuzz_" $1}' "$build/orlika-fuzz-targets.txt"); } \
     >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  exit 2
fi
echo "fuzz targets built ($((SECONDS - started)) s)"

declare -A extensions=()
while read -r target types; do
  extensions[$target]=$types
  [ "$#" -gt 0 ] || readers+=("$target")
done <"$build/orlika-fuzz-targets.txt"

# Kept inputs stay small (every test run replays them; the corpus stays under 2 MB) but
# span a few of their reader's blocks: 4 KB, 6 KB for PCD (4536-byte blocks), and for SEW,
# whose stitches start at byte 7544, one EXP block (1000 bytes) and a bit beyond that. PEC
# keeps 3 KB, six of its 512-byte blocks: at 4 KB it reached no edge more.
keep_limit() {
  case "$1" in
    pec) echo 3072 ;;
    pcs) echo 6144 ;;
    sew) echo 8704 ;;
    *) echo 4096 ;;
  esac
}

# The hex of a finding, with offsets and the bytes as text.
show_input() {
  echo "input $(basename "$1") ($(stat -c %s "$1") bytes):"
  od -A x -t x1z -v "$1"
}

# One target: its report goes to $build/report-<target>.txt, and a finding makes it fail.
fuzz_one() {
  local reader=$1
  local fuzzer="$build/fuzz/fuzz_$reader"
  local kept="fuzz/corpus/$reader"
  local work="$build/work/$reader"
  local findings="$build/findings/$reader"
  local log="$build/fuzz-$reader.log"
  local failed=0
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings" "$kept"
  find "$kept" -maxdepth 1 -type f -exec cp {} "$work/" \;
  if ! $smoke; then
    for ext in ${extensions[$reader]}; do
      find samples -maxdepth 1 -type f -iname "*.$ext" -exec cp {} "$work/" \;
    done
  fi
  "$fuzzer" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || true
  local runs first last count
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  first=$(grep -m1 'INITED' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' || echo "cov: ? ft: ?")
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 | grep -o 'cov: [0-9]* ft: [0-9]*' || echo "cov: ? ft: ?")
  count=$(find "$findings" -type f | wc -l)
  echo "$reader: ${runs:-0} executions, $first at the start, $last at the end, $count findings"
  for finding in "$findings"/*; do
    [ -e "$finding" ] || continue
    failed=1
    grep -E '^(INVARIANT|==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -n 20 || true
    show_input "$finding"
    local ext=${extensions[$reader]%% *}
    cp "$finding" "tests/data/crashers/$reader-$(basename "$finding").$ext"
  done
  if $merge && [ "$count" -eq 0 ]; then
    local candidates="$build/candidates/$reader"
    local merged="$build/merged/$reader"
    rm -rf "$candidates" "$merged"
    mkdir -p "$candidates" "$merged"
    find "$kept" "$work" -maxdepth 1 -type f -size -"$(keep_limit "$reader")"c -exec cp {} "$candidates/" \;
    "$fuzzer" -merge=1 "$merged" "$candidates" >"$build/merge-$reader.log" 2>&1
    rm -rf "$kept"
    mkdir -p "$kept"
    find "$merged" -maxdepth 1 -type f -exec cp {} "$kept/" \;
    echo "$reader: kept corpus $(find "$kept" -type f | wc -l) files, $(du -sb "$kept" | cut -f1) bytes"
  fi
  return "$failed"
}

# The targets run one a core at a time (each fuzzer is single-threaded); their reports
# are printed in order when all have ended.
for reader in "${readers[@]}"; do
  [ -n "${extensions[$reader]:-}" ] || { echo "$reader: no such fuzz target (${!extensions[*]})"; exit 2; }
done
parallel=$(nproc)
failed=0
for reader in "${readers[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  ( fuzz_one "$reader" >"$build/report-$reader.txt" 2>&1; echo $? >"$build/status-$reader" ) &
done
wait
for reader in "${readers[@]}"; do
  cat "$build/report-$reader.txt"
  [ "$(cat "$build/status-$reader")" = 0 ] || failed=1
done
echo "fuzzing took $((SECONDS - started)) s"
exit "$failed"
