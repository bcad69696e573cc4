#!/usr/bin/env bash
# Installs what is missing, builds and runs every test the ways users build:
# the default CMake generator with GCC, Ninja with Clang, then the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded
# smoke run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

# build_and_test DIR [cmake arguments...]: configure, build, run ctest.
build_and_test() {
  local dir=$1
  shift
  echo "== $dir: $*"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

CC=gcc CXX=g++ build_and_test build-gcc
CC=clang CXX=clang++ build_and_test build-clang -G Ninja

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
CC=gcc CXX=g++ build_and_test build-sanitize -G Ninja -DZVHLR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

fuzz/run_smoke.sh build-fuzz
