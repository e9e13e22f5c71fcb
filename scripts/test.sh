#!/usr/bin/env bash
# Builds ORLIKA and runs every test.  --sanitize: the AddressSanitizer and
# UndefinedBehaviorSanitizer build instead.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
if [ "${1:-}" = "--sanitize" ]; then
  preset=asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
