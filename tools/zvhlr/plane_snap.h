// Moving mesh corners onto the planes of the faces that meet there.
//
// Corners read from a file are rounded (float32 in STL, a few printed digits
// elsewhere); far from the origin the rounding leaves the corners of a large
// flat face visibly out of its plane.  Each corner is moved to the point that
// best satisfies the planes of its faces, so merged faces come out flat and
// neighbouring faces still share their corners exactly.
#pragma once

#include <vector>

#include "vec3.h"

namespace zv::tool {

// A plane n.x = offset (n of unit length), the corners that should lie in it,
// and its weight against the other planes at those corners (its area, say).
struct CornerPlane {
    std::vector<int> corners;
    Vec3 normal;
    double offset = 0;
    double weight = 1;
};

// The plane through the corners with the given normal, at their mean height along it.
CornerPlane FittedPlane(const std::vector<Vec3>& vertices, std::vector<int> corners, Vec3 normal, double weight = 1);

// The vertices moved by weighted least squares onto their planes, the
// heaviest plane at a corner counting 1.  Directions in which
// the planes of a corner barely differ (facets of a curved surface) are held
// by a pull back to the corner; a corner that would move more than largestMove
// stays where it is.
std::vector<Vec3> SnapToPlanes(const std::vector<Vec3>& vertices, const std::vector<CornerPlane>& planes,
                               double largestMove);

}  // namespace zv::tool
