// The built-in demonstration model: a machined block with two through holes, a
// rectangular pocket and a round boss with a bore through the whole part.  Its
// faces have holes and its features overlap each other in most views.
#pragma once

#include <vector>

#include "mesh.h"

namespace zv::tool {

// Planar polygons, counter-clockwise seen from outside, in millimetres, Z up.
std::vector<Polygon> DemoModel();

}  // namespace zv::tool
