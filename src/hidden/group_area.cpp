#include "hidden/group_area.h"

#include <cmath>
#include <limits>

#include "geometry/distance.h"
#include "geometry/polygon2d.h"
#include "geometry/vector.h"
#include "hidden/distance_bound.h"

namespace zv {
namespace {

double EdgeDistance(const TXY& q, const TXYArray& outline, int32_t k) {
    return SegmentDistanceXY(q, outline.At<TXY>(k), outline.At<TXY>((k + 1) % outline.Count));
}

// Does the rightward ray from p cross the edge from point k to point k + 1?
// The test of PointInPolygon, edge by edge.
bool RayCrosses(const TXY& p, const TXYArray& outline, int32_t k) {
    const TXY& q = outline.At<TXY>(k);
    const TXY& r = outline.At<TXY>((k + 1) % outline.Count);
    const bool straddles = (r.Y <= p.Y && p.Y < q.Y) || (q.Y <= p.Y && p.Y < r.Y);
    if (!straddles) return false;
    const double x = static_cast<double>((Extended(q.X) - r.X) * (Extended(p.Y) - r.Y) / (Extended(q.Y) - r.Y) + r.X);
    return x > p.X;
}

bool Inside(const TXY& p, const TXYArray& outline, const TOutlineIndex* index) {
    if (!index) return PointInPolygon(p, outline);
    bool inside = false;
    index->ForRow(p.Y, [&](int32_t k) {
        if (RayCrosses(p, outline, k)) inside = !inside;
    });
    return inside;
}

}  // namespace

double TGroupArea::Clearance(const TXY& q) const {
    double nearest = std::numeric_limits<double>::infinity();
    for (const TOutline& outline : outlines_) {
        for (int32_t k = 0; k < outline.Points->Count; ++k) {
            const double d = EdgeDistance(q, *outline.Points, k);
            if (d < nearest) nearest = d;
        }
    }
    return nearest;
}

bool TGroupArea::IsClear(const TXY& q, double band) const {
    for (const TOutline& outline : outlines_) {
        bool near = false;
        auto test = [&](int32_t k) {
            if (near) return;
            const TXYArray& points = *outline.Points;
            if (SurelyBeyond(q, points.At<TXY>(k), points.At<TXY>((k + 1) % points.Count), band)) return;
            if (EdgeDistance(q, points, k) <= band) near = true;
        };
        if (outline.Index)
            outline.Index->ForPoint(q.X, q.Y, test);
        else
            for (int32_t k = 0; k < outline.Points->Count && !near; ++k) test(k);
        if (near) return false;
    }
    return true;
}

bool TGroupArea::Contains(const TXY& q) const {
    if (outlines_.empty() || !Inside(q, *outlines_.front().Points, outlines_.front().Index)) return false;
    for (size_t h = 1; h < outlines_.size(); ++h)
        if (Inside(q, *outlines_[h].Points, outlines_[h].Index)) return false;
    return true;
}

}  // namespace zv
