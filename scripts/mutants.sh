#!/usr/bin/env bash
# A small mutation check for developers (not part of CI; it takes minutes).
#
# Applies a fixed list of deliberate faults to the code, one at a time,
# rebuilds, runs the test suite and prints the faults that no test noticed.
#
#   scripts/mutants.sh            every fault in the list
#   scripts/mutants.sh ID...      only these faults
#   scripts/mutants.sh --list     the faults, and whether their text is found
#
# Each fault names a file, a piece of text that must occur exactly once in it
# and its replacement; a fault whose text is gone (the code moved on) is
# skipped with a note, so update its entry when you rewrite that code.
# The file is always restored, also on Ctrl-C. A test that hangs counts as a
# failure after MUTANTS_TIMEOUT seconds. The build lives in build-mutants
# (MUTANTS_BUILD_DIR); the install test is left out, it checks packaging only.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${MUTANTS_BUILD_DIR:-build-mutants}
jobs=${MUTANTS_JOBS:-2}
log="$build/mutants.log"

ids=() files=() olds=() news=() notes=()
m() { ids+=("$1"); files+=("$2"); olds+=("$3"); news+=("$4"); notes+=("$5"); }

# ---- runtime
m rt-list-insert src/runtime/list.cpp \
  'if (index < 0 || index > count_) IndexError(index);' \
  'if (index < 0 || index >= count_) IndexError(index);' 'TList::Insert refuses the end position'
m rt-list-pack src/runtime/list.cpp \
  'if (items_[i]) items_[kept++] = items_[i];' 'items_[kept++] = items_[i];' 'TList::Pack keeps nil items'
m rt-same-name src/runtime/component.cpp \
  'if (a.size() != b.size()) return false;' '' 'SameName ignores the length'
m rt-ident-first src/runtime/component.cpp \
  'if (!isAlpha(name[0])) return false;' '' 'names may start with a digit'
m rt-own-cycle src/runtime/component.cpp \
  'if (OwnsTransitively(component))' 'if (component == this)' 'ownership cycles through an owner allowed'
m rt-destroy-order src/runtime/component.cpp \
  'int32_t last = components_.Count() - 1;' 'int32_t last = 0;' 'owned components freed first-first'
m rt-register-twice src/runtime/class_registry.cpp \
  'if (known == &cls) return;' '' 'registering a class twice raises'
m rt-float-precision src/runtime/number_text.cpp \
  'precision <= 17' 'precision <= 15' 'shortest number text does not read back'

# ---- geometry
m geo-less-tol src/geometry/vector.cpp \
  'return Extended(a) - b < -Eps;' 'return Extended(a) - b < Eps;' 'LessTol loses its tolerance sign'
m geo-modpos src/geometry/vector.cpp \
  'if (r < 0) r += m;' '' 'ModPos negative for negative arguments'
m geo-floor-tol src/geometry/vector.cpp \
  'std::nearbyint(Extended(x) - 0.4999999L)' 'std::nearbyint(Extended(x) - 0.5L)' 'FloorTol without tolerance'
m geo-cross-y src/geometry/vector.cpp \
  'static_cast<double>(Extended(a.Z) * b.X - Extended(a.X) * b.Z),' \
  'static_cast<double>(Extended(a.X) * b.Z - Extended(a.Z) * b.X),' 'cross product Y component negated'
m geo-wrap-period src/geometry/vector.cpp \
  'while (Extended(wrapped) < -Eps) {' 'while (Extended(wrapped) < -1) {' 'WrapPeriod leaves small negatives'
m geo-segment-reverse src/geometry/segment.cpp \
  'if (EqualXY(a0, b1) && EqualXY(a1, b0)) return false;' '' 'reversed equal segments meet'
m geo-in-sector src/geometry/segment.cpp \
  'if (!LessTol(c, 0)) return afterX && beforeY;' 'if (LessTol(c, 0)) return afterX && beforeY;' \
  'InSector confuses convex and reflex sectors'
m geo-area-sign src/geometry/polygon2d.cpp \
  'sum += px * qy - py * qx;' 'sum += px * qy + py * qx;' 'SignedArea2 sums the wrong product'
m geo-rect-disjoint src/geometry/polygon2d.cpp \
  'a.X1 > b.X2 || b.X1 > a.X2 || a.Y1 > b.Y2 || b.Y1 > a.Y2' 'a.X1 > b.X2 || b.X1 > a.X2 || a.Y1 > b.Y2' \
  'RectsDisjoint skips one side'
