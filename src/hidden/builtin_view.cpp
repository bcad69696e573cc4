#include "hidden/builtin_view.h"

#include <cmath>
#include <limits>

#include "geometry/vector.h"

namespace zv {
namespace {

// A plane normal in view coordinates: for a world difference d = M d', the
// product n . d equals (M^T n) . d'.
TXYZ NormalToView(const TBuiltinView& v, const TXYZ& n) {
    return {DotXYZ(v.Axes[0], n), DotXYZ(v.Axes[1], n), DotXYZ(v.Axes[2], n)};
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
