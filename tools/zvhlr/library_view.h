// The tool's camera as the library's built-in view (ZVSDSetView), so that the
// library can project and measure depth itself, on all cores, instead of
// calling the tool back for every point.
//
// The base is given in the scaled model coordinates that the library works
// in.  A parallel camera maps directly: origin 0, axes right, up and towards
// the viewer.  For a perspective camera the library puts the eye on the Z
// axis at LibraryEyeDistance(angle) from the base origin and scales the image
// by that distance; the base origin is placed that far in front of the tool's
// eye and the X and Y axes are lengthened so that the image scale comes out
// as the tool's focal distance.  The library's drawing plane has its origin
// on the line of sight through the eye; the shift moves it back to the
// tool's drawing coordinates, in which the model centre keeps its place.
#pragma once

#include <array>

#include "camera.h"
#include "plane_frame.h"

namespace zv::tool {

struct LibraryView {
    std::array<double, 12> base{};  // origin, X axis, Y axis, Z axis (towards the viewer)
    double angleDegrees = 0;        // 0: parallel projection
    Point2 shift;                   // added to the library's 2-D points, in scaled units
};

// scale is the factor by which the model is scaled for the library.
LibraryView LibraryViewOf(const Camera& camera, double scale);

// The library's distance from the base origin to the eye for a point-of-view
// angle in degrees (500 / tan(angle / 2)).
double LibraryEyeDistance(double angleDegrees);

}  // namespace zv::tool
