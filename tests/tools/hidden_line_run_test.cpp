#include "hidden_line_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tool_models.h"

namespace zv::tool {
namespace {

// A cube of six quads, counter-clockwise seen from outside.
std::vector<Polygon> Cube(double size = 1) {
    auto p = [size](int k) { return Vec3{size * (k & 1), size * ((k >> 1) & 1), size * ((k >> 2) & 1)}; };
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    std::vector<Polygon> polygons;
    for (const auto& q : quads) polygons.push_back({{p(q[0]), p(q[1]), p(q[2]), p(q[3])}, {}, 0});
    return polygons;
}

RunResult Draw(const std::vector<Polygon>& polygons, const char* view = "iso", RunOptions options = {}) {
    return RemoveHiddenLines(polygons, Camera(*NamedView(view), BoundsOf(polygons)), options);
}

// Polygons that the library refuses (a corner not a number, and the hole of
// that contour) and polygons without area are counted, not drawn.
TEST(HiddenLineRun, CubeDrawsEachEdgeOnceInAnyUnitAndBadPolygonsAreCounted) {
    const double edge = std::sqrt(2.0 / 3.0), nan = std::numeric_limits<double>::quiet_NaN();
    for (double size : {1e-3, 1.0, 1e4}) {
        std::vector<Polygon> polygons = Cube(size);
        polygons.push_back({{{0, 0, 0}, {1, 0, nan}, {1, 1, 0}}, {{{0.5, 0.1, 0}, {0.6, 0.1, 0}, {0.6, 0.2, 0}}}, 1});
        polygons.push_back({{{0, 0, 0}, {size, 0, 0}, {2 * size, 0, 0}}, {}, 2});
        RunResult iso = Draw(polygons);
        EXPECT_TRUE(iso.contours == 6 && iso.rejected == 2 && iso.edgeOn == 1) << size;
        EXPECT_NEAR(LengthOf(iso.drawing.visible), 9 * edge * size, 1e-9 * size);
        EXPECT_NEAR(LengthOf(iso.drawing.hidden), 3 * edge * size, 1e-9 * size);
        RunResult front = Draw(Cube(size), "front");
        EXPECT_EQ(front.edgeOn, 4);  // top, bottom, left and right
        EXPECT_NEAR(LengthOf(front.drawing.visible), 4 * size, 1e-9 * size);
    }
}

// A faceted cylinder as modellers write them (16 to 64 segments) shows, from
// the front, its silhouettes and the top and bottom lines only.
TEST(HiddenLineRun, FacetedCylindersDrawOnlyTheirSilhouettesByDefault) {
    for (int segments : {16, 24, 32, 64}) {
        std::vector<Polygon> cylinder(2);
        auto at = [segments](int k, double z) {
            const double a = 2 * 3.14159265358979323846 * k / segments;
            return Vec3{10 * std::cos(a), 10 * std::sin(a), z};
        };
        for (int k = 0; k < segments; ++k) {
            cylinder.push_back({{at(k, 0), at(k + 1, 0), at(k + 1, 30), at(k, 30)}, {}, 0});
            cylinder[0].outer.push_back(at(segments - k, 0));
            cylinder[1].outer.push_back(at(k, 30));
        }
        RunResult front = Draw(cylinder, "front");
        EXPECT_NEAR(LengthOf(front.drawing.visible), 2 * 30 + 2 * 20, 1e-6) << segments;
    }
}

TEST(HiddenLineRun, AbortStopsAndProgressGrowsToOne) {
    RunResult stopped = Draw(DemoModel(), "iso", {.abortRequested = [] { return true; }});
    EXPECT_TRUE(stopped.aborted && stopped.drawing.visible.empty());
    for (bool reference : {false, true}) {
        std::vector<double> reported;
        Draw(DemoModel(), "iso", {.reference = reference, .progress = [&reported](double f) { reported.push_back(f); }});
        ASSERT_GT(reported.size(), 1u);
        EXPECT_EQ(reported.back(), 1.0);
        for (size_t k = 0; k + 1 < reported.size(); ++k)
            EXPECT_TRUE(reported[k] > 0 && reported[k] < 1 && (k == 0 || reported[k] >= reported[k - 1])) << k;
    }
}

// The fast mode must draw what the reference mode draws, in the same place.
TEST(CalcMode, FastModeDrawsWhatTheReferenceDraws) {
    const std::vector<Polygon> scenes[] = {DemoModel(), MergeCoplanarFaces(test::DataMesh("l_bracket.obj")),
                                           MergeCoplanarFaces(test::DataMesh("bushing.stl"))};
    for (const auto& polygons : scenes) {
        const double size = BoundsOf(polygons).Diagonal();
        for (double perspective : {0.0, 120.0}) {
            for (const char* name : {"iso", "front", "iso-front-left-bottom"}) {
                const Camera camera(test::NamedViewAt(name, perspective), BoundsOf(polygons));
                RunResult slow = RemoveHiddenLines(polygons, camera, {.reference = true});
                RunResult fast = RemoveHiddenLines(polygons, camera);
                ASSERT_EQ(fast.mode, CalcMode::BuiltinView);
                EXPECT_EQ(slow.pairs, -1);
                EXPECT_NEAR(LengthOf(fast.drawing.visible), LengthOf(slow.drawing.visible), 1e-9 * size);
                EXPECT_NEAR(LengthOf(fast.drawing.hidden), LengthOf(slow.drawing.hidden), 1e-9 * size);
                Extent a = ExtentOf(fast.drawing, true), b = ExtentOf(slow.drawing, true);
                EXPECT_NEAR(Length(Vec3{a.min.x - b.min.x, a.max.y - b.max.y, a.max.x - b.max.x}), 0, 1e-9 * size);
            }
        }
    }
}

}  // namespace
}  // namespace zv::tool
