// Tessellation of planar faces with holes: the holes are bridged into the
// outer contour where the two come closest, ears are cut off the single
// outline, and the triangles can be subdivided until their perimeter is
// short enough.
//
// Contour 0 of a face is its outer contour, the others are holes. Contours of
// fewer than 3 points, contours with a coordinate that is not finite, holes
// without area and holes that do not lie inside the outer contour are left
// out; a hole given in the same rotational sense as the outer contour is
// taken reversed. A face whose outer contour is left out has no pieces.
#pragma once

#include <cstdint>

#include "geometry/point_array.h"

namespace zv {

// Upper bound on the triangles one subdivision call may produce.
constexpr int64_t MaxSubdividedTriangles = int64_t(1) << 18;

// -1, 0 or +1: the sign of (a - b) x (c - b) along n, within the tolerance.
// With n the outline's PolygonNormal, a corner is convex when Turn >= 0.
int Turn(const TXYZ& a, const TXYZ& b, const TXYZ& c, const TXYZ& n);
// Appends a copy of the first point when the last lies farther than Eps from it.
void CloseOutline(TXYZArray& outline);
// The point at parameter t along the closed outline (vertex units).
TXYZ PointAtParam(const TXYZArray& outline, double t);
// Distance of p from the segment S + t*D when its foot lies on the segment
// (t within -Eps..1+Eps), 1e20 otherwise; t and foot are set whenever the
// segment has a length.
double PointSegmentDistance(const TXYZ& p, const TXYZ& s, const TXYZ& d, double& t, TXYZ& foot);
// Empties destination, then appends a deep copy of every source array.
void CopyContours(const TlistOFxyzArray& source, TlistOFxyzArray& destination);

// One closed outline with every usable hole bridged in. Closes the input
// contours of more than 2 points in place.
void MergeHoles(TlistOFxyzArray& contours, TXYZArray& outline);
// Appends the ear triangles of the outline to pieces, each closed (4 points).
// An outline on which no ear can be cut is appended whole as one last piece.
void Triangulate(const TXYZArray& outline, TlistOFxyzArray& pieces);
// MergeHoles into a temporary outline, then Triangulate it.
void Tessellate(TlistOFxyzArray& contours, TlistOFxyzArray& pieces);

// Appends the open triangle a, b, c, split by edge midpoints until every
// perimeter is at most maxPerimeter. A bound that is not a positive number
// leaves the triangle whole. Raises an Exception, appending nothing, when
// more than MaxSubdividedTriangles triangles would result.
void Subdivide(const TXYZ& a, const TXYZ& b, const TXYZ& c, TlistOFxyzArray& result, double maxPerimeter);
// Subdivide on every piece: a triangle, open or closed, directly; a piece of
// more corners as the fan of triangles from its first corner. Raises, before
// appending anything, when the total would exceed MaxSubdividedTriangles.
void SubdivideAll(const TlistOFxyzArray& pieces, TlistOFxyzArray& result, double maxPerimeter);

}  // namespace zv
