#include "model_frame.h"

#include <gtest/gtest.h>

#include "coplanar_merge.h"
#include "hidden_line_run.h"
#include "model_file.h"
#include "ray_check.h"

namespace zv::tool {
namespace {

Mesh Data(const char* file) { return LoadModelFile(std::string(ZVHLR_TEST_DATA "/") + file); }

// The copy of a mesh moved and scaled, its corners rounded to float32 as STL stores them.
Mesh RoundedCopy(Mesh mesh, double offset, double scale) {
    for (Vec3& v : mesh.vertices) {
        v = {float(v.x * scale + offset), float(v.y * scale + offset), float(v.z * scale + offset)};
    }
    return mesh;
}

std::vector<Polygon> LocalPolygons(Mesh& mesh, ModelFrame& frame) {
    frame = CentreOnBounds(mesh);
    MergeTolerance tolerance;
    tolerance.rounding = frame.rounding;
    return MergeCoplanarFaces(mesh, tolerance);
}

// A tab flush in a plate's slot, exported by a modeller as one solid in which
// rounding left one side of the joint as a wall of no thickness; also scaled
// up, and moved far away (there in the iso view only: in the others the
// float32 rounding of the joint's corners still decides lines at the tab).
TEST(ModelFrame, TabInSlotDrawsCorrectlyMovedAndScaled) {
    const Mesh original = Data("tab_in_slot.stl");
    for (auto [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
        Mesh mesh = offset == 0 && scale == 1 ? original : RoundedCopy(original, offset, scale);
        ModelFrame frame;
        const std::vector<Polygon> polygons = LocalPolygons(mesh, frame);
        for (double perspective : {0.0, 40.0}) {
            for (const char* name : {"iso", "front", "top", "iso-back-left"}) {
                if (offset != 0 && std::string(name) != "iso") continue;
                ViewSpec view = *NamedView(name);
                view.perspectiveDegrees = perspective;
                const Camera camera(view, BoundsOf(polygons));
                const RunResult run = RemoveHiddenLines(polygons, camera);
                const CheckResult check =
                    CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing, frame.rounding);
                EXPECT_LT(check.WrongShare(), 0.005) << name << " " << perspective << " offset " << offset;
            }
        }
    }
}

// Rounded corners far from the origin are moved back onto the planes of the
// merged faces: each face comes out flatter than the rounding left it (where
// the planes at a corner disagree, the largest face is made flat).
TEST(ModelFrame, MergedFacesOfARoundedCopyAreFlat) {
    for (const char* file : {"tab_in_slot.stl", "plate_with_hole.stl", "bushing.stl"}) {
        Mesh mesh = RoundedCopy(Data(file), 1e5, 1);
        ModelFrame frame;
        double warp = 0;
        for (const Polygon& polygon : LocalPolygons(mesh, frame)) {
            const Vec3 n = Normalized(RingNormal(polygon.outer));
            for (const Ring* ring = &polygon.outer; ring; ring = nullptr) {
                for (Vec3 v : *ring) warp = std::max(warp, std::fabs(Dot(v - polygon.outer[0], n)));
            }
            for (const Ring& hole : polygon.holes) {
                for (Vec3 v : hole) warp = std::max(warp, std::fabs(Dot(v - polygon.outer[0], n)));
            }
        }
        EXPECT_GT(frame.rounding, 1e-3) << file;
        EXPECT_LT(warp, 0.5 * frame.rounding) << file;
    }
}

// Drawing in the local frame and moving the result back gives the drawing
// of the model where it lies (a shift exact in binary, so that only the
// frame is compared).
TEST(ModelFrame, DrawingMovesBackToTheFilesCoordinates) {
    const Mesh original = Data("plate_with_hole.stl");
    Mesh moved = original;
    for (Vec3& v : moved.vertices) v = v + Vec3{4096, -2048, 1024};
    for (double perspective : {0.0, 40.0}) {
        ViewSpec view = *NamedView("iso");
        view.perspectiveDegrees = perspective;
        Extent extents[2];
        for (int k = 0; k < 2; ++k) {
            Mesh mesh = k == 0 ? original : moved;
            const std::vector<Polygon> direct = MergeCoplanarFaces(mesh);
            ModelFrame frame;
            const std::vector<Polygon> local = LocalPolygons(mesh, frame);
            RunResult run = RemoveHiddenLines(local, Camera(view, BoundsOf(local)));
            MoveToFileFrame(run.drawing, frame, Camera(view, BoundsOf(direct)));
            extents[k] = ExtentOf(run.drawing, true);
            const Extent expected = ExtentOf(RemoveHiddenLines(direct, Camera(view, BoundsOf(direct))).drawing, true);
            EXPECT_NEAR(extents[k].min.x, expected.min.x, 1e-6) << perspective;
            EXPECT_NEAR(extents[k].max.y, expected.max.y, 1e-6) << perspective;
        }
        const Camera camera(view, Box{});
        EXPECT_NEAR(extents[1].min.x - extents[0].min.x, Dot(Vec3{4096, -2048, 1024}, camera.Right()), 1e-6);
        EXPECT_NEAR(extents[1].min.y - extents[0].min.y, Dot(Vec3{4096, -2048, 1024}, camera.Up()), 1e-6);
    }
}

}  // namespace
}  // namespace zv::tool
