#include "hidden/group_area.h"

#include <algorithm>
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

double Magnitude(const TRect2D& r) {
    return std::max({std::fabs(r.X1), std::fabs(r.Y1), std::fabs(r.X2), std::fabs(r.Y2)});
}

}  // namespace

void TGroupArea::Add(const TXYArray* outline, const TOutlineIndex* index, const TRect2D* extent) {
    TOutline o{outline, index && index->Ready(outline->Count) ? index : nullptr, false, {}, 0};
    if (extent && outline->Count > 0 && std::isfinite(Magnitude(*extent)) && Magnitude(*extent) < 1e150) {
        o.Boxed = true;
        o.Box = *extent;
        o.Rounding = 1e-12 * Magnitude(*extent) + 1e-150;
    }
    outlines_.push_back(o);
}

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
        if (FarFromBox(outline, q, band)) continue;
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
    if (outlines_.empty() || !InsideOutline(outlines_.front(), q)) return false;
    for (size_t h = 1; h < outlines_.size(); ++h)
        if (InsideOutline(outlines_[h], q)) return false;
    return true;
}

// Farther from the box than the band and the rounding of a distance to a
// segment in it (whose ends lie in the box): clear of every segment.
bool TGroupArea::FarFromBox(const TOutline& outline, const TXY& q, double band) {
    if (!outline.Boxed || !(std::fabs(q.X) < 1e150 && std::fabs(q.Y) < 1e150)) return false;
    const double reach = band + outline.Rounding + 1e-12 * std::max(std::fabs(q.X), std::fabs(q.Y));
    const TRect2D& b = outline.Box;
    return q.X < b.X1 - reach || q.X > b.X2 + reach || q.Y < b.Y1 - reach || q.Y > b.Y2 + reach;
}

// A point above or below the box meets no edge that straddles its height,
// and a point right of it (beyond the rounding of a crossing) has every
// crossing on its left: outside in either case.
bool TGroupArea::InsideOutline(const TOutline& outline, const TXY& q) {
    if (outline.Boxed && std::fabs(q.X) < 1e150) {
        const TRect2D& b = outline.Box;
        if (q.Y < b.Y1 || q.Y > b.Y2 || q.X > b.X2 + outline.Rounding + 1e-12 * std::fabs(q.X)) return false;
    }
    return Inside(q, *outline.Points, outline.Index);
}

}  // namespace zv
