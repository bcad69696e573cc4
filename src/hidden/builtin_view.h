// TBuiltinView: a view that the library applies itself instead of asking the
// host for projection, depth and interpolation. It is given by a projection
// base (origin, X axis, Y axis, Z axis towards the viewer, in world
// coordinates) and a point-of-view angle.
//
// View coordinates are the coordinates of a world point in the base: x right,
// y up, z towards the viewer. A parallel view (angle 0 or 180) projects a
// point to its (x, y). A perspective view puts the eye on the Z axis at
// distance Eye = 500 / tan(angle / 2) from the origin and projects to
// (x, y) * Eye / w, where w = Eye - z is the point's distance from the eye
// along the view axis; points at or behind the eye (w <= 0) project to NaN.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/polygon2d.h"  // TRect2D
#include "zvhlr.h"                // TXY, TXYZ, TPlane

namespace zv {

struct TBuiltinView {
    TXYZ Origin{0, 0, 0};
    // Rows of the inverse of the matrix whose columns are the three axes:
    // view coordinates = Inverse * (p - Origin).
    double Inverse[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    TXYZ Axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double Eye = 0;  // 0: parallel projection

    TXYZ ToView(const TXYZ& p) const;
    // The 2-D point of p in the drawing plane.
    TXY Project(const TXYZ& p) const;
    // Signed depth of p against the plane along the viewing ray through p,
    // measured along the view axis: positive when p is nearer the viewer than
    // the plane, 0 when the ray runs parallel to the plane.
    double Depth(const TXYZ& p, const TPlane& plane) const;
    // The 3-D point of segment ab whose projection lies at fraction t of the
    // projected segment.
    TXYZ Interpolate(const TXYZ& a, const TXYZ& b, double t) const;
    // The view coordinates of the points, into out; returns a bound of the
    // magnitudes that enter a depth of them (for NothingBehindWithin).
    double ToViewAll(const TXYZ* points, int32_t count, std::vector<TXYZ>& out) const;
    // True when no point of the polyline through the given points (view
    // coordinates, reach from ToViewAll), nor a point a hair beyond an end of
    // one of its segments, can have a depth below -band against the plane,
    // however the depth of such a point is rounded. With a clip, only the
    // points within the convex polygon clip count (its edges moved inwards by
    // inset, outwards for a negative inset; projected[k] must be the
    // projection of point k); a clip that is not convex with at most four
    // corners is ignored. Parallel views only: false for a perspective view.
    bool NothingBehindWithin(const TXYZ* viewPoints, const TXY* projected, int32_t count, double reach,
                             const TXY* clip, int32_t clipCount, const TPlane& plane, double band,
                             double inset) const;
    struct TViewPlane;
    // The same with the plane in view coordinates (see ViewPlaneOf).
    bool NothingBehindWithin(const TXYZ* viewPoints, const TXY* projected, int32_t count, double reach,
                             const TXY* clip, int32_t clipCount, const TViewPlane& plane, double band,
                             double inset) const;
    // The same question answered from the polyline's box in view
    // coordinates (see BoxOf): O(1), but it may say false where the points
    // would say true.
    struct TViewBox {
        TXYZ Lo, Hi;   // view coordinates
        double Reach;  // bound of the magnitudes that enter a depth
    };
    TViewBox BoxOf(const TXYZ* points, int32_t count) const;
    bool NothingBehind(const TViewBox& box, const TPlane& plane, double band) const;

    // A plane in view coordinates, worked out once for the O(1) test below:
    // depth(p) = (p - Origin) . (MX, MY, 1).
    struct TViewPlane {
        TXYZ Origin{0, 0, 0};
        double MX = 0, MY = 0;
        double Tilt = 1;    // (|n.x| + |n.y| + |n.z|) / |n.z| of the normal in view coordinates
        double Reach = 0;   // bound of the plane origin's magnitudes that enter a depth
        bool Flat = false;  // the view rays run along the plane: every depth reads 0
    };
    TViewPlane ViewPlaneOf(const TPlane& plane) const;
    // NothingBehind for the points of the box whose projection lies within
    // the rectangle r: the same bound, over the part of the box above r. A
    // box whose part above r is empty has nothing behind.
    bool NothingBehindOver(const TViewBox& box, const TRect2D& r, const TViewPlane& plane, double band) const;

private:
    double InverseNorm() const;
    bool DepthsClear(double lowest, double spread, double reach, const TXYZ& nv, double band) const;
};

// Distance of the eye from the view origin for a point-of-view angle in
// degrees; 0 for the parallel projection (angle 0 or 180).
double EyeDistance(double angleDegrees);

// Builds the view of a 12-Double projection base and an angle in degrees.
// False (view unchanged) for a non-finite value, an angle outside 0..180 or
// axes that span no space (a singular base matrix).
bool MakeBuiltinView(const double base[12], double angleDegrees, TBuiltinView& view);

}  // namespace zv
