// The area of a polygon group in the projection: inside its outer contour
// and outside every hole. Points are judged only where they lie clear of the
// group's outlines; nearer than that, a point counts as on the boundary.
#pragma once

#include <vector>

#include "geometry/point_array.h"
#include "geometry/polygon2d.h"
#include "hidden/outline_index.h"

namespace zv {

class TGroupArea {
public:
    // The outer contour first, then the holes; index (may be nil) is the
    // outline's segment index, used when it is ready; extent (may be nil) is
    // the exact box of the outline's points, which lets the questions pass
    // over outlines far from the point.
    void Add(const TXYArray* outline, const TOutlineIndex* index = nullptr, const TRect2D* extent = nullptr);
    void Reset() { outlines_.clear(); }

    // Distance from q to the nearest edge of any of the group's outlines.
    double Clearance(const TXY& q) const;
    // Is q farther than band from every edge of the group's outlines? The
    // same answer as Clearance(q) > band; the indexes must have been built
    // with a reach of at least band.
    bool IsClear(const TXY& q, double band) const;
    // Even-odd containment in the outer contour minus the holes; reliable
    // for points clear of the outlines.
    bool Contains(const TXY& q) const;

private:
    struct TOutline {
        const TXYArray* Points;
        const TOutlineIndex* Index;
        bool Boxed;       // Box holds the exact extent
        TRect2D Box;
        double Rounding;  // bound of the rounding of a distance or a crossing near the box
    };
    static bool FarFromBox(const TOutline& outline, const TXY& q, double band);
    static bool InsideOutline(const TOutline& outline, const TXY& q);

    std::vector<TOutline> outlines_;
};

}  // namespace zv