m geo-inside-edge src/geometry/polygon2d.cpp \
  '(r.Y <= p.Y && p.Y < q.Y) || (q.Y <= p.Y && p.Y < r.Y)' '(r.Y <= p.Y && p.Y <= q.Y) || (q.Y <= p.Y && p.Y <= r.Y)' \
  'PointInPolygon counts a vertex twice'
m geo-segment-clamp src/geometry/distance.cpp \
  'if (t > 1) t = 1;' '' 'segment distance not clamped at the end point'
m geo-line-plane src/geometry/space.cpp \
  't = static_cast<double>(-Extended(DotXYZ(SubXYZ(p, o), n)) / den);' \
  't = static_cast<double>(Extended(DotXYZ(SubXYZ(p, o), n)) / den);' 'line-plane parameter sign'
m geo-frame-hand src/geometry/space.cpp \
  'frame.YAxis = NormalizeXYZ(CrossXYZ(frame.XAxis, frame.Normal));' \
  'frame.YAxis = NormalizeXYZ(CrossXYZ(frame.Normal, frame.XAxis));' 'plane frame of the wrong hand'
m geo-invert-transpose src/geometry/frame.cpp \
  'Extended(Minor4(m, j, i))' 'Extended(Minor4(m, i, j))' 'inverse uses the transposed cofactors'
m geo-matmul src/geometry/frame.cpp \
  'sum += Extended(a.M[r][k]) * b.M[k][c];' 'sum += Extended(a.M[r][k]) * b.M[c][k];' 'matrix product with b transposed'
m geo-array-delete src/geometry/point_array.cpp \
  'if (tail) std::memmove(ElementAt(array, index), ElementAt(array, index + 1), tail);' '' \
  'ArrayDelete does not close the gap'
m geo-release-message src/geometry/point_array.cpp \
  'if (bytes > 100000) ShowMessage' 'if (bytes > 1000000) ShowMessage' 'release message threshold off'

# ---- cuts where outlines meet, and the stretches between them
m cut-proper src/hidden/outline_contacts.cpp \
  'params.push_back(k + static_cast<double>(s0 / (s0 - s1)));' '(void)s1;' 'proper crossings are not cut'
m cut-band src/hidden/visibility.cpp \
  'constexpr double ContactBand = static_cast<double>(Eps);' 'constexpr double ContactBand = 0.0;' \
  'outlines that nearly touch are not cut'
m cut-sign src/hidden/outline_contacts.cpp \
  'bool OppositeSigns(Extended u, Extended v) { return (u > 0 && v < 0) || (u < 0 && v > 0); }' \
  'bool OppositeSigns(Extended u, Extended v) { return (u > 0 && v < 0); }' 'crossings found in one direction only'
m area-hole src/hidden/group_area.cpp \
  'if (InsideOutline(outlines_[h], q)) return false;' '' 'holes do not take away from the area'
m stretch-wrap src/hidden/stretch_mask.cpp \
  'if (hiddenAtStart != hiddenAtEnd) Append(mask, hiddenAtStart ? -length : length);' '' \
  'a change at the start is not written'
m stretch-join src/hidden/stretch_mask.cpp \
  'if (!joined.empty() && s.From <= joined.back().To + close)' 'if (!joined.empty() && s.From < joined.back().To - close)' \
  'meeting hidden stretches are not joined'
m stretch-snap src/hidden/stretch_mask.cpp \
  'if (s.From < close) s.From = 0;' '' 'stretches starting within the tolerance of the start are not snapped'
m vis-along-outline src/hidden/visibility.cpp \
  'if (!found || !area.Contains(clear.Q)) return false;' 'if (found && !area.Contains(clear.Q)) return false;' \
  'stretches along an outline are judged by a point on it'

# ---- masks
m mask-hidden-toggle src/hidden/mask_merge.cpp \
  '(visibleCount == 1 && t < -limit)' '(visibleCount == 0 && t < -limit)' 'merge never switches to hidden'
m mask-single-hidden src/hidden/mask_merge.cpp \
  'if (sourceFirst == -1.0) SetSingleMask(target, -1.0);' '' 'a fully hidden source is ignored'
m mask-walk-order src/hidden/mask_merge.cpp \
  'LessTol(std::fabs(target.At<double>(i)), std::fabs(s))' 'LessTol(std::fabs(s), std::fabs(target.At<double>(i)))' \
  'merge walks the toggles out of order'
m mask-close src/hidden/mask_merge.cpp \
  'result.At<double>(result.Count - 1) < 0 ? -1.0 : 1.0' 'result.At<double>(result.Count - 1) > 0 ? -1.0 : 1.0' \
  'merged start value inverted'

