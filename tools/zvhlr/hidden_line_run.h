// One hidden-line calculation through the library's C interface: the host
// callbacks (projection, depth, interpolation, abort query), handing over the
// polygons, and reading the visible and hidden stretches back.
#pragma once

#include <functional>
#include <vector>

#include "camera.h"
#include "drawing.h"
#include "mesh.h"

namespace zv::tool {

struct RunOptions {
    double smoothDegrees = 20;               // 0: every edge is drawn
    std::function<void(double)> progress;    // fraction done, may be empty
    std::function<bool()> abortRequested;    // asked by the abort query, may be empty
};

struct RunResult {
    Drawing drawing;         // both visible and hidden stretches
    int polygons = 0;        // polygons handed over
    int contours = 0;        // contours and holes the library accepted
    int rejected = 0;        // contours and holes it refused (no area, not finite)
    int edgeOn = 0;          // polygons left out because they are seen edge-on
    bool aborted = false;
    double seconds = 0;      // time of the calculation itself
};

RunResult RemoveHiddenLines(const std::vector<Polygon>& polygons, const Camera& camera, const RunOptions& options = {});

// The power of two by which the model (and with it the drawing) is scaled for
// the library, so that it spans a few hundred units there whatever its own
// unit: the library's tolerances are absolute.  Being a power of two, the
// scaling is exact both ways.
double LibraryScale(double modelDiagonal);

}  // namespace zv::tool
