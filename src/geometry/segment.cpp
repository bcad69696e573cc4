#include "geometry/segment.h"

#include <cmath>

namespace zv {

namespace {

// Both segments lie on one line: the contact is taken where a1 lies inside B
// or, failing that, where b1 lies inside A.
bool CollinearContact(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, const TXY& dA,
                      const TXY& dB, double& tA, double& tB) {
    double s0 = DotXY(SubXY(b0, a0), dA);
    double s1 = DotXY(SubXY(b1, a0), dA);
    double length2 = DotXY(dA, dA);
    if ((LessTol(s0, length2) && LessTol(length2, s1)) || (LessTol(s1, length2) && LessTol(length2, s0))) {
        tA = 1;
        tB = static_cast<double>(Extended(DotXY(SubXY(a1, b0), dB)) / DotXY(dB, dB));
        return true;
    }
    if (s1 > Eps && LessTol(s1, length2)) {
        tB = 1;
        tA = static_cast<double>(Extended(s1) / length2);
        return true;
    }
    return false;
}

bool Intersect(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, double& tA, double& tB,
               double& det) {
    det = 0;
    if (EqualXY(a0, a1) || EqualXY(b0, b1)) return false;
    if (EqualXY(a0, b1) && EqualXY(a1, b0)) return false;

    TXY dA = SubXY(a1, a0);
    TXY dB = SubXY(b1, b0);
    TXY w = SubXY(a0, b0);
    double d = static_cast<double>(Extended(dB.X) * dA.Y - Extended(dB.Y) * dA.X);
    det = d;
    tA = 0;
    tB = 0;

    if (EqualXY(a1, b0)) {
        // A ends where B starts; B may fold back onto A.
        tA = 1;
        det = 0;
        if (EqualTol(d, 0)) {
            double r = static_cast<double>(Extended(DotXY(SubXY(b1, a0), dA)) / DotXY(dA, dA));
            if (r > Eps && r < 1 - Eps) {
                tA = r;
                tB = 1;
            }
        }
        return true;
    }
    if (EqualXY(a1, b1)) {
        tA = 1;
        tB = 1;
        det = 0;
        return true;
    }
    if (std::fabs(d) > 0.000001L) {
        tB = static_cast<double>((Extended(w.X) * dA.Y - Extended(w.Y) * dA.X) / d);
        tA = static_cast<double>((Extended(w.X) * dB.Y - Extended(w.Y) * dB.X) / d);
        return true;
    }
    // Parallel: distinct lines do not meet.
    if (!EqualTol(static_cast<double>(Extended(w.X) * dA.Y), static_cast<double>(Extended(w.Y) * dA.X))) return false;
    return CollinearContact(a0, a1, b0, b1, dA, dB, tA, tB);
}

}  // namespace

bool SegmentIntersection(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, double& tA, double& tB,
                         double& det) {
    tA = 0;
    tB = 0;
    bool found = Intersect(a0, a1, b0, b1, tA, tB, det);
    // Overflowing or undefined coordinates give no usable contact.
    if (found && !(std::isfinite(tA) && std::isfinite(tB) && std::isfinite(det))) {
        tA = 0;
        tB = 0;
        det = 0;
        return false;
    }
    return found;
}

bool SegmentIntersectionPoint(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, double& det, double& tB,
                              double& tA, TXY& point) {
    if (!SegmentIntersection(a0, a1, b0, b1, tA, tB, det)) return false;
    point = AddXY(a0, ScaleXY(SubXY(a1, a0), tA));
    return true;
}

bool InSector(const TXY& x, const TXY& y, const TXY& z) {
    double c = CrossXY(x, y);
    bool afterX = CrossXY(x, z) > Eps;
    bool beforeY = CrossXY(z, y) > Eps;
    if (!LessTol(c, 0)) return afterX && beforeY;
    return afterX || beforeY;
}

namespace {

bool SameDir(const TXY& a, const TXY& z) { return EqualTol(CrossXY(a, z), 0) && DotXY(a, z) > Eps; }

}  // namespace

bool SameDirAny(const TXY& x, const TXY& y, const TXY& z) { return SameDir(x, z) || SameDir(y, z); }

}  // namespace zv
