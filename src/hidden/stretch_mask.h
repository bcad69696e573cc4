// Hidden stretches of one closed outline, turned into a visibility mask.
#pragma once

#include <vector>

#include "geometry/point_array.h"

namespace zv {

// A stretch of an outline between two parameters, From <= To; a stretch
// that runs through the outline's start reaches past its end (To > length),
// or lies wholly past it.
struct TStretch {
    double From;
    double To;
};

// Writes the mask of an outline of the given length (in vertex units) that is
// hidden on the given stretches: first value +-1 (the state just after the
// start), then signed toggles in ascending order. Stretches shorter than twice
// the tolerance are left out and gaps as short are closed, so no two toggles
// lie within the tolerance of each other or of the outline's start. A change
// of state at the start itself is written as a toggle at the end, so that the
// state after the last toggle is always the state at the start.
void StretchMask(std::vector<TStretch> hidden, double length, TPointArray& mask);

}  // namespace zv
