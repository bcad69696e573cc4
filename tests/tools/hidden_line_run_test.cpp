#include "hidden_line_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "coplanar_merge.h"

namespace zv::tool {
namespace {

// A unit cube of six quads, counter-clockwise seen from outside.
std::vector<Polygon> Cube(double size = 1) {
    auto p = [size](int k) { return Vec3{size * (k & 1), size * ((k >> 1) & 1), size * ((k >> 2) & 1)}; };
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    std::vector<Polygon> polygons;
    for (const auto& q : quads) polygons.push_back({{p(q[0]), p(q[1]), p(q[2]), p(q[3])}, {}, 0});
    return polygons;
}

Box BoxOf(const std::vector<Polygon>& polygons) { return BoundsOf(polygons); }

TEST(HiddenLineRun, IsometricCubeShowsNineEdgesAndHidesThree) {
    std::vector<Polygon> cube = Cube();
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("iso"), BoxOf(cube)));
    EXPECT_EQ(result.polygons, 6);
    EXPECT_EQ(result.contours, 6);
    EXPECT_FALSE(result.aborted);
    const double edge = std::sqrt(2.0 / 3.0);  // an axis edge seen isometrically
    EXPECT_NEAR(LengthOf(result.drawing.visible), 9 * edge, 1e-9);
    EXPECT_NEAR(LengthOf(result.drawing.hidden), 3 * edge, 1e-9);
}

TEST(HiddenLineRun, ResultDoesNotDependOnTheModelUnit) {
    std::vector<Polygon> cube = Cube(0.001);
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("iso"), BoxOf(cube)));
    EXPECT_NEAR(LengthOf(result.drawing.visible), 9 * 0.001 * std::sqrt(2.0 / 3.0), 1e-12);
}

TEST(HiddenLineRun, SharedEdgesAreDrawnOnce) {
    std::vector<Polygon> cube = Cube();
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("front"), BoxOf(cube)));
    // Only the front square is visible; its four edges are drawn once each.
    EXPECT_NEAR(LengthOf(result.drawing.visible), 4, 1e-9);
}

TEST(HiddenLineRun, OutlineCoordinatesAreExactModelCoordinates) {
    std::vector<Polygon> cube = Cube(0.1);
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("front"), BoxOf(cube)));
    bool found = false;
    for (const Polyline& line : result.drawing.visible) {
        for (Point2 p : line) found = found || (p.x == 0.1 && p.y == 0.1);
    }
    EXPECT_TRUE(found);
}

TEST(HiddenLineRun, FacesSeenEdgeOnAreLeftOutAndTheirNeighboursDrawTheEdges) {
    std::vector<Polygon> cube = Cube();
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("front"), BoxOf(cube)));
    EXPECT_EQ(result.edgeOn, 4);  // top, bottom, left and right
    EXPECT_EQ(result.contours, 2);
}

TEST(HiddenLineRun, AbortRequestStopsTheRun) {
    std::vector<Polygon> cube = Cube();
    RunOptions options;
    int asked = 0;
    options.abortRequested = [&asked] { return ++asked > 0; };
    RunResult result = RemoveHiddenLines(cube, Camera(*NamedView("iso"), BoxOf(cube)), options);
    EXPECT_TRUE(result.aborted);
    EXPECT_TRUE(result.drawing.visible.empty());
}

TEST(HiddenLineRun, ProgressRunsUpToOne) {
    std::vector<Polygon> cube = Cube();
    RunOptions options;
    double last = 0;
    options.progress = [&last](double fraction) { last = fraction; };
    RemoveHiddenLines(cube, Camera(*NamedView("iso"), BoxOf(cube)), options);
    EXPECT_DOUBLE_EQ(last, 1.0);
}

TEST(HiddenLineRun, PolygonsTheLibraryRefusesOrWithoutAreaAreCounted) {
    std::vector<Polygon> polygons = Cube();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    polygons.push_back({{{0, 0, 0}, {1, 0, nan}, {1, 1, 0}}, {{{0.5, 0.1, 0}, {0.6, 0.1, 0}, {0.6, 0.2, 0}}}, 1});
    polygons.push_back({{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {}, 2});  // no area
    RunResult result = RemoveHiddenLines(polygons, Camera(*NamedView("iso"), BoxOf(polygons)));
    EXPECT_EQ(result.contours, 6);
    EXPECT_EQ(result.rejected, 2);  // the outer contour and its hole
    EXPECT_EQ(result.edgeOn, 1);
    EXPECT_NEAR(LengthOf(result.drawing.visible), 9 * std::sqrt(2.0 / 3.0), 1e-9);
}

TEST(HiddenLineRun, LibraryScaleIsAPowerOfTwoBringingTheModelToAFewHundredUnits) {
    for (double diagonal : {1e-4, 0.3, 1.0, 700.0, 1e6}) {
        double scale = LibraryScale(diagonal);
        EXPECT_EQ(std::exp2(std::round(std::log2(scale))), scale);
        EXPECT_GT(diagonal * scale, 256 - 1e-9);
        EXPECT_LE(diagonal * scale, 512 + 1e-9);
    }
    EXPECT_EQ(LibraryScale(0), 1);
}

}  // namespace
}  // namespace zv::tool
