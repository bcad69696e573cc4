// Segment intersection with its degenerate cases, and the angular sector
// tests that classify contacts at vertices.
#pragma once

#include "geometry/vector.h"

namespace zv {

bool SegmentIntersection(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1,
                         double& tA, double& tB, double& det);
bool SegmentIntersectionPoint(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1,
                              double& det, double& tB, double& tA, TXY& point);
// Is direction z strictly inside the sector from x to y?
bool InSector(const TXY& x, const TXY& y, const TXY& z);
// Does z point the same way as x or as y?
bool SameDirAny(const TXY& x, const TXY& y, const TXY& z);

}  // namespace zv
