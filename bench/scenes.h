// Seeded test scenes for the benchmark: planar faces, each an outer contour
// with optional holes (holes wind opposite to their contour), listed
// counter-clockwise as seen from outside the solid they bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zvhlr.h"

namespace bench {

using Contour = std::vector<TXYZ>;

struct Face {
    Contour outer;
    std::vector<Contour> holes;
};

struct Scene {
    std::string name;
    std::vector<Face> faces;
};

// The scene kinds MakeScene knows.
const std::vector<std::string>& SceneKinds();

// A scene of the given kind with about `faces` faces: "boxes", "rotated",
// "terrain", "sphere", "city", "heightfield" (triangles), "blocks" (separate
// boxes on a grid), "overlap" (crowded rotated boxes) or "flange" (large
// faces with many holes). Throws std::invalid_argument for another kind.
Scene MakeScene(const std::string& kind, int faces, uint64_t seed);

// Multiplies every coordinate by factor.
void ScaleScene(Scene& scene, double factor);

// Number of contours (outer contours and holes) of a scene.
int ContourCount(const Scene& scene);

}  // namespace bench
