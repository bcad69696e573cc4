#include "hidden/group_area.h"

#include <cmath>
#include <limits>

#include "geometry/distance.h"
#include "geometry/polygon2d.h"

namespace zv {

double TGroupArea::Clearance(const TXY& q) const {
    double nearest = std::numeric_limits<double>::infinity();
    for (const TXYArray* outline : outlines_) {
        const int32_t n = outline->Count;
        for (int32_t k = 0; k < n; ++k) {
            const double d = SegmentDistanceXY(q, outline->At<TXY>(k), outline->At<TXY>((k + 1) % n));
            if (d < nearest) nearest = d;
        }
    }
    return nearest;
}

bool TGroupArea::Contains(const TXY& q) const {
    if (outlines_.empty() || !PointInPolygon(q, *outlines_.front())) return false;
    for (size_t h = 1; h < outlines_.size(); ++h)
        if (PointInPolygon(q, *outlines_[h])) return false;
    return true;
}

}  // namespace zv
