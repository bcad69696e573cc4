// 3-D boxes, integer rectangles, planes and polygon frames.
#pragma once

#include "geometry/frame.h"

namespace zv {

struct TBox3D {
    TXYZ Min, Max;
};

struct TRectI {
    int32_t X1, Y1, X2, Y2;
};

void EmptyBox(TBox3D& box);
void ExtendBoxInFrame(const TPlaneFrame& frame, const TXYZArray& points, TBox3D& box);
void ExtendBoxInFrameList(const TPlaneFrame& frame, const TlistOFxyzArray& contours, TBox3D& box);
void EmptyRectI(TRectI& r);
void ExtendRectI(const TXYiArray& points, TRectI& r);
void ExtendRectIList(const TlistOFXYiArray& list, TRectI& r);
bool LinePlaneIntersection(const TXYZ& p, const TXYZ& d, const TXYZ& o, const TXYZ& n,
                           TXYZ& point, double& t);
// The Newell sum of the polygon, not normalised.
TXYZ PolygonNormal(const TXYZArray& points);
TPlaneFrame MakeFrame(const TXYZ& origin, const TXYZ& normal);
TPlaneFrame MakeFrame(const TXYZ& origin, const TXYZ& normal, const TXYZ& xHint);
// Raises Exception("Normalvektor 0 ") for a vanishing normal.
TPlaneFrame PolygonFrame(const TXYZArray& points);

}  // namespace zv
