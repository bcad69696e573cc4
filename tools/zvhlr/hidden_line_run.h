// One hidden-line calculation through the library's C interface: the host
// callbacks (projection, depth, interpolation, abort query), the library's
// fast modes, handing over the polygons, and reading the visible and hidden
// stretches back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "camera.h"
#include "drawing.h"
#include "mesh.h"

namespace zv::tool {

// How the library calculates.  Every mode gives the same drawing; they
// differ in speed.
enum class CalcMode {
    BuiltinView,  // the library's own view on every core, with its spatial index
    Index,        // the tool's callbacks, with the library's spatial index
    Reference,    // the tool's callbacks, every contour against every face (for comparison)
};

const char* CalcModeName(CalcMode mode);

struct RunOptions {
    double smoothDegrees = 25;               // 0: every edge is drawn
    bool reference = false;                  // calculate in CalcMode::Reference
    double rounding = 0;                     // how far the model's corners may be off (ModelFrame::rounding)
    double printedStep = 0;                  // the step of the decimals they were printed with (ModelFrame::printedStep)
    // Fraction done, or -1 while working when the mode cannot tell; 1 at the
    // end of a calculation that was not aborted.  May be empty.
    std::function<void(double)> progress;
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
    CalcMode mode = CalcMode::Reference;
    int64_t pairs = -1;      // contour pairs whose crossings were computed; -1: not counted (reference mode)
    int64_t crossings = -1;  // crossings found; -1: not counted
    int64_t maskValues = 0;  // values of all visibility masks together
};

// Calculates in the fastest mode the camera allows, or in the reference mode
// when the options ask for it.
RunResult RemoveHiddenLines(const std::vector<Polygon>& polygons, const Camera& camera, const RunOptions& options = {});

// The power of two by which the model (and with it the drawing) is scaled for
// the library, so that it spans a few hundred units there whatever its own
// unit: the library's tolerances are absolute.  Being a power of two, the
// scaling is exact both ways.
double LibraryScale(double modelDiagonal);

}  // namespace zv::tool