# ---- visibility (the plain calculation)
m vis-depth-sign src/hidden/visibility.cpp \
  'if (d >= -Eps) return false;' 'if (d <= Eps) return false;' 'stretches in front of a face are hidden'
m vis-depth-lerp src/hidden/visibility.cpp \
  'itemA->Points.At<TXYZ>(ModPos(k + 1, n)), f);' 'itemA->Points.At<TXYZ>(ModPos(k + 1, n)), 1 - f);' \
  'depth asked at the mirrored point of a segment'
m vis-orientation src/hidden/visibility.cpp \
  'item.Orientation = a > Eps ? 1 : (a < -Eps ? -1 : 0);' 'item.Orientation = a > Eps ? -1 : (a < -Eps ? 1 : 0);' \
  'orientation of the projected outline inverted'
m vis-back-occluder src/hidden/visibility.cpp \
  'groupEnds && examined && gj != gi && IsFront(gj)' 'groupEnds && examined && gj != gi' 'faces turned away hide others'

# ---- fast modes
m fast-cell-range src/hidden/candidate_table.cpp \
  'cx2 = Cell(r.X2, x0_, nx_);' 'cx2 = Cell(r.X1, x0_, nx_);' 'grid cells of a rectangle cut short'
m fast-large-rects src/hidden/candidate_table.cpp \
  'for (int32_t s : large_)' 'for (int32_t s : std::vector<int32_t>{})' 'rectangles kept out of the grid never found'
m fast-self-candidate src/hidden/candidate_table.cpp \
  'if (Disjoint(w.Query, e.Bounds) || e.Outer == w.Own || cellTops_[k] < w.Floor) return false;' \
  'if (Disjoint(w.Query, e.Bounds) || cellTops_[k] < w.Floor) return false;' \
  'a group is its own candidate'
m fast-every-rect src/hidden/candidate_table.cpp \
  '!= s && !RectsDisjoint(own, rects[t].Bounds)' '!= s && RectsDisjoint(own, rects[t].Bounds)' \
  'pairwise candidates inverted'
m fast-back-groups src/hidden/indexed_traversal.cpp \
  'if (group_[k] != k || !b_.IsFront(k)) continue;' 'if (group_[k] != k) continue;' \
  'back-facing groups become occluders'
m fast-back-hidden src/hidden/indexed_traversal.cpp \
  'if (!examined) item->Masked.Mask->At<double>(0) = -1.0;' '' 'back-facing items reported visible'
m fast-hidden-whole src/hidden/indexed_traversal.cpp \
  'if (HiddenWhole(*item)) break;' 'if (item->Masked.Mask->Count < 4) break;' 'items stop before they are hidden whole'

# ---- store and exports
m store-close src/hidden/hidden_buffer.cpp \
  'if (!closed) ArrayAdd(Points, &first);' '' \
  'stored contours are not closed'
m store-bracket src/hidden/hidden_buffer.cpp \
  'if (ChangeCount == 0) Calculate();' 'if (!changing) Calculate();' 'an inner bracket calculates'
m store-failed-add src/hidden/hidden_buffer.cpp \
  '--ChangeCount;  // close' 'ChangeCount += 0;  // close' 'a failed add leaves the bracket open'
m store-front-flag src/interface/dll_hidden_buffer.cpp \
  'data.FrontPositiveFlag = FrontPositive ? -1 : 0;' 'data.FrontPositiveFlag = FrontPositive ? 1 : 0;' \
  'true written as 1'
m store-host-value src/interface/dll_hidden_buffer.cpp \
  'HostValue2 = data.HostValue2;' 'HostValue2 = data.HostValue1;' 'host values mixed up'
m store-line-flag src/interface/dll_hidden_buffer.cpp \
  'LineToProc(Handle(), visible ? 1 : 0, &p);' 'LineToProc(Handle(), visible ? 0 : 1, &p);' \
  'line-to visibility flag inverted'
m store-mask-abs src/interface/zvsd_exports.cpp \
  'buffer[k] = k > 0 ? std::fabs(v) : v;' 'buffer[k] = v;' 'mask toggles handed out signed'
m store-item-range src/interface/zvsd_exports.cpp \
  'index >= buffer->Count()) return nullptr;' 'index > buffer->Count()) return nullptr;' \
  'item index one past the end accepted'
m store-record-size src/interface/zvsd_exports.cpp \
  'if (!data) return static_cast<int32_t>(sizeof(TZVSDData));' 'if (!data) return 0;' \
  'record size query answers 0'

