#include "model_frame.h"

#include <gtest/gtest.h>

#include "hidden_line_run.h"
#include "tool_models.h"

namespace zv::tool {
namespace {

using test::DataMesh;
using test::LocalPolygons;

// Rounded corners far from the origin are moved back onto the planes of the
// merged faces: each face comes out flatter than the rounding left it (where
// the planes at a corner disagree, the largest face is made flat), and the
// part merges into the faces it has at the origin.
TEST(ModelFrame, RoundedCopiesFarAwayAreFlat) {
    for (const char* file : {"tab_in_slot.stl", "plate_with_hole.stl", "bushing.stl"}) {
        ModelFrame frame;
        const size_t faces = LocalPolygons(DataMesh(file), frame).size();
        const std::vector<Polygon> polygons = LocalPolygons(test::RoundedCopy(DataMesh(file), 1e5, 1), frame);
        EXPECT_EQ(polygons.size(), faces) << file;
        double warp = 0;  // the largest distance of a corner from its face's plane
        for (const Polygon& polygon : polygons) {
            const Vec3 n = Normalized(RingNormal(polygon.outer));
            std::vector<Ring> rings = polygon.holes;
            rings.push_back(polygon.outer);
            for (const Ring& ring : rings)
                for (Vec3 v : ring) warp = std::max(warp, std::fabs(Dot(v - polygon.outer[0], n)));
        }
        EXPECT_GT(frame.rounding, 1e-3) << file;
        EXPECT_LT(warp, 0.5 * frame.rounding) << file;
    }
}

// Drawing in the local frame and moving the result back gives the drawing
// of the model where it lies (a shift exact in binary, so that only the
// frame is compared).
TEST(ModelFrame, DrawingMovesBackToTheFilesCoordinates) {
    const Mesh original = DataMesh("plate_with_hole.stl");
    Mesh moved = original;
    for (Vec3& v : moved.vertices) v = v + Vec3{4096, -2048, 1024};
    for (double perspective : {0.0, 40.0}) {
        const ViewSpec view = test::NamedViewAt("iso", perspective);
        for (const Mesh& mesh : {original, moved}) {
            const std::vector<Polygon> direct = MergeCoplanarFaces(mesh);
            ModelFrame frame;
            const std::vector<Polygon> local = LocalPolygons(mesh, frame);
            RunResult run = RemoveHiddenLines(local, Camera(view, BoundsOf(local)));
            MoveToFileFrame(run.drawing, frame, Camera(view, BoundsOf(direct)));
            const Extent extent = ExtentOf(run.drawing, true);
            const Extent expected = ExtentOf(RemoveHiddenLines(direct, Camera(view, BoundsOf(direct))).drawing, true);
            EXPECT_NEAR(extent.min.x, expected.min.x, 1e-6) << perspective;
            EXPECT_NEAR(extent.max.y, expected.max.y, 1e-6) << perspective;
        }
    }
}

// Corners printed with six significant digits (also when stored as float
// afterwards) are rounded at the sixth digit; float data and round numbers
// carry no printed step.
TEST(ModelFrame, PrintedStepOfDecimalCorners) {
    const std::pair<std::vector<double>, double> cases[] = {
        {{16.0375, -45.3609, 86.6025}, 1e-4}, {{float(16037.5), float(-45360.9), float(86602.5)}, 0.1},
        {{float(0.1), float(1.0 / 3), 2.5}, 0}, {{10, 20, 12.5}, 0}};
    for (const auto& [v, step] : cases) {
        Mesh mesh{{{v[0], 0, 0}, {0, v[1], 0}, {0, 0, v[2]}}, {{{0, 1, 2}}}, {}};
        EXPECT_NEAR(CentreOnBounds(mesh).printedStep, step, 1e-9 * step) << v[0];
    }
}

}  // namespace
}  // namespace zv::tool
