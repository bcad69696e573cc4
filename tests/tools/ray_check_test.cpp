#include "ray_check.h"

#include <gtest/gtest.h>

#include "hidden_line_run.h"
#include "tool_models.h"

namespace zv::tool {
namespace {

// Every drawing of the small models passes the ray-cast check in several
// views, parallel and perspective: wrong plus missing under 0.5 %.
TEST(RayCheck, SmallModelsDrawCorrectlyInEveryView) {
    for (const auto& [name, polygons, rounding] : test::SmallModels()) {
        for (double perspective : {0.0, 40.0}) {
            for (const char* viewName : {"iso", "front", "top", "iso-back-left", "iso-front-right-bottom"}) {
                const Camera camera(test::NamedViewAt(viewName, perspective), BoundsOf(polygons));
                const RunResult run = RemoveHiddenLines(polygons, camera);
                const CheckResult check = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing, rounding);
                EXPECT_LT(check.WrongShare(), 0.005) << name << " " << viewName << " " << perspective;
                EXPECT_GT(check.checked - check.skipped, 0.5 * check.drawn) << name << " " << viewName;
            }
        }
    }
}

// The checker itself: a drawing with visible and hidden swapped, or with
// nothing at all, is caught.
TEST(RayCheck, CatchesSwappedAndMissingLines) {
    for (const auto& [name, polygons, rounding] : test::SmallModels()) {
        const Camera camera(*NamedView("iso"), BoundsOf(polygons));
        RunResult run = RemoveHiddenLines(polygons, camera);
        std::swap(run.drawing.visible, run.drawing.hidden);
        const CheckResult swapped = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing, rounding);
        EXPECT_GT(swapped.hiddenVisible, 0.5 * LengthOf(run.drawing.hidden)) << name;
        EXPECT_GT(swapped.visibleHidden, 0.3 * LengthOf(run.drawing.visible)) << name;
        run.drawing.hidden.clear();
        const CheckResult missing = CheckDrawing(polygons, camera, RunOptions{}.smoothDegrees, run.drawing, rounding);
        EXPECT_GT(missing.missing, 0.5 * swapped.hiddenVisible) << name;
    }
}

}  // namespace
}  // namespace zv::tool
