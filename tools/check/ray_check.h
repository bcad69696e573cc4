// An independent check of a hidden-line drawing: every feature edge of the
// model is sampled, a ray is cast from each sample to the eye against all
// faces, and the answer is compared with what the drawing shows there.
#pragma once

#include <vector>

#include "camera.h"
#include "drawing.h"
#include "mesh.h"

namespace zv::tool {

// Lengths in drawing units.
struct CheckResult {
    double drawn = 0;          // visible plus hidden length of the drawing
    double checked = 0;        // length of feature edges sampled
    double skipped = 0;        // sampled length too near vertices or visible edges to judge
    double visibleHidden = 0;  // drawn visible where the ray is blocked
    double hiddenVisible = 0;  // drawn hidden where the ray is free
    double missing = 0;        // free to the eye and not drawn at all
    double WrongShare() const { return drawn > 0 ? (visibleHidden + hiddenVisible + missing) / drawn : 0; }
};

// Feature edges are the polygons' edges except smooth ones (neighbours
// meeting at less than smoothDegrees) that are not on the outline.  rounding
// is how far the model's corners may be off (see ModelFrame): rays ignore the
// faces whose planes pass that close to their start, and a line drawn that
// close to an edge shows it.
CheckResult CheckDrawing(const std::vector<Polygon>& polygons, const Camera& camera, double smoothDegrees,
                         const Drawing& drawing, double rounding = 0);

}  // namespace zv::tool
