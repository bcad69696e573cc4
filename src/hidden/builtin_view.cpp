#include "hidden/builtin_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "geometry/vector.h"

namespace zv {
namespace {

// A plane normal in view coordinates: for a world difference d = M d', the
// product n . d equals (M^T n) . d'.
TXYZ NormalToView(const TBuiltinView& v, const TXYZ& n) {
    return {DotXYZ(v.Axes[0], n), DotXYZ(v.Axes[1], n), DotXYZ(v.Axes[2], n)};
}

// The same, written out for the pruning tests (which allow for rounding).
TXYZ QuickNormalToView(const TBuiltinView& v, const TXYZ& n) {
    auto dot = [&n](const TXYZ& a) { return a.X * n.X + a.Y * n.Y + a.Z * n.Z; };
    return {dot(v.Axes[0]), dot(v.Axes[1]), dot(v.Axes[2])};
}

constexpr double ParallelLimit = 1e-12;

}  // namespace

TXYZ TBuiltinView::ToView(const TXYZ& p) const {
    const TXYZ d = SubXYZ(p, Origin);
    return {Inverse[0][0] * d.X + Inverse[0][1] * d.Y + Inverse[0][2] * d.Z,
            Inverse[1][0] * d.X + Inverse[1][1] * d.Y + Inverse[1][2] * d.Z,
            Inverse[2][0] * d.X + Inverse[2][1] * d.Y + Inverse[2][2] * d.Z};
}

TXY TBuiltinView::Project(const TXYZ& p) const {
    const TXYZ v = ToView(p);
    if (Eye == 0) return {v.X, v.Y};
    const double w = Eye - v.Z;
    if (!(w > 0)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    return {v.X * Eye / w, v.Y * Eye / w};
}

double TBuiltinView::Depth(const TXYZ& p, const TPlane& plane) const {
    const TXYZ pv = ToView(p);
    const TXYZ ov = ToView(plane.Origin);
    const TXYZ nv = NormalToView(*this, plane.Normal);
    const double nLength = LengthXYZ(nv);
    if (Eye == 0) {
        if (!(std::fabs(nv.Z) > ParallelLimit * nLength)) return 0.0;
        return DotXYZ(SubXYZ(pv, ov), nv) / nv.Z;
    }
    // The ray from the eye through p meets the plane at eye + u (p - eye);
    // the depth is the distance (u - 1) w along the view axis.
    const TXYZ ray{pv.X, pv.Y, pv.Z - Eye};
    const double den = DotXYZ(ray, nv);
    if (!(std::fabs(den) > ParallelLimit * nLength * LengthXYZ(ray))) return 0.0;
    const double w = Eye - pv.Z;
    return DotXYZ(SubXYZ(ov, pv), nv) * w / den;
}

TXYZ TBuiltinView::Interpolate(const TXYZ& a, const TXYZ& b, double t) const {
    double s = t;
    if (Eye != 0) {
        const double wa = Eye - ToView(a).Z;
        const double wb = Eye - ToView(b).Z;
        const double den = (1 - t) * wb + t * wa;
        if (den != 0) s = t * wa / den;
    }
    return LerpXYZ(a, b, s);
}

double TBuiltinView::InverseNorm() const {
    double norm = 0;
    for (const auto& row : Inverse) norm = std::max(norm, std::fabs(row[0]) + std::fabs(row[1]) + std::fabs(row[2]));
    return norm;
}

namespace {

double Magnitude(const TXYZ& p) { return std::max({std::fabs(p.X), std::fabs(p.Y), std::fabs(p.Z)}); }

}  // namespace

// In a parallel view the depth is an affine function of the point, so along
// a segment it lies between the depths of the ends; a sample a little
// outside a segment (a parameter rounded to the next vertex) moves it by at
// most a millionth of their difference. The rounding of any depth the engine
// computes stays below 1e-12 of the magnitudes involved times the tilt of
// the plane.
bool TBuiltinView::DepthsClear(double lowest, double spread, double reach, const TXYZ& nv, double band) const {
    const double tilt = (std::fabs(nv.X) + std::fabs(nv.Y) + std::fabs(nv.Z)) / std::fabs(nv.Z);
    const double slack = 1e-6 * spread + 1e-12 * reach * tilt;
    return lowest - slack > -0.999 * band;
}

double TBuiltinView::ToViewAll(const TXYZ* points, int32_t count, std::vector<TXYZ>& out) const {
    const double inverseNorm = InverseNorm();
    double reach = inverseNorm * Magnitude(Origin);
    out.resize(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        out[static_cast<size_t>(k)] = ToView(points[k]);
        reach = std::max({reach, Magnitude(out[static_cast<size_t>(k)]), inverseNorm * Magnitude(points[k])});
    }
    return reach;
}

namespace {

double Cross(const TXY& a, const TXY& b) { return a.X * b.Y - a.Y * b.X; }
TXY Minus(const TXY& a, const TXY& b) { return {a.X - b.X, a.Y - b.Y}; }

// The corners of a closed or open outline of at most four distinct corners
// that turns clearly the same way at every corner (so it is convex and
// simple); 0 for any other outline. sign: +1 counter-clockwise, -1 clockwise.
int32_t ConvexCorners(const TXY* outline, int32_t count, TXY corners[4], int& sign) {
    if (count > 1 && outline[count - 1].X == outline[0].X && outline[count - 1].Y == outline[0].Y) --count;
    int32_t n = 0;
    for (int32_t k = 0; k < count; ++k) {
        const TXY& p = outline[k];
        if (n > 0 && p.X == corners[n - 1].X && p.Y == corners[n - 1].Y) continue;
        if (n == 4) return 0;
        corners[n++] = p;
    }
    while (n > 1 && corners[n - 1].X == corners[0].X && corners[n - 1].Y == corners[0].Y) --n;
    if (n < 3) return 0;
    sign = 0;
    for (int32_t k = 0; k < n; ++k) {
        const TXY a = Minus(corners[(k + 1) % n], corners[k]), b = Minus(corners[(k + 2) % n], corners[(k + 1) % n]);
        // |turn| > 1e-9 |a| |b|, without the roots
        const double turn = Cross(a, b), size2 = (a.X * a.X + a.Y * a.Y) * (b.X * b.X + b.Y * b.Y);
        const int s = turn * turn > 1e-18 * size2 ? (turn > 0 ? 1 : -1) : 0;
        if (s == 0 || (sign != 0 && s != sign)) return 0;
        sign = s;
    }
    return n;
}

// Narrows [lo, hi] to the parameters t at which a + t (b - a) lies on the
// inner side of every edge of the convex polygon, moved inwards by inset.
void ClipToPolygon(const TXY& a, const TXY& b, const TXY* corners, int32_t n, int sign, double inset, double& lo,
                   double& hi) {
    for (int32_t k = 0; k < n && lo <= hi; ++k) {
        const TXY& u = corners[k];
        const TXY e = Minus(corners[(k + 1) % n], u);
        const double need = inset * std::sqrt(e.X * e.X + e.Y * e.Y);
        const double c0 = sign * Cross(e, Minus(a, u)), c1 = sign * Cross(e, Minus(b, u));
        // c(t) = c0 + t (c1 - c0) >= need
        if (c1 == c0) {
            if (!(c0 >= need)) hi = lo - 1;
            continue;
        }
        const double t = (need - c0) / (c1 - c0);
        if (c1 > c0)
            lo = std::max(lo, t);
        else
            hi = std::min(hi, t);
    }
}

}  // namespace

// Only the stretches of a segment inside the clip count; the depth along a
// segment is affine in its parameter, so the ends of the clipped piece bound
// it. The ends are widened by a millionth, and the polygon's own rounding is
// far below the inset the callers use. Without a clip every vertex counts.
bool TBuiltinView::NothingBehindWithin(const TXYZ* viewPoints, const TXY* projected, int32_t count, double reach,
                                       const TXY* clip, int32_t clipCount, const TPlane& plane, double band,
                                       double inset) const {
    if (Eye != 0 || count < 1) return false;
    return NothingBehindWithin(viewPoints, projected, count, reach, clip, clipCount, ViewPlaneOf(plane), band, inset);
}

bool TBuiltinView::NothingBehindWithin(const TXYZ* viewPoints, const TXY* projected, int32_t count, double reach,
                                       const TXY* clip, int32_t clipCount, const TViewPlane& plane, double band,
                                       double inset) const {
    if (Eye != 0 || count < 1) return false;
    TXY corners[4];
    int sign = 0;
    const int32_t n = clip ? ConvexCorners(clip, clipCount, corners, sign) : 0;
    const TXYZ& ov = plane.Origin;
    if (plane.Flat) return true;  // every depth reads 0
    // depth(p) = (p - ov) . m in view coordinates
    const TXYZ m{plane.MX, plane.MY, 1.0};
    auto depth = [&](int32_t k) {
        const TXYZ& pv = viewPoints[k];
        return (pv.X - ov.X) * m.X + (pv.Y - ov.Y) * m.Y + (pv.Z - ov.Z);
    };
    reach = std::max(reach, plane.Reach);
    double within = std::numeric_limits<double>::infinity();  // lowest depth that counts
    double da = depth(0);
    for (int32_t k = 1; k < count; ++k) {
        const double db = depth(k);
        if (!std::isfinite(da) || !std::isfinite(db)) return false;
        double lo = 0, hi = 1;
        if (n > 0) ClipToPolygon(projected[k - 1], projected[k], corners, n, sign, inset, lo, hi);
        if (lo <= hi) {
            lo = std::max(0.0, lo - 1e-9);
            hi = std::min(1.0, hi + 1e-9);
            within = std::min({within, da + lo * (db - da), da + hi * (db - da)});
            // A sample at the very end of this segment may be taken a hair
            // (a parameter rounded up to the vertex) before the start of the
            // next one.
            if (hi > 1 - 1e-6 && k + 1 < count) within = std::min(within, db - 2e-7 * std::fabs(depth(k + 1) - db));
        }
        da = db;
    }
    if (n > 0 && !(reach < 1e9)) return false;  // the clip's rounding could approach the inset
    if (within == std::numeric_limits<double>::infinity()) return true;  // no segment reaches into the clip
    return within - 1e-12 * reach * plane.Tilt > -0.999 * band;  // DepthsClear without a spread
}

TBuiltinView::TViewBox TBuiltinView::BoxOf(const TXYZ* points, int32_t count) const {
    const double inf = std::numeric_limits<double>::infinity();
    TViewBox box{{inf, inf, inf}, {-inf, -inf, -inf}, InverseNorm() * Magnitude(Origin)};
    const double inverseNorm = InverseNorm();
    for (int32_t k = 0; k < count; ++k) {
        const TXYZ pv = ToView(points[k]);
        box.Lo = {std::min(box.Lo.X, pv.X), std::min(box.Lo.Y, pv.Y), std::min(box.Lo.Z, pv.Z)};
        box.Hi = {std::max(box.Hi.X, pv.X), std::max(box.Hi.Y, pv.Y), std::max(box.Hi.Z, pv.Z)};
        box.Reach = std::max({box.Reach, Magnitude(pv), inverseNorm * Magnitude(points[k])});
    }
    return box;
}

bool TBuiltinView::NothingBehind(const TViewBox& box, const TPlane& plane, double band) const {
    if (Eye != 0 || !(box.Lo.X <= box.Hi.X)) return false;
    const TXYZ ov = ToView(plane.Origin);
    const TXYZ nv = QuickNormalToView(*this, plane.Normal);
    if (!(std::fabs(nv.Z) > ParallelLimit * std::sqrt(nv.X * nv.X + nv.Y * nv.Y + nv.Z * nv.Z))) return true;  // every depth reads 0
    const double lo[3] = {box.Lo.X - ov.X, box.Lo.Y - ov.Y, box.Lo.Z - ov.Z};
    const double hi[3] = {box.Hi.X - ov.X, box.Hi.Y - ov.Y, box.Hi.Z - ov.Z};
    const double m[3] = {nv.X / nv.Z, nv.Y / nv.Z, 1.0};
    double lowest = 0, highest = 0;
    for (int a = 0; a < 3; ++a) {
        lowest += std::min(lo[a] * m[a], hi[a] * m[a]);
        highest += std::max(lo[a] * m[a], hi[a] * m[a]);
    }
    const double reach = std::max({box.Reach, Magnitude(ov), InverseNorm() * Magnitude(plane.Origin)});
    return DepthsClear(lowest, highest - lowest, reach, nv, band);
}

TBuiltinView::TViewPlane TBuiltinView::ViewPlaneOf(const TPlane& plane) const {
    TViewPlane p;
    p.Origin = ToView(plane.Origin);
    const TXYZ nv = QuickNormalToView(*this, plane.Normal);
    p.Flat = !(std::fabs(nv.Z) > ParallelLimit * std::sqrt(nv.X * nv.X + nv.Y * nv.Y + nv.Z * nv.Z));
    if (p.Flat) return p;
    p.MX = nv.X / nv.Z;
    p.MY = nv.Y / nv.Z;
    p.Tilt = (std::fabs(nv.X) + std::fabs(nv.Y) + std::fabs(nv.Z)) / std::fabs(nv.Z);
    p.Reach = std::max(Magnitude(p.Origin), InverseNorm() * Magnitude(plane.Origin));
    return p;
}

// The depth is affine, so over a box it lies between the sums of the
// per-axis extremes. The slack is that of DepthsClear, with the spread taken
// over the whole box: a sample a hair outside a segment moves by a millionth
// of the segment's depth difference, wherever the segment lies.
bool TBuiltinView::NothingBehindOver(const TViewBox& box, const TRect2D& r, const TViewPlane& plane,
                                     double band) const {
    if (Eye != 0 || !(box.Lo.X <= box.Hi.X)) return false;
    if (plane.Flat) return true;
    const double x1 = std::max(box.Lo.X, r.X1), x2 = std::min(box.Hi.X, r.X2);
    const double y1 = std::max(box.Lo.Y, r.Y1), y2 = std::min(box.Hi.Y, r.Y2);
    if (x1 > x2 || y1 > y2) return true;
    const TXYZ& o = plane.Origin;
    const double lowest = std::min((x1 - o.X) * plane.MX, (x2 - o.X) * plane.MX) +
                          std::min((y1 - o.Y) * plane.MY, (y2 - o.Y) * plane.MY) + (box.Lo.Z - o.Z);
    const double spread = std::fabs((box.Hi.X - box.Lo.X) * plane.MX) + std::fabs((box.Hi.Y - box.Lo.Y) * plane.MY) +
                          (box.Hi.Z - box.Lo.Z);
    const double reach = std::max(box.Reach, plane.Reach);
    const double slack = 1e-6 * spread + 1e-12 * reach * plane.Tilt;
    return lowest - slack > -0.999 * band;
}

double EyeDistance(double angleDegrees) {
    if (angleDegrees == 0 || angleDegrees == 180) return 0;
    constexpr double pi = 3.14159265358979323846;
    return 500.0 / std::tan(angleDegrees * pi / 360.0);
}

bool MakeBuiltinView(const double base[12], double angleDegrees, TBuiltinView& view) {
    if (!base || !std::isfinite(angleDegrees) || angleDegrees < 0 || angleDegrees > 180) return false;
    for (int k = 0; k < 12; ++k)
        if (!std::isfinite(base[k])) return false;
    TBuiltinView made;
    made.Origin = {base[0], base[1], base[2]};
    for (int a = 0; a < 3; ++a) made.Axes[a] = {base[3 + 3 * a], base[4 + 3 * a], base[5 + 3 * a]};
    const TXYZ& x = made.Axes[0];
    const TXYZ& y = made.Axes[1];
    const TXYZ& z = made.Axes[2];
    const TXYZ yz = CrossXYZ(y, z), zx = CrossXYZ(z, x), xy = CrossXYZ(x, y);
    const double det = DotXYZ(x, yz);
    const double scale = LengthXYZ(x) * LengthXYZ(y) * LengthXYZ(z);
    if (!(std::fabs(det) > ParallelLimit * scale) || !std::isfinite(det)) return false;
    const TXYZ rows[3] = {yz, zx, xy};
    for (int r = 0; r < 3; ++r) {
        made.Inverse[r][0] = rows[r].X / det;
        made.Inverse[r][1] = rows[r].Y / det;
        made.Inverse[r][2] = rows[r].Z / det;
    }
    made.Eye = EyeDistance(angleDegrees);
    view = made;
    return true;
}

}  // namespace zv
