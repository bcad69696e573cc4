#!/usr/bin/env bash
# Side by side in one run: the zvhlr tool against Open CASCADE's polygonal
# hidden-line removal (bench/occt_compare, meshing included) on the
# benchmark's scenes, the iso view, parallel projection.
#
#   scripts/install-deps.sh --compare     # Open CASCADE (not needed by CI)
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build -j2 \
#       --target zvhlr_cli zvhlr_bench occt_compare
#   bench/compare.sh [BUILD_DIR] [SCENE:FACES ...]
#
# Each scene is written as an OBJ file; the whole zvhlr process on that file
# and the whole occt_compare process are timed. "engine s" is the calculation
# inside that zvhlr run, "bench s" the benchmark's engine-only time on the
# generated scene (its own oblique view, two threads). Lengths are projected
# 2-D lengths in model units, every stretch counted once on both sides.
# Scenes without holes are drawn with --all-edges (no coplanar merging, as
# Open CASCADE gets them); the flange's holed faces are triangles in the
# file and merged back, with --smooth 0 so that every facet edge is drawn.
# Open CASCADE runs with an angular tolerance of 1e-4 (OCCT_ANGULAR_TOLERANCE;
# its default of 1e-3 leaves short stretches next to a shared corner visible
# that faces in front hide, e.g. on the height field).
set -euo pipefail

build=${1:-build}
shift || true
scenes=("$@")
((${#scenes[@]})) || scenes=(blocks:15000 blocks:60000 heightfield:20000 heightfield:80000 overlap:18000 flange:7400)
occt_timeout=${OCCT_TIMEOUT:-300}
occt_tolerance=${OCCT_ANGULAR_TOLERANCE:-1e-4}

for exe in tools/zvhlr bench/zvhlr_bench bench/occt_compare; do
  if [ ! -x "$build/$exe" ]; then
    echo "compare.sh: $build/$exe is missing (Open CASCADE installed? see the top of this script)" >&2
    exit 2
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
# The value after "key:" in a stats file.
field() { sed -n "s/^$2:[[:space:]]*\([^ ]*\).*/\1/p" "$1" | head -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b != "") printf "%.1f", b / a; else printf "-" }'; }
reldiff() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b == "") { printf "-"; exit }
    d = a - b; if (d < 0) d = -d; m = (b < 0 ? -b : b); printf "%.2e", (m > 0 ? d / m : d) }'
}

echo "load before: $(uptime)"
printf "%-12s %7s %9s %9s %9s %9s %7s %14s %14s %14s %14s %9s %9s\n" scene faces "zvhlr s" "engine s" "bench s" \
  "OCCT s" ratio "zvhlr visible" "zvhlr hidden" "OCCT visible" "OCCT hidden" "diff vis" "diff hid"
for entry in "${scenes[@]}"; do
  kind=${entry%%:*} faces=${entry##*:}
  obj="$work/$kind-$faces.obj"
  "$build/bench/occt_compare" "$kind" "$faces" --write-obj "$obj"
  edges=(--all-edges)
  [ "$kind" = flange ] && edges=(--smooth 0)

  t0=$(now)
  "$build/tools/zvhlr" "$obj" -o "$work/drawing.svg" "${edges[@]}" --stats --quiet >"$work/zvhlr.txt"
  t1=$(now)
  zvhlr_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }')

  bench_s=$("$build/bench/zvhlr_bench" --scenes "$kind" --sizes "$faces" --modes index+view --threads 2 |
            awk 'NR == 2 { print $5 }')

  t0=$(now)
  occt_status=0
  timeout "$occt_timeout" "$build/bench/occt_compare" "$kind" "$faces" --angular-tolerance "$occt_tolerance" \
    >"$work/occt.txt" 2>&1 || occt_status=$?
  t1=$(now)
  if [ "$occt_status" -eq 0 ]; then
    occt_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }')
  elif [ "$occt_status" -eq 124 ]; then
    occt_s=">$occt_timeout"
  else
    occt_s="failed"
  fi
  zv=$(field "$work/zvhlr.txt" "visible length") zh=$(field "$work/zvhlr.txt" "hidden length")
  ov=$(field "$work/occt.txt" "visible length") oh=$(field "$work/occt.txt" "hidden length")
  occt_faces=$(field "$work/occt.txt" "faces")
  [ -n "$occt_faces" ] || occt_faces=$(field "$work/zvhlr.txt" "faces")
  ratio_text=$(ratio "$zvhlr_s" "${occt_s#>}")
  [ "${occt_s:0:1}" = ">" ] && ratio_text=">$ratio_text"
  printf "%-12s %7s %9s %9s %9s %9s %7s %14s %14s %14s %14s %9s %9s\n" "$kind" "$occt_faces" "$zvhlr_s" \
    "$(field "$work/zvhlr.txt" calculation)" "$bench_s" "$occt_s" "$ratio_text" "$zv" "$zh" "${ov:--}" "${oh:--}" \
    "$(reldiff "$zv" "$ov")" "$(reldiff "$zh" "$oh")"
  if [ "$occt_status" -eq 0 ]; then
    echo "    OCCT steps (s): $(grep -E '^(build|mesh|hlr|extract|drawing) seconds' "$work/occt.txt" |
                              sed 's/ seconds:[[:space:]]*/ /' | tr '\n' ' ')"
  fi
done
echo "load after:  $(uptime)"
