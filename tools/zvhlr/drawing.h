// The result of a hidden-line run as the writers take it: polylines in drawing
// coordinates (y-up, model units of the view plane).
#pragma once

#include <vector>

#include "plane_frame.h"

namespace zv::tool {

using Polyline = std::vector<Point2>;

struct Drawing {
    std::vector<Polyline> visible;
    std::vector<Polyline> hidden;
    std::vector<Polyline> text;  // stroke-font lettering, drawn like visible lines
};

// Adds the segment a-b to the polylines, continuing the last one when it ends at a.
void AddSegment(std::vector<Polyline>& lines, Point2 a, Point2 b);

// Joins polylines that meet end to end (in either direction) into longer
// ones, so that dash patterns run on and pen plotters lift less often.
void JoinPolylines(std::vector<Polyline>& lines);

double LengthOf(const std::vector<Polyline>& lines);

// The smallest rectangle around every point (the text's included): (min,
// max); empty drawings give an empty result.
struct Extent {
    Point2 min, max;
    bool empty = true;
};
Extent ExtentOf(const Drawing& drawing, bool withHidden);

}  // namespace zv::tool