# ---- tessellation, hatch table, stroke fonts
m tess-hole-orientation src/geometry/tessellation.cpp \
  'if (DotXYZ(holeNormal, normal) > 0) std::reverse(hole.begin(), hole.end());' '' \
  'holes kept in the orientation they were drawn in'
m tess-ear-contains src/geometry/tessellation.cpp \
  'if (InTriangle(w[k], a, b, c, n, strict)) return false;' '' 'ears that contain another corner cut off'
m hatch-dash-count src/hatch/hatch_table.cpp \
  'if (count < 0 || count > HatchDashSlots) throw EConvertError(bad);' \
  'if (count < 0 || count > HatchDashSlots + 1) throw EConvertError(bad);' 'one dash more than the slots accepted'
m hatch-fixed-families src/hatch/hatch_table.cpp \
  'if (!pattern.Fixed) pattern.Families.push_back(line);' 'pattern.Families.push_back(line);' \
  'built-in patterns take families from the file'
m fonts-spline-weight src/fonts/curve_piece.cpp \
  '(s * s * p0.X + 2 * w * t * s * p1.X' '(s * s * p0.X + w * t * s * p1.X' 'spline point with half the control weight'
m fonts-arc-axes src/fonts/curves.cpp \
  'return {center_.X + radius_ * std::cos(angle), center_.Y + radius_ * std::sin(angle)};' \
  'return {center_.X + radius_ * std::sin(angle), center_.Y + radius_ * std::cos(angle)};' 'arc points mirrored'
m fonts-built-once src/fonts/stroke_font.cpp \
  'if (found->InheritsFrom(TPrimfont::Class())) return static_cast<TPrimfont*>(found)->Glyphs();' '' \
  'a stroke font built again for every request'

# ---- platform
m plat-change-level src/platform/component.cpp \
  'if (++changeLevel_ != 1) return this;' 'if (++changeLevel_ < 1) return this;' \
  'nested change brackets notify every time'
m plat-parent-cycle src/platform/component.cpp \
  'if (newParent && IsSelfOrAncestorOf(newParent)) return;' 'if (newParent == this) return;' \
  'a component may become its ancestor'"'"'s child'
m plat-destroy-order src/platform/server.cpp \
  'int32_t at = lastFirst ? receivers_.Count() - 1 - i : i;' 'int32_t at = i;' \
  'receivers told of a destruction first-first'

# ---- object stream
m stream-hex-digit src/platform/stream_values.cpp \
  'text += digits[bytes[i] & 15];' 'text += digits[bytes[i] & 7];' 'binary blocks lose the top bit of the low digit'
m stream-coord-exact src/platform/stream_values.cpp \
  'if (std::isfinite(d) && ParseFloat(fixed) == d) return fixed;' 'if (std::isfinite(d)) return fixed;' \
  'coordinates written with two decimals even when that loses digits'
m stream-bool-case src/platform/stream_values.cpp \
  'return UpperCaseName(text) == "TRUE";' 'return text == "True";' 'booleans read case-sensitively'
m stream-hex-lower src/platform/stream_values.cpp \
  "if (c >= 'a' && c <= 'f') return c - 'a' + 10;" '' 'lower-case hexadecimal digits refused'
m stream-list-separator src/platform/stream_values.cpp \
  "return DecimalSeparator() == ',' ? ';' : ',';" "return ',';" 'list items split at the decimal comma'
m ascii-nesting src/platform/ascii_reader.cpp \
  'if (depth >= kMaxStreamNesting)' 'if (depth >= 2 * kMaxStreamNesting)' 'section nesting bound doubled'

# ---- loaders of the command-line tool
m load-obj-negative tools/zvhlr/obj_loader.cpp \
  'available + *index + 1;' 'available + *index;' 'negative OBJ indexes off by one'
m load-obj-range tools/zvhlr/obj_loader.cpp \
  'if (resolved < 1 || resolved > available) {' 'if (resolved < 1 || resolved > available + 1) {' \
  'OBJ index one past the vertices accepted'
m load-obj-closing tools/zvhlr/obj_loader.cpp \
  'while (clean.size() > 1 && clean.front() == clean.back()) clean.pop_back();' '' \
  'OBJ face repeating its first corner kept'
m load-stl-truncated tools/zvhlr/stl_loader.cpp \
  'if (data.size() < needed) {' 'if (data.size() + kTriangleSize < needed) {' \
  'binary STL short of a triangle accepted'
