// Distances of a point from lines and polylines, and picking.
#pragma once

#include "geometry/vector.h"

namespace zv {

// Distance of p from the segment a-b (from a when the segment has no length).
double SegmentDistanceXY(const TXY& p, const TXY& a, const TXY& b);
double LineDistanceXY(const TXY& p, const TXY& origin, const TXY& dir, TXY& foot, double& t);
double PolylineDistance(const TXY& p, const TXYArray& polyline, int32_t& segment, TXY& foot,
                        double& param, double maxDist);
double PickPolylines(const TXY& p, const TlistOFXYArray& list, int32_t& index, TXY& foot,
                     double& param, int32_t& segment, double maxDist);

}  // namespace zv
