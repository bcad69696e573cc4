// The area of a polygon group in the projection: inside its outer contour
// and outside every hole. Points are judged only where they lie clear of the
// group's outlines; nearer than that, a point counts as on the boundary.
#pragma once

#include <vector>

#include "geometry/point_array.h"

namespace zv {

class TGroupArea {
public:
    // The outer contour first, then the holes.
    void Add(const TXYArray* outline) { outlines_.push_back(outline); }
    void Reset() { outlines_.clear(); }

    // Distance from q to the nearest edge of any of the group's outlines.
    double Clearance(const TXY& q) const;
    // Even-odd containment in the outer contour minus the holes; reliable
    // for points clear of the outlines.
    bool Contains(const TXY& q) const;

private:
    std::vector<const TXYArray*> outlines_;
};

}  // namespace zv