m load-stl-degenerate tools/zvhlr/stl_loader.cpp \
  'if (other == index) return;' '' 'STL triangles with a repeated corner kept'
m load-stl-axes tools/zvhlr/stl_loader.cpp \
  'double* slots[3] = {&p.x, &p.y, &p.z};' 'double* slots[3] = {&p.y, &p.x, &p.z};' \
  'ASCII STL coordinates swapped'

# ---- drawings of the command-line tool
m join-tail tools/zvhlr/drawing.cpp \
  'tail = *next ^ 1;' 'tail = *next;' 'joined lines continue from the wrong end of a piece'

# ---------------------------------------------------------------- machinery

occurrences() { OLD="$2" perl -0777 -ne '$n = () = /\Q$ENV{OLD}\E/g; print $n + 0' "$1"; }
apply() { OLD="$2" NEW="$3" perl -0777 -pi -e 's/\Q$ENV{OLD}\E/$ENV{NEW}/' "$1"; }

backup=""
target=""
restore() {
  if [[ -n $target && -f $backup ]]; then
    cp "$backup" "$target"
    rm -f "$backup"
  fi
  target=""
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

# The test group of a file: its test program runs first, the rest after it.
group_of() {
  case $1 in
    src/runtime/*) echo runtime ;; src/geometry/*) echo geometry ;; src/hidden/*) echo hidden ;;
    src/interface/*) echo interface ;; src/platform/*) echo platform ;; src/hatch/*) echo hatch ;;
    src/fonts/*) echo fonts ;; tools/*) echo tools ;; *) echo "" ;;
  esac
}

build_all() { cmake --build "$build" -j"$jobs" >>"$log" 2>&1; }

# run_suite GROUP TIMEOUT: 0 when every test passes.
run_suite() {
  local group=$1 limit=$2 exclude="install_consumer"
  if [[ -n $group ]]; then
    (cd "$build" && ctest -R "^$group\$" --timeout "$limit" >>mutants.log 2>&1) || return 1
    exclude="$exclude|^$group\$"
  fi
  (cd "$build" && ctest -E "$exclude" -j"$jobs" --timeout "$limit" --stop-on-failure >>mutants.log 2>&1)
}

if [[ ${1:-} == --list ]]; then
  for i in "${!ids[@]}"; do
    n=$( [[ -f ${files[$i]} ]] && occurrences "${files[$i]}" "${olds[$i]}" || echo 0)
    printf '%-22s %-40s %s\n' "${ids[$i]}" "${files[$i]}" "$([[ $n == 1 ]] && echo "${notes[$i]}" || echo "pattern not found")"
  done
  exit 0
fi

selected=("$@")
wanted() {
  [[ ${#selected[@]} -eq 0 ]] && return 0
  local s
  for s in "${selected[@]}"; do [[ $s == "$1" ]] && return 0; done
  return 1
}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
mkdir -p "$build"
: >"$log"
echo "== configuring and building $build (log: $log)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >>"$log" 2>&1 || { echo "configure failed"; exit 2; }
build_all || { echo "the unchanged code does not build"; exit 2; }
start=$SECONDS
run_suite "" 3600 || { echo "the unchanged suite fails; fix it first (see $log)"; exit 2; }
clean=$((SECONDS - start))
limit=${MUTANTS_TIMEOUT:-$((clean * 4 + 60))}
echo "== unchanged suite passes in ${clean}s; per-test limit ${limit}s"

caught=0 survived=0 skipped=0
survivors=()
for i in "${!ids[@]}"; do
  id=${ids[$i]} file=${files[$i]}
  wanted "$id" || continue
  if [[ ! -f $file ]] || [[ $(occurrences "$file" "${olds[$i]}") != 1 ]]; then
    echo "SKIP $id: pattern not found"
    skipped=$((skipped + 1))
    continue
  fi
  backup=$(mktemp)
  cp "$file" "$backup"
  target=$file
  apply "$file" "${olds[$i]}" "${news[$i]}"
  echo "---- $id: ${notes[$i]}" >>"$log"
  if ! build_all; then
    echo "SKIP $id: does not build"
    skipped=$((skipped + 1))
  elif run_suite "$(group_of "$file")" "$limit"; then
    echo "SURVIVED $id: ${notes[$i]} ($file)"
    survived=$((survived + 1))
    survivors+=("$id")
  else
    echo "caught $id"
    caught=$((caught + 1))
  fi
  restore
done
build_all  # leave the build matching the restored code

echo "== survivors: ${survivors[*]:-none}"
echo "$caught caught, $survived survived, $skipped skipped"
