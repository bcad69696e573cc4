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
// "terrain", "sphere" or "city". Throws std::invalid_argument for another kind.
Scene MakeScene(const std::string& kind, int faces, uint64_t seed);

// Number of contours (outer contours and holes) of a scene.
int ContourCount(const Scene& scene);

}  // namespace bench
