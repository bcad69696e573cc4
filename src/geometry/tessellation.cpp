#include "geometry/tessellation.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/distance.h"
#include "geometry/frame.h"
#include "geometry/polygon2d.h"
#include "geometry/space.h"
#include "runtime/exception.h"

namespace zv {
namespace {

using Ring = std::vector<TXYZ>;

Ring RingOf(const TPointArray& array) {
    const TXYZ* first = static_cast<const TXYZ*>(array.Data);
    return array.Count > 0 ? Ring(first, first + array.Count) : Ring();
}

void StoreRing(const Ring& ring, TPointArray& array) {
    ArraySetCount(array, static_cast<int32_t>(ring.size()));
    for (size_t k = 0; k < ring.size(); ++k) array.At<TXYZ>(static_cast<int32_t>(k)) = ring[k];
}

TXYZ RingNormal(const Ring& ring) {
    TPointArray view = ArrayView(ring.data(), sizeof(TXYZ), static_cast<int32_t>(ring.size()));
    return PolygonNormal(view);
}

bool IsFinite(const TXYZ& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

bool AllFinite(const TPointArray& array) {
    for (int32_t k = 0; k < array.Count; ++k)
        if (!IsFinite(array.At<TXYZ>(k))) return false;
    return true;
}

const TXYZ zeroVector{0, 0, 0};

// --- Usable holes ------------------------------------------------------------

// The outline and a point in the outline's plane, for inside tests.
struct PlaneView {
    TPlaneFrame frame;
    std::vector<TXY> outline;
    TXY Project(const TXYZ& p) const {
        TXYZ q = WorldToFrame(frame, p);
        return {q.X, q.Y};
    }
};

PlaneView ViewInPlane(const Ring& outline, const TXYZ& normal) {
    PlaneView view{MakeFrame(outline[0], normal), {}};
    for (const TXYZ& p : outline) view.outline.push_back(view.Project(p));
    return view;
}

bool InsideOrOn(const PlaneView& view, const TXY& p) {
    TPointArray outline = ArrayView(view.outline.data(), sizeof(TXY), static_cast<int32_t>(view.outline.size()));
    if (PointInPolygon(p, outline)) return true;
    for (size_t k = 0; k + 1 < view.outline.size(); ++k)
        if (SegmentDistanceXY(p, view.outline[k], view.outline[k + 1]) < Eps) return true;
    return false;
}

bool HoleInside(const PlaneView& view, const Ring& hole) {
    for (const TXYZ& p : hole)
        if (!InsideOrOn(view, view.Project(p))) return false;
    return true;
}

// --- Bridges -----------------------------------------------------------------

// Where a hole is attached: an index and a parameter along the edge that
// starts there, on the outline and on the hole.
struct Bridge {
    double distance = 1e10;
    int32_t outlineIndex = 0;
    double outlineParam = 0;
    int32_t holeIndex = 0;
    double holeParam = 0;
};

// The nearest point of the segment s..e to p, as a parameter in 0..1.
double ClampedParam(const TXYZ& p, const TXYZ& s, const TXYZ& e) {
    TXYZ d = SubXYZ(e, s);
    double length2 = DotXYZ(d, d);
    if (!(length2 > Eps * Eps)) return 0;
    return std::clamp(DotXYZ(SubXYZ(p, s), d) / length2, 0.0, 1.0);
}

// The next point of the ring, from index k in direction step (+1 or -1),
// that differs from ring[k]; ring[k] itself when there is none.
const TXYZ& DistinctNeighbour(const Ring& ring, size_t k, int step) {
    const size_t n = ring.size();
    for (size_t i = 1; i < n; ++i) {
        const TXYZ& q = ring[(k + n + step * static_cast<long>(i)) % n];
        if (!EqualXYZ(q, ring[k])) return q;
    }
    return ring[k];
}

// Does the direction from vertex k of the outline towards r start into the
// outline's inside? A vertex that a bridge has doubled has one copy for each
// side of the bridge; only the copy facing r answers yes.
bool OpensTowards(const Ring& outline, size_t k, const TXYZ& r, const TXYZ& n) {
    const TXYZ& a = DistinctNeighbour(outline, k, -1);
    const TXYZ& c = DistinctNeighbour(outline, k, +1);
    const TXYZ& v = outline[k];
    if (Turn(a, v, c, n) >= 0) return Turn(a, v, r, n) >= 0 && Turn(v, c, r, n) >= 0;
    return Turn(a, v, r, n) >= 0 || Turn(v, c, r, n) >= 0;
}

// Turns an attachment at parameter t of edge k into the vertex k + 1 when t
// reaches the edge's end.
void SnapToVertex(int32_t& index, double& param, size_t count) {
    if (param >= 1 - Eps) {
        index = static_cast<int32_t>((static_cast<size_t>(index) + 1) % count);
        param = 0;
    } else if (param <= Eps) {
        param = 0;
    }
}

struct BridgeSearch {
    Bridge open;  // the nearest bridge that leaves the outline into its inside
    Bridge any;   // the nearest bridge of all

    void Offer(const Bridge& candidate, bool opens) {
        if (candidate.distance < any.distance) any = candidate;
        if (opens && candidate.distance < open.distance) open = candidate;
    }
    const Bridge& Best() const { return open.distance < 1e10 ? open : any; }
};

// Does the outline side of the bridge face the hole point r?
bool BridgeOpens(const Ring& outline, const Bridge& b, const TXYZ& r, const TXYZ& n) {
    size_t k = static_cast<size_t>(b.outlineIndex);
    if (b.outlineParam == 0) return OpensTowards(outline, k, r, n);
    return Turn(outline[k], outline[(k + 1) % outline.size()], r, n) >= 0;
}

// A point just inside the hole next to its point at index k and parameter
// t: where a bridge has no length, the direction towards it tells which copy
// of a doubled outline point the hole belongs to. The hole runs against the
// outline, so its inside lies where Turn is negative.
TXYZ HoleSide(const Ring& hole, size_t k, double t, const TXYZ& n) {
    if (t == 0) {
        const TXYZ& p = DistinctNeighbour(hole, k, -1);
        const TXYZ& q = DistinctNeighbour(hole, k, +1);
        TXYZ mid = ScaleXYZ(AddXYZ(p, q), 0.5);
        if (Turn(p, hole[k], q, n) > 0) return SubXYZ(ScaleXYZ(hole[k], 2), mid);
        return mid;
    }
    const TXYZ& s = hole[k];
    const TXYZ& e = hole[(k + 1) % hole.size()];
    TXYZ foot = LerpXYZ(s, e, t);
    TXYZ side = ScaleXYZ(NormalizeXYZ(CrossXYZ(n, SubXYZ(e, s))), 0.5 * DistXYZ(s, e));
    TXYZ r = AddXYZ(foot, side);
    return Turn(s, e, r, n) < 0 ? r : SubXYZ(foot, side);
}

// The nearest approach of the hole to the outline, over every vertex of
// either and the nearest point of every edge of the other (the edge's end
// points included, so a search always ends with a bridge). Among bridges of
// equal length the first that leaves the outline into its inside wins.
Bridge NearestApproach(const Ring& outline, const Ring& hole, const TXYZ& n) {
    BridgeSearch search;
    const size_t no = outline.size(), nh = hole.size();
    for (size_t m = 0; m < no; ++m) {
        for (size_t e = 0; e < nh; ++e) {
            Bridge b;
            b.outlineIndex = static_cast<int32_t>(m);
            b.holeIndex = static_cast<int32_t>(e);
            b.holeParam = ClampedParam(outline[m], hole[e], hole[(e + 1) % nh]);
            TXYZ foot = LerpXYZ(hole[e], hole[(e + 1) % nh], b.holeParam);
            b.distance = DistXYZ(outline[m], foot);
            SnapToVertex(b.holeIndex, b.holeParam, nh);
            if (b.distance < Eps) foot = HoleSide(hole, static_cast<size_t>(b.holeIndex), b.holeParam, n);
            search.Offer(b, BridgeOpens(outline, b, foot, n));
        }
    }
    for (size_t m = 0; m < nh; ++m) {
        for (size_t e = 0; e < no; ++e) {
            Bridge b;
            b.holeIndex = static_cast<int32_t>(m);
            b.outlineIndex = static_cast<int32_t>(e);
            b.outlineParam = ClampedParam(hole[m], outline[e], outline[(e + 1) % no]);
            b.distance = DistXYZ(hole[m], LerpXYZ(outline[e], outline[(e + 1) % no], b.outlineParam));
            SnapToVertex(b.outlineIndex, b.outlineParam, no);
            TXYZ r = b.distance < Eps ? HoleSide(hole, m, 0, n) : hole[m];
            search.Offer(b, BridgeOpens(outline, b, r, n));
        }
    }
    return search.Best();
}

// Inserts the point at parameter param of edge index when param is not 0,
// and returns the index of the attachment point.
size_t AttachmentPoint(Ring& ring, int32_t index, double param) {
    if (param == 0) return static_cast<size_t>(index);
    size_t k = static_cast<size_t>(index);
    TXYZ p = LerpXYZ(ring[k], ring[(k + 1) % ring.size()], param);
    ring.insert(ring.begin() + static_cast<long>(k) + 1, p);
    return k + 1;
}

// outline[0..i], the hole from j around to j again, outline[i], outline[i+1..].
Ring Splice(const Ring& outline, const Ring& hole, size_t i, size_t j) {
    if (outline.size() < 3 || hole.size() < 3) return outline;
    Ring result(outline.begin(), outline.begin() + static_cast<long>(i) + 1);
    for (size_t k = 0; k < hole.size(); ++k) result.push_back(hole[(j + k) % hole.size()]);
    result.push_back(hole[j]);
    result.push_back(outline[i]);
    result.insert(result.end(), outline.begin() + static_cast<long>(i) + 1, outline.end());
    return result;
}

// The holes that can be bridged in, each running against the outline.
std::vector<Ring> UsableHoles(const TlistOFxyzArray& contours, const Ring& outline, const TXYZ& normal) {
    std::vector<Ring> holes;
    if (EqualXYZ(normal, zeroVector)) return holes;
    PlaneView view = ViewInPlane(outline, normal);
    for (int32_t i = 1; i < contours.Count(); ++i) {
        const TPointArray& contour = *contours.Items(i);
        if (contour.Count <= 2 || !AllFinite(contour)) continue;
        Ring hole = RingOf(contour);
        TXYZ holeNormal = RingNormal(hole);
        if (EqualXYZ(holeNormal, zeroVector) || !HoleInside(view, hole)) continue;
        if (DotXYZ(holeNormal, normal) > 0) std::reverse(hole.begin(), hole.end());
        holes.push_back(std::move(hole));
    }
    return holes;
}

// --- Ears --------------------------------------------------------------------

void RemoveRepeatedPoints(Ring& w) {
    for (size_t k = w.size(); k-- > 0 && w.size() > 1;) {
        if (EqualXYZ(w[k], w[(k + 1) % w.size()])) w.erase(w.begin() + static_cast<long>(k));
    }
}

// Is p inside the triangle a, b, c? On its edges counts as inside unless
// strict; the corners themselves never do.
bool InTriangle(const TXYZ& p, const TXYZ& a, const TXYZ& b, const TXYZ& c, const TXYZ& n, bool strict) {
    if (EqualXYZ(p, a) || EqualXYZ(p, b) || EqualXYZ(p, c)) return false;
    int low = strict ? 1 : 0;
    return Turn(a, b, p, n) >= low && Turn(b, c, p, n) >= low && Turn(c, a, p, n) >= low;
}

bool IsEar(const Ring& w, size_t i, const TXYZ& n, bool strict) {
    const size_t count = w.size();
    const TXYZ& a = w[i];
    const TXYZ& b = w[(i + 1) % count];
    const TXYZ& c = w[(i + 2) % count];
    if (Turn(a, b, c, n) < (strict ? 1 : 0)) return false;
    for (size_t k = 0; k < count; ++k) {
        if (k == i || k == (i + 1) % count || k == (i + 2) % count) continue;
        if (InTriangle(w[k], a, b, c, n, strict)) return false;
    }
    return true;
}

// The first ear from index from on, cyclically: a convex corner whose
// triangle holds no other point, edges included. When there is none, a
// strictly convex corner whose triangle holds no point strictly inside.
// -1 when there is neither.
long FindEar(const Ring& w, size_t from, const TXYZ& n) {
    for (bool strict : {false, true}) {
        for (size_t off = 0; off < w.size(); ++off) {
            size_t i = (from + off) % w.size();
            if (IsEar(w, i, n, strict)) return static_cast<long>(i);
        }
    }
    return -1;
}

// Appends w[start], ... (k points, cyclically) closed by a copy of the first,
// unless it has no area; then removes the k - 2 points after start from w.
void EmitPiece(Ring& w, size_t start, size_t k, TlistOFxyzArray& pieces) {
    Ring piece;
    for (size_t m = 0; m < k; ++m) piece.push_back(w[(start + m) % w.size()]);
    piece.push_back(piece[0]);
    if (!EqualXYZ(RingNormal(piece), zeroVector)) StoreRing(piece, *pieces.AddNew());
    for (size_t m = 0; m + 2 < k; ++m) {
        size_t at = (start + 1) % w.size();
        w.erase(w.begin() + static_cast<long>(at));
        if (at <= start && start > 0) --start;
    }
}

// --- Subdivision -------------------------------------------------------------

double Perimeter(const TXYZ& a, const TXYZ& b, const TXYZ& c) {
    return DistXYZ(b, a) + DistXYZ(c, a) + DistXYZ(c, b);
}

bool BoundUsable(double maxPerimeter) { return maxPerimeter > 0 && std::isfinite(maxPerimeter); }

// Levels of midpoint splitting that bring the perimeter down to the bound;
// each level halves it. 0 for a perimeter that is not finite.
int LevelsNeeded(const TXYZ& a, const TXYZ& b, const TXYZ& c, double maxPerimeter) {
    double s = Perimeter(a, b, c);
    if (!std::isfinite(s) || !BoundUsable(maxPerimeter)) return -1;
    int levels = 0;
    while (s > maxPerimeter && levels < 64) {
        s *= 0.5;
        ++levels;
    }
    return levels;
}

// 4^levels (1 for a triangle left whole), or a count above the limit.
int64_t TrianglesFor(int levels) {
    if (levels <= 0) return 1;
    return levels > 15 ? MaxSubdividedTriangles + 1 : int64_t(1) << (2 * levels);
}

void AppendTriangle(const TXYZ& a, const TXYZ& b, const TXYZ& c, TlistOFxyzArray& result) {
    TPointArray* triangle = result.AddNew();
    ArrayAdd(*triangle, &a);
    ArrayAdd(*triangle, &b);
    ArrayAdd(*triangle, &c);
}

// The recursion stops at depth 0 even where rounding keeps a perimeter a
// hair above the bound; levels -1 (no usable bound) leaves the triangle whole.
void SplitTriangle(const TXYZ& a, const TXYZ& b, const TXYZ& c, TlistOFxyzArray& result, double maxPerimeter,
                   int depth) {
    if (depth <= 0 || !(Perimeter(a, b, c) > maxPerimeter)) return AppendTriangle(a, b, c, result);
    TXYZ ab = ScaleXYZ(AddXYZ(a, b), 0.5);
    TXYZ ac = ScaleXYZ(AddXYZ(a, c), 0.5);
    TXYZ bc = ScaleXYZ(AddXYZ(c, b), 0.5);
    SplitTriangle(a, ab, ac, result, maxPerimeter, depth - 1);
    SplitTriangle(ab, b, bc, result, maxPerimeter, depth - 1);
    SplitTriangle(bc, c, ac, result, maxPerimeter, depth - 1);
    SplitTriangle(ab, bc, ac, result, maxPerimeter, depth - 1);
}

[[noreturn]] void RefuseSubdivision() {
    throw Exception("Tessellation refused: more than " + std::to_string(MaxSubdividedTriangles) + " triangles");
}

// The corners of a piece: its points without a closing repeat of the first.
int32_t CornerCount(const TPointArray& piece) {
    int32_t n = piece.Count;
    if (n >= 2 && EqualXYZ(piece.At<TXYZ>(0), piece.At<TXYZ>(n - 1))) --n;
    return n;
}

}  // namespace

int Turn(const TXYZ& a, const TXYZ& b, const TXYZ& c, const TXYZ& n) {
    double v = DotXYZ(CrossXYZ(SubXYZ(a, b), SubXYZ(c, b)), n);
    if (v < -Eps) return -1;
    if (EqualTol(v, 0)) return 0;
    return 1;
}

void CloseOutline(TXYZArray& outline) {
    if (outline.Count == 0) return;
    const TXYZ first = outline.At<TXYZ>(0);
    if (DistXYZ(outline.At<TXYZ>(outline.Count - 1), first) > Eps) ArrayAdd(outline, &first);
}

TXYZ PointAtParam(const TXYZArray& outline, double t) {
    if (outline.Count == 0) return zeroVector;
    int32_t k = FloorTol(t);
    double f = t - k;
    int64_t m = (int64_t(k) % outline.Count + outline.Count) % outline.Count;
    const TXYZ& p0 = outline.At<TXYZ>(static_cast<int32_t>(m));
    const TXYZ& p1 = outline.At<TXYZ>(static_cast<int32_t>((m + 1) % outline.Count));
    return LerpXYZ(p0, p1, f);
}

double PointSegmentDistance(const TXYZ& p, const TXYZ& s, const TXYZ& d, double& t, TXYZ& foot) {
    double length = LengthXYZ(d);
    if (!(length > Eps)) return 1e20;
    TXYZ w = SubXYZ(p, s);
    double proj = DotXYZ(w, d) / length;
    double h = std::sqrt(std::fabs(DotXYZ(w, w) - proj * proj));
    t = proj / length;
    foot = AddXYZ(s, ScaleXYZ(d, t));
    if (!LessTol(1, t) && !LessTol(t, 0)) return h;
    return 1e20;
}

void CopyContours(const TlistOFxyzArray& source, TlistOFxyzArray& destination) {
    if (&source == &destination) return;
    destination.Clear();
    for (int32_t i = 0; i < source.Count(); ++i) ArrayAssign(*destination.AddNew(), *source.Items(i));
}

void MergeHoles(TlistOFxyzArray& contours, TXYZArray& outline) {
    if (contours.Count() == 0) return;
    for (int32_t i = 0; i < contours.Count(); ++i)
        if (contours.Items(i)->Count > 2) CloseOutline(*contours.Items(i));
    const TPointArray& outer = *contours.Items(0);
    if (outer.Count <= 2 || !AllFinite(outer)) {
        TPointArray empty = ArrayView(nullptr, sizeof(TXYZ), 0);
        ArrayAssign(outline, empty);
        return;
    }
    Ring merged = RingOf(outer);
    const TXYZ normal = RingNormal(merged);
    std::vector<Ring> holes = UsableHoles(contours, merged, normal);
    while (!holes.empty()) {
        size_t bestHole = 0;
        Bridge best;
        for (size_t h = 0; h < holes.size(); ++h) {
            Bridge b = NearestApproach(merged, holes[h], normal);
            if (h == 0 || b.distance < best.distance) {
                best = b;
                bestHole = h;
            }
        }
        Ring& hole = holes[bestHole];
        size_t i = AttachmentPoint(merged, best.outlineIndex, best.outlineParam);
        size_t j = AttachmentPoint(hole, best.holeIndex, best.holeParam);
        merged = Splice(merged, hole, i, j);
        holes.erase(holes.begin() + static_cast<long>(bestHole));
    }
    ArrayAssign(outline, ArrayView(merged.data(), sizeof(TXYZ), static_cast<int32_t>(merged.size())));
}

void Triangulate(const TXYZArray& outline, TlistOFxyzArray& pieces) {
    if (!AllFinite(outline)) return;
    Ring w = RingOf(outline);
    const TXYZ n = RingNormal(w);
    size_t from = 0;
    for (;;) {
        RemoveRepeatedPoints(w);
        if (w.size() < 3) return;
        long ear = FindEar(w, from, n);
        if (ear < 0) {
            EmitPiece(w, 0, w.size(), pieces);
            return;
        }
        EmitPiece(w, static_cast<size_t>(ear), 3, pieces);
        // Removing the ear's tip changes the corners on either side of it.
        from = ear > 0 ? static_cast<size_t>(ear) - 1 : 0;
    }
}

void Tessellate(TlistOFxyzArray& contours, TlistOFxyzArray& pieces) {
    TPointArray outline{};
    ArrayInit(outline, sizeof(TXYZ), 5);
    try {
        MergeHoles(contours, outline);
        Triangulate(outline, pieces);
    } catch (...) {
        ArrayClear(outline);
        throw;
    }
    ArrayClear(outline);
}

void Subdivide(const TXYZ& a, const TXYZ& b, const TXYZ& c, TlistOFxyzArray& result, double maxPerimeter) {
    int levels = LevelsNeeded(a, b, c, maxPerimeter);
    if (TrianglesFor(levels) > MaxSubdividedTriangles) RefuseSubdivision();
    SplitTriangle(a, b, c, result, maxPerimeter, levels + 1);
}

void SubdivideAll(const TlistOFxyzArray& pieces, TlistOFxyzArray& result, double maxPerimeter) {
    int64_t total = 0;
    for (int32_t i = 0; i < pieces.Count(); ++i) {
        const TPointArray& piece = *pieces.Items(i);
        const TXYZ* p = static_cast<const TXYZ*>(piece.Data);
        for (int32_t k = 1; k + 1 < CornerCount(piece); ++k) {
            total += TrianglesFor(LevelsNeeded(p[0], p[k], p[k + 1], maxPerimeter));
            if (total > MaxSubdividedTriangles) RefuseSubdivision();
        }
    }
    for (int32_t i = 0; i < pieces.Count(); ++i) {
        const TPointArray& piece = *pieces.Items(i);
        const TXYZ* p = static_cast<const TXYZ*>(piece.Data);
        for (int32_t k = 1; k + 1 < CornerCount(piece); ++k) {
            SplitTriangle(p[0], p[k], p[k + 1], result, maxPerimeter,
                          LevelsNeeded(p[0], p[k], p[k + 1], maxPerimeter) + 1);
        }
    }
}

}  // namespace zv
