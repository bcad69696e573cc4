#include "geometry/distance.h"

#include <cmath>

namespace zv {

namespace {

constexpr double kFar = 1e10;
// Parameter reported for a pick at the end vertex of a segment.
constexpr double kEndParam = 0.999999999;

// a is at most b within the tolerance; false when either is NaN.
bool AtMostTol(double a, double b) { return Extended(a) - b <= Eps; }

}  // namespace

double SegmentDistanceXY(const TXY& p, const TXY& a, const TXY& b) {
    const Extended dx = Extended(b.X) - a.X, dy = Extended(b.Y) - a.Y;
    const Extended px = Extended(p.X) - a.X, py = Extended(p.Y) - a.Y;
    const Extended length2 = dx * dx + dy * dy;
    Extended t = length2 > 0 ? (px * dx + py * dy) / length2 : 0;
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    const Extended ex = px - t * dx, ey = py - t * dy;
    return static_cast<double>(std::sqrt(ex * ex + ey * ey));
}

double LineDistanceXY(const TXY& p, const TXY& origin, const TXY& dir, TXY& foot, double& t) {
    double length = LengthXY(dir);
    TXY offset = SubXY(p, origin);
    if (EqualTol(length, 0)) {
        // No direction: the line shrinks to its origin.
        t = 0;
        foot = origin;
        return LengthXY(offset);
    }
    TXY u = NormalizeXY(dir);
    t = static_cast<double>(Extended(DotXY(offset, u)) / length);
    foot = AddXY(origin, ScaleXY(u, static_cast<double>(Extended(t) * length)));
    return std::abs(DotXY(offset, PerpXY(u)));
}

double PolylineDistance(const TXY& p, const TXYArray& polyline, int32_t& segment, TXY& foot, double& param,
                        double maxDist) {
    segment = -1;
    param = 0;
    foot = {0, 0};
    double best = kFar;
    double bestVertex = kFar;
    for (int32_t i = 1; i < polyline.Count; ++i) {
        const TXY& q = polyline.At<TXY>(i - 1);
        const TXY& r = polyline.At<TXY>(i);
        TXY edge = SubXY(r, q);
        double t = 1000.0;
        double d = kFar;
        TXY lineFoot;
        if (DistXY(r, q) > 0.001) d = LineDistanceXY(p, q, edge, lineFoot, t);

        double toQ = DistXY(p, q);
        if (!LessTol(maxDist, d) && LessTol(toQ, maxDist) && LessTol(toQ, bestVertex)) {
            bestVertex = best = toQ;
            param = 0;
            foot = q;
            segment = i - 1;
        }
        double toR = DistXY(p, r);
        if (LessTol(toR, maxDist)) {
            if (LessTol(toR, bestVertex)) {
                bestVertex = best = toR;
                param = kEndParam;
                foot = r;
                segment = i - 1;
            }
            continue;
        }
        bool withinEdge = !LessTol(t, -0.01) && !LessTol(1.01, t);
        if (withinEdge && LessTol(d, best) && EqualTol(bestVertex, kFar)) {
            segment = i - 1;
            param = t;
            best = d;
            foot = AddXY(q, ScaleXY(edge, t));
        }
    }
    return best;
}

double PickPolylines(const TXY& p, const TlistOFXYArray& list, int32_t& index, TXY& foot, double& param,
                     int32_t& segment, double maxDist) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        int32_t hitSegment;
        TXY hitFoot;
        double hitParam;
        double d = PolylineDistance(p, *list.Items(i), hitSegment, hitFoot, hitParam, maxDist);
        if (AtMostTol(d, maxDist)) {
            index = i;
            foot = hitFoot;
            param = hitParam;
            segment = hitSegment;
            return d;
        }
    }
    index = -1;
    segment = -1;
    param = 0;
    foot = {0, 0};
    return kFar;
}

}  // namespace zv
