#include "geometry/space.h"

#include <cmath>

#include "runtime/exception.h"

namespace zv {

void EmptyBox(TBox3D& box) {
    box.Min = {1.7e308, 1.7e308, 1.7e308};
    box.Max = {-1.7e308, -1.7e308, -1.7e308};
}

namespace {

void ExtendRange(double value, double& low, double& high) {
    if (value < low) low = value;
    if (value > high) high = value;
}

}  // namespace

void ExtendBoxInFrame(const TPlaneFrame& frame, const TXYZArray& points, TBox3D& box) {
    for (int32_t i = 0; i < points.Count; ++i) {
        TXYZ q = WorldToFrame(frame, points.At<TXYZ>(i));
        ExtendRange(q.X, box.Min.X, box.Max.X);
        ExtendRange(q.Y, box.Min.Y, box.Max.Y);
        ExtendRange(q.Z, box.Min.Z, box.Max.Z);
    }
}

void ExtendBoxInFrameList(const TPlaneFrame& frame, const TlistOFxyzArray& contours, TBox3D& box) {
    for (int32_t i = 0; i < contours.Count(); ++i) ExtendBoxInFrame(frame, *contours.Items(i), box);
}

void EmptyRectI(TRectI& r) { r = {32000, 32000, -32000, -32000}; }

void ExtendRectI(const TXYiArray& points, TRectI& r) {
    for (int32_t i = 0; i < points.Count; ++i) {
        const TXYi& p = points.At<TXYi>(i);
        if (p.X < r.X1) r.X1 = p.X;
        if (p.X > r.X2) r.X2 = p.X;
        if (p.Y < r.Y1) r.Y1 = p.Y;
        if (p.Y > r.Y2) r.Y2 = p.Y;
    }
}

void ExtendRectIList(const TlistOFXYiArray& list, TRectI& r) {
    for (int32_t i = 0; i < list.Count(); ++i) ExtendRectI(*list.Items(i), r);
}

bool LinePlaneIntersection(const TXYZ& p, const TXYZ& d, const TXYZ& o, const TXYZ& n, TXYZ& point, double& t) {
    point = p;
    t = 0;
    TXYZ u = NormalizeXYZ(d);
    double den = DotXYZ(u, n);
    if (!(std::fabs(den) >= 0.0000001L)) return false;
    t = static_cast<double>(-Extended(DotXYZ(SubXYZ(p, o), n)) / den);
    point = AddXYZ(p, ScaleXYZ(u, t));
    return true;
}

TXYZ PolygonNormal(const TXYZArray& points) {
    // The sum does not change when every point is moved by the same vector; taken
    // relative to the first point, it keeps the precision of the coordinates' differences.
    Extended x = 0, y = 0, z = 0;
    if (points.Count == 0) return {0, 0, 0};
    const TXYZ base = points.At<TXYZ>(0);
    for (int32_t k = 0; k < points.Count; ++k) {
        const TXYZ& prev = points.At<TXYZ>(k == 0 ? points.Count - 1 : k - 1);
        TXYZ c = CrossXYZ(SubXYZ(points.At<TXYZ>(k), base), SubXYZ(prev, base));
        x += c.X;
        y += c.Y;
        z += c.Z;
    }
    return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
}

namespace {

bool Vanishes(const TXYZ& v) { return EqualTol(LengthXYZ(v), 0); }

// The axes are crossed as unit vectors, so that short normals or hints still
// give unit axes; the directions are those of the unnormalised products.
TPlaneFrame FrameWithAxis(const TXYZ& origin, const TXYZ& unitNormal, const TXYZ& xAxis) {
    TPlaneFrame frame;
    frame.Origin = origin;
    frame.Normal = unitNormal;
    frame.XAxis = NormalizeXYZ(xAxis);
    frame.YAxis = NormalizeXYZ(CrossXYZ(frame.XAxis, frame.Normal));
    return frame;
}

}  // namespace

TPlaneFrame MakeFrame(const TXYZ& origin, const TXYZ& normal) {
    // The auxiliary axis must not be parallel to the normal: the Y axis for
    // normals close to Z, the Z axis otherwise.
    const TXYZ yAxis{0, 1, 0}, zAxis{0, 0, 1};
    TXYZ unitNormal = NormalizeXYZ(normal);
    bool alongZ = std::fabs(normal.X) < 0.001 && std::fabs(normal.Y) < 0.001;
    TXYZ xAxis = CrossXYZ(alongZ ? yAxis : zAxis, unitNormal);
    if (Vanishes(xAxis)) xAxis = CrossXYZ(alongZ ? zAxis : yAxis, unitNormal);
    return FrameWithAxis(origin, unitNormal, xAxis);
}

TPlaneFrame MakeFrame(const TXYZ& origin, const TXYZ& normal, const TXYZ& xHint) {
    TXYZ unitNormal = NormalizeXYZ(normal);
    // A hint along the normal spans no plane.
    if (Vanishes(CrossXYZ(NormalizeXYZ(xHint), unitNormal))) return MakeFrame(origin, normal);
    return FrameWithAxis(origin, unitNormal, xHint);
}

TPlaneFrame PolygonFrame(const TXYZArray& points) {
    TXYZ normal = NormalizeXYZ(PolygonNormal(points));
    double length = LengthXYZ(normal);
    if (EqualTol(length, 0) || !std::isfinite(length)) throw Exception("Normalvektor 0 ");
    const TXYZ& first = points.At<TXYZ>(0);
    for (int32_t k = 1; k < points.Count; ++k) {
        const TXYZ& p = points.At<TXYZ>(k);
        if (!EqualXYZ(p, first)) return MakeFrame(first, normal, SubXYZ(p, first));
    }
    throw Exception("Normalvektor 0 ");
}

}  // namespace zv
