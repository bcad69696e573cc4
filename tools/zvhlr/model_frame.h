// The model-local frame in which the tool computes: the model moved so that
// the centre of its box is at the origin.  A part placed far from the origin
// then merges, projects and meets the library's absolute tolerances exactly
// like the same part at the origin; the drawing is moved back at the end.
#pragma once

#include "camera.h"
#include "drawing.h"
#include "mesh.h"

namespace zv::tool {

struct ModelFrame {
    Vec3 offset;          // where the local origin lies in the file's coordinates
    double rounding = 0;  // how far the file's corners may be off: a float's step at the largest coordinate
    double printedStep = 0;  // the step of the decimals the corners were printed with (0: none found), at the largest coordinate
};

// Moves the mesh into its local frame.  The offset is the box centre on a
// power-of-two grid, so that moving there and back is exact.
ModelFrame CentreOnBounds(Mesh& mesh);

// Moves a drawing made in the local frame to where the file's coordinates
// project (the same shift for the parallel and the perspective camera).
void MoveToFileFrame(Drawing& drawing, const ModelFrame& frame, const Camera& camera);

}  // namespace zv::tool
