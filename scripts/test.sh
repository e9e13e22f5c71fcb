#!/usr/bin/env bash
# Builds ORLIKA and runs every test.  --sanitize: the AddressSanitizer and
# UndefinedBehaviorSanitizer build instead, with clang.  --clang: only the core's tests, built
# optimised with clang (the drawing arithmetic must come out the same with either
# compiler).
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
extra_packages=()
case "${1:-}" in
  --sanitize)
    preset=asan
    extra_packages=(clang-14)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
  --clang)
    preset=clang
    extra_packages=(clang-14)
    ;;
esac

bash scripts/setup.sh "${extra_packages[@]}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
