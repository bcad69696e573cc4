#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coplanar_merge.h"
#include "demo_model.h"
#include "hidden_line_run.h"
#include "library_view.h"
#include "model_file.h"

namespace zv::tool {
namespace {

struct Scene {
    std::string name;
    std::vector<Polygon> polygons;
};

std::vector<Scene> Scenes() {
    return {{"demo", DemoModel()},
            {"l_bracket.obj", MergeCoplanarFaces(LoadModelFile(ZVHLR_TEST_DATA "/l_bracket.obj"))},
            {"plate_with_hole.stl", MergeCoplanarFaces(LoadModelFile(ZVHLR_TEST_DATA "/plate_with_hole.stl"))}};
}

std::vector<ViewSpec> Views() {
    std::vector<ViewSpec> views;
    for (const char* name : {"iso", "front", "top", "iso-back-left", "iso-front-left-bottom"}) {
        views.push_back(*NamedView(name));
    }
    for (double degrees : {40.0, 120.0}) {
        ViewSpec perspective = *NamedView("iso");
        perspective.perspectiveDegrees = degrees;
        views.push_back(perspective);
    }
    ViewSpec free;
    free.direction = {-1, 2, -0.5};
    free.perspectiveDegrees = 25;
    views.push_back(free);
    return views;
}

RunResult RunScene(const Scene& scene, const ViewSpec& view, bool reference) {
    RunOptions options;
    options.reference = reference;
    return RemoveHiddenLines(scene.polygons, Camera(view, BoundsOf(scene.polygons)), options);
}

// The fast mode must draw what the reference mode draws: the same lines in
// the same place (the extent catches a perspective drawing that is shifted
// or scaled), and the same number of mask values.
TEST(CalcMode, FastModeDrawsWhatTheReferenceDraws) {
    for (const Scene& scene : Scenes()) {
        const double size = BoundsOf(scene.polygons).Diagonal();
        for (const ViewSpec& view : Views()) {
            SCOPED_TRACE(scene.name + " perspective " + std::to_string(view.perspectiveDegrees) + " direction " +
                         std::to_string(view.direction.x) + "," + std::to_string(view.direction.y) + "," +
                         std::to_string(view.direction.z));
            RunResult reference = RunScene(scene, view, true);
            RunResult fast = RunScene(scene, view, false);
            ASSERT_EQ(reference.mode, CalcMode::Reference);
            ASSERT_EQ(fast.mode, CalcMode::BuiltinView);
            EXPECT_EQ(fast.contours, reference.contours);
            EXPECT_EQ(fast.maskValues, reference.maskValues);
            EXPECT_NEAR(LengthOf(fast.drawing.visible), LengthOf(reference.drawing.visible), 1e-9 * size);
            EXPECT_NEAR(LengthOf(fast.drawing.hidden), LengthOf(reference.drawing.hidden), 1e-9 * size);
            EXPECT_GT(LengthOf(fast.drawing.visible), 0);
            for (bool withHidden : {false, true}) {
                Extent a = ExtentOf(fast.drawing, withHidden), b = ExtentOf(reference.drawing, withHidden);
                EXPECT_NEAR(a.min.x, b.min.x, 1e-9 * size);
                EXPECT_NEAR(a.min.y, b.min.y, 1e-9 * size);
                EXPECT_NEAR(a.max.x, b.max.x, 1e-9 * size);
                EXPECT_NEAR(a.max.y, b.max.y, 1e-9 * size);
            }
        }
    }
}

TEST(CalcMode, OnlyTheFastModesCountPairsAndCrossings) {
    Scene demo{"demo", DemoModel()};
    RunResult fast = RunScene(demo, *NamedView("iso"), false);
    EXPECT_GT(fast.pairs, 0);
    EXPECT_GT(fast.crossings, 0);
    // The index leaves out most of the 212 x 212 pairs of the plain loop.
    EXPECT_LT(fast.pairs, int64_t(fast.contours) * fast.contours / 4);
    RunResult reference = RunScene(demo, *NamedView("iso"), true);
    EXPECT_EQ(reference.pairs, -1);
    EXPECT_EQ(reference.crossings, -1);
}

TEST(CalcMode, ProgressGrowsBelowOneWhileTheFastModeWorksAndIsOneAtItsEnd) {
    Scene demo{"demo", DemoModel()};
    std::vector<double> reported;
    RunOptions options;
    options.progress = [&reported](double fraction) { reported.push_back(fraction); };
    RemoveHiddenLines(demo.polygons, Camera(*NamedView("iso"), BoundsOf(demo.polygons)), options);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 1.0);
    for (size_t k = 0; k + 1 < reported.size(); ++k) {
        EXPECT_GT(reported[k], 0);
        EXPECT_LE(reported[k], 0.99);
        if (k > 0) EXPECT_GE(reported[k], reported[k - 1]);
    }
}

// The library puts its eye 500 / tan(angle / 2) from the base origin along
// the base's Z axis; the base must put it on the tool's eye, and the image
// scale (500 / tan(angle / 2) times the length ratio of the Z and X axes)
// must be the tool's focal distance.
TEST(LibraryView, PerspectiveBasePutsTheLibraryEyeOnTheCamerasEye) {
    Box box;
    box.Add({-3, 1, 2});
    box.Add({5, 4, 9});
    ViewSpec view = *NamedView("iso-back-left");
    view.perspectiveDegrees = 50;
    Camera camera(view, box);
    const double scale = 4;
    LibraryView library = LibraryViewOf(camera, scale);
    const double eyeDistance = LibraryEyeDistance(library.angleDegrees);
    Vec3 origin{library.base[0], library.base[1], library.base[2]};
    Vec3 x{library.base[3], library.base[4], library.base[5]};
    Vec3 z{library.base[9], library.base[10], library.base[11]};
    Vec3 eye = origin + z * eyeDistance;
    EXPECT_NEAR(Length(eye - camera.Eye() * scale), 0, 1e-9 * Length(camera.Eye() * scale));
    EXPECT_NEAR(eyeDistance * Length(z) / Length(x), camera.Focal() * scale, 1e-9 * camera.Focal() * scale);
    EXPECT_NEAR(Dot(Normalized(z), camera.Forward()), -1, 1e-12);
    EXPECT_EQ(library.shift.x, camera.Centre().x * scale);
    EXPECT_EQ(library.shift.y, camera.Centre().y * scale);
}

TEST(LibraryView, ParallelBaseIsTheCameraFrame) {
    Box box;
    box.Add({0, 0, 0});
    Camera camera(*NamedView("iso"), box);
    LibraryView library = LibraryViewOf(camera, 8);
    EXPECT_EQ(library.angleDegrees, 0);
    EXPECT_EQ(library.base[0], 0);
    EXPECT_EQ(library.base[3], camera.Right().x);
    EXPECT_EQ(library.base[7], camera.Up().y);
    EXPECT_EQ(library.base[11], -camera.Forward().z);
    EXPECT_EQ(library.shift.x, 0);
}

}  // namespace
}  // namespace zv::tool
