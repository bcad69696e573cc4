#include "ray_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "coplanar_merge.h"
#include "demo_model.h"
#include "hidden_line_run.h"
#include "model_file.h"

namespace zv::tool {
namespace {

// An open sheet of triangles folded steeply enough that every view sees the
// backs of some of them.
std::vector<Polygon> FoldedSheet() {
    auto p = [](int i, int j) { return Vec3{double(i), double(j), 1.6 * std::sin(1.3 * i) * std::cos(0.9 * j)}; };
    std::vector<Polygon> sheet;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            sheet.push_back({{p(i, j), p(i + 1, j), p(i + 1, j + 1)}, {}, 0});
            sheet.push_back({{p(i, j), p(i + 1, j + 1), p(i, j + 1)}, {}, 0});
        }
    }
    return sheet;
}

std::vector<std::pair<std::string, std::vector<Polygon>>> Models() {
    std::vector<std::pair<std::string, std::vector<Polygon>>> models{{"demo", DemoModel()}, {"sheet", FoldedSheet()}};
    for (const char* file : {"l_bracket.obj", "plate_with_hole.stl", "two-boxes.obj", "bushing.stl"}) {
        models.push_back({file, MergeCoplanarFaces(LoadModelFile(std::string(ZVHLR_TEST_DATA "/") + file))});
    }
    return models;
}

// Every drawing of the small models passes the ray-cast check in several
// views, parallel and perspective: wrong plus missing under 0.5 %.
TEST(RayCheck, SmallModelsDrawCorrectlyInEveryView) {
    for (const auto& [name, polygons] : Models()) {
        for (double perspective : {0.0, 40.0}) {
            for (const char* viewName : {"iso", "front", "top", "iso-back-left", "iso-front-right-bottom"}) {
                ViewSpec view = *NamedView(viewName);
                view.perspectiveDegrees = perspective;
                const Camera camera(view, BoundsOf(polygons));
                const RunResult run = RemoveHiddenLines(polygons, camera);
                const CheckResult check = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing);
                EXPECT_LT(check.WrongShare(), 0.005) << name << " " << viewName << " " << perspective;
                EXPECT_GT(check.checked - check.skipped, 0.5 * check.drawn) << name << " " << viewName;
            }
        }
    }
}

// The checker itself: a drawing with visible and hidden swapped, or with
// nothing at all, is caught.
TEST(RayCheck, CatchesSwappedAndMissingLines) {
    for (const auto& [name, polygons] : Models()) {
        const Camera camera(*NamedView("iso"), BoundsOf(polygons));
        RunResult run = RemoveHiddenLines(polygons, camera);
        std::swap(run.drawing.visible, run.drawing.hidden);
        const CheckResult swapped = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing);
        EXPECT_GT(swapped.hiddenVisible, 0.5 * LengthOf(run.drawing.hidden)) << name;
        EXPECT_GT(swapped.visibleHidden, 0.3 * LengthOf(run.drawing.visible)) << name;
        run.drawing.hidden.clear();
        const CheckResult missing = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing);
        EXPECT_GT(missing.missing, 0.5 * swapped.hiddenVisible) << name;
    }
}

}  // namespace
}  // namespace zv::tool
