#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time on a copy of its
# seed corpus, so that a regression shows in CI.  A crash, a sanitizer report,
# a run that takes longer than the timeout or an out-of-memory ends the script
# with a non-zero status; the input that caused it is left in the work folder.
#
#   fuzz/run_smoke.sh [build-dir]        (default: build-fuzz)
#
# Environment: FUZZ_SECONDS (per target, default 20), FUZZ_TIMEOUT (seconds per
# input, default 2), FUZZ_SEED (default 1), CC/CXX (default clang/clang++).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
timeout="${FUZZ_TIMEOUT:-2}"
seed="${FUZZ_SEED:-1}"  # a fixed seed keeps the CI run repeatable; set another to explore

CC="${CC:-clang}" CXX="${CXX:-clang++}" cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j"$(nproc)"
build="$(cd "$build" && pwd)"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
for target in zvsd_calls_fuzz point_text_fuzz tessellation_fuzz stream_reader_fuzz mesh_loader_fuzz; do
  if [ ! -x "$build/$target" ]; then
    echo "fuzz smoke: $target was not built, skipped"
    continue
  fi
  work="$build/smoke/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  cp "$here/corpus/$target/"* "$work/corpus/" 2>/dev/null || true
  echo "fuzz smoke: $target for ${seconds}s"
  if ! (cd "$work" && "$build/$target" -seed="$seed" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
          -print_final_stats=1 -artifact_prefix="$work/findings/" corpus >"$work/log" 2>&1); then
    echo "fuzz smoke: $target FAILED; the log ends:"
    tail -n 40 "$work/log"
    ls -l "$work/findings"
    status=1
  else
    grep -E "^(stat::number_of_executed_units|Done)" "$work/log" || true
  fi
done
exit $status
