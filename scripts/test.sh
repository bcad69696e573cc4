#!/usr/bin/env bash
# Installs what is missing, builds and runs every test the ways users build:
# the default CMake generator with GCC, Ninja with Clang, then the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded
# smoke run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

# A private X server for the OpenGL tests. Xvfb picks a free display number
# and writes it to file descriptor 3; the server ends with this script.
xvfb_dir=$(mktemp -d)
mkfifo "$xvfb_dir/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$xvfb_dir/display" 2>"$xvfb_dir/log" &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$xvfb_dir"' EXIT
if read -r -t 30 display_number <"$xvfb_dir/display"; then
  export DISPLAY=":$display_number"
  echo "== Xvfb on $DISPLAY"
else
  echo "Xvfb did not start:" >&2
  cat "$xvfb_dir/log" >&2
  exit 1
fi

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
