// 2-D predicates on projected outlines: bounding rectangles, signed area,
// point in polygon, closing.
#pragma once

#include "geometry/vector.h"

namespace zv {

struct TRect2D {
    double X1, Y1, X2, Y2;
};

// Grows r to hold p with a margin of 1.0 on the side that p reaches.
void ExtendRect(TRect2D& r, const TXY& p);
// Exact comparisons: touching rectangles are not disjoint.
bool RectsDisjoint(const TRect2D& a, const TRect2D& b);
// Twice the enclosed area, positive for clockwise order in a y-up plane.
double SignedArea2(const TXYArray& outline);
// Even-odd rule, exact comparisons.
bool PointInPolygon(const TXY& p, const TXYArray& outline);
bool IsClosedXY(const TXYArray& outline);
void CloseXY(TXYArray& outline);
void CloseXYList(TlistOFXYArray& list);

}  // namespace zv
