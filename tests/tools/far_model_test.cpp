#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "drafting.h"
#include "hidden_line_run.h"
#include "ray_cast.h"
#include "ray_check.h"
#include "tool_models.h"

namespace zv::tool {
namespace {

// The length of the lines farther than tol from every line of the others
// (sampled every tol / 2).
double LengthApart(const std::vector<Polyline>& lines, const std::vector<const std::vector<Polyline>*>& others, double tol) {
    double apart = 0;
    for (const Polyline& line : lines) {
        for (size_t k = 1; k < line.size(); ++k) {
            const Point2 a = line[k - 1], b = line[k];
            const int n = std::max(1, static_cast<int>(2 * std::hypot(b.x - a.x, b.y - a.y) / tol));
            for (int i = 0; i < n; ++i) {
                const double t = (i + 0.5) / n;
                const Point2 p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
                bool near = false;
                for (const auto* set : others)
                    for (const Polyline& o : *set)
                        for (size_t j = 1; j < o.size() && !near; ++j) near = DistanceToSegment(p, o[j - 1], o[j]) < tol;
                if (!near) apart += std::hypot(b.x - a.x, b.y - a.y) / n;
            }
        }
    }
    return apart;
}

// The share of either drawing's length that the other does not show within
// tol (hidden lines may lie under visible ones), the copy scaled back and
// aligned with the original by the corner of its extent.
double PictureDifference(const Drawing& original, Drawing copy, double scale, double tol) {
    const Extent a = ExtentOf(original, true), b = ExtentOf(copy, true);
    for (auto* lines : {&copy.visible, &copy.hidden})
        for (Polyline& line : *lines)
            for (Point2& p : line) p = {a.min.x + (p.x - b.min.x) / scale, a.min.y + (p.y - b.min.y) / scale};
    const double apart = LengthApart(original.visible, {&copy.visible}, tol) + LengthApart(copy.visible, {&original.visible}, tol) +
                         LengthApart(original.hidden, {&copy.hidden, &copy.visible}, tol) +
                         LengthApart(copy.hidden, {&original.hidden, &original.visible}, tol);
    return apart / (LengthOf(original.visible) + LengthOf(original.hidden) + LengthOf(copy.visible) + LengthOf(copy.hidden));
}

// Three parts as they are, moved by 1e5 and scaled by 1000 (corners rounded
// to float32 as STL stores them), checked by ray casting in every view.  The
// copies draw the original's picture, and no more than the original (scaled
// back): the front and back edges of a flush face that the rounding puts a
// float's step apart are one line.
TEST(FarModel, RoundedCopiesDrawTheOriginalsPictureInEveryView) {
    for (const char* file : {"tab_in_slot.stl", "plate_with_hole.stl", "bushing.stl"}) {
        std::map<std::string, double> original;
        std::map<std::string, Drawing> originalDrawing;
        for (auto [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
            ModelFrame frame;
            const std::vector<Polygon> polygons = test::LocalPolygons(test::RoundedCopy(test::DataMesh(file), offset, scale), frame);
            for (const char* name : {"iso", "front", "top", "iso-back-left"}) {
                for (double perspective : {0.0, 40.0}) {
                    const Camera camera(test::NamedViewAt(name, perspective), BoundsOf(polygons));
                    const RunResult run = RemoveHiddenLines(polygons, camera, {.rounding = frame.rounding});
                    const CheckResult check = CheckDrawing(polygons, camera, 25, run.drawing, frame.rounding);
                    const std::string key = file + std::string(" ") + name + std::to_string(perspective);
                    EXPECT_LT(check.WrongShare(), 0.005) << key << " offset " << offset;
                    if (offset == 0 && scale == 1) original[key] = check.drawn, originalDrawing[key] = run.drawing;
                    EXPECT_LT(check.drawn / scale, 1.001 * original[key]) << key << " offset " << offset;
                    const Extent extent = ExtentOf(originalDrawing[key], true);
                    const double tol = 1e-3 * std::max(extent.max.x - extent.min.x, extent.max.y - extent.min.y);
                    EXPECT_LT(PictureDifference(originalDrawing[key], run.drawing, scale, tol), 0.002) << key << " offset " << offset;
                }
            }
        }
    }
}

// A cylinder as STL stores it, its axis tilted so that every coordinate is
// rounded: sides split into two triangles, caps fanned from one rim corner.
// Moved by 1e5 or scaled by 1000, it merges into its faces at the origin, one
// per side and cap (rounding tilts a cap's thin triangles beyond the angle).
TEST(FarModel, TiltedCylinderMergesIntoTheSameFaces) {
    for (int n : {24, 48, 96}) {
        Mesh mesh{{}, {}, {"cylinder"}};
        for (int k = 0; k < 2 * n; ++k) {  // the bottom and top corner of each side
            const double a = 2 * std::numbers::pi * (k / 2) / n;
            mesh.vertices.push_back(Vec3{2, 1, -2} * (7 * std::cos(a)) + Vec3{2, -2, 1} * (7 * std::sin(a)) + Vec3{1, 2, 2} * (13.0 * (k % 2)));
        }
        for (int b = 0, c = 2; b < 2 * n; b += 2, c = (b + 2) % (2 * n)) {
            mesh.faces.insert(mesh.faces.end(), {{{b, c, c + 1}}, {{b, c + 1, b + 1}}});
            if (b > 0 && c > 0) mesh.faces.insert(mesh.faces.end(), {{{0, c, b}}, {{1, b + 1, c + 1}}});
        }
        for (auto [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
            ModelFrame frame;
            EXPECT_EQ(test::LocalPolygons(test::RoundedCopy(mesh, offset, scale), frame).size(), size_t(n + 2)) << n << " " << offset;
        }
    }
}

// Joining lines within the rounding must not chain through a fan of lines
// whose directions turn in steps below the rounding (facet edges of a curved
// surface): every line's end stays within a thousandth of the drawing's size.
TEST(FarModelDrafting, FanOfSlowlyTurningLinesKeepsItsEnds) {
    Drawing drawing;
    std::vector<Point2> ends;
    for (int k = 0; k < 400; ++k) {
        const double angle = 0.3 + 5e-5 * k;
        ends.push_back({50 * std::cos(angle), 50 * std::sin(angle)});
        drawing.visible.push_back({{0, 0}, ends.back()});
    }
    const double size = ends.front().x;
    ApplyDraftingConventions(drawing, 1e-4 * size);
    for (Point2 e : ends) {
        double nearest = 1e300;
        for (const Polyline& line : drawing.visible) {
            for (size_t k = 1; k < line.size(); ++k) nearest = std::min(nearest, DistanceToSegment(e, line[k - 1], line[k]));
        }
        EXPECT_LT(nearest, 1e-3 * size) << e.x << " " << e.y;
    }
}

// Far from the origin, lines that the rounding (here 0.01) leaves side by side
// are drawn once, visible first, while lines meeting end to end or crossing,
// and lines farther apart than the rounding, keep their whole length.
TEST(FarModelDrafting, LinesSideBySideWithinTheRoundingAreDrawnOnce) {
    struct Case {
        const char* what;
        std::vector<Polyline> visible, hidden;
        double visibleLength, hiddenLength;
    } cases[] = {
        {"one edge twice", {{{0, 0}, {10, 0.006}}, {{0, 0.004}, {10, -0.002}}}, {}, 10, 0},
        {"hidden along visible", {{{0, 0}, {10, 0}}}, {{{1, 0.008}, {9, 0.003}}, {{2, 0.5}, {8, 0.5}}}, 10, 6},
        {"hidden twice", {}, {{{0, 0}, {10, 0}}, {{5, 0.007}, {15, 0.002}}}, 0, 15},
        {"zigzag chain", {{{0, 0}, {1, 0.004}, {2, 0}, {3, 0.004}, {4, 0}, {5, 0.004}}}, {}, 5, 0},
        {"crossing", {{{0, 0}, {10, 0}}, {{5, -5}, {5, 5}}}, {}, 20, 0},
        {"apart", {{{0, 0}, {10, 0}}, {{0, 0.05}, {10, 0.05}}}, {}, 20, 0},
    };
    for (Case& c : cases) {
        Drawing drawing{c.visible, c.hidden};
        ApplyDraftingConventions(drawing, 0.01);
        EXPECT_NEAR(LengthOf(drawing.visible), c.visibleLength, 0.03) << c.what;
        EXPECT_NEAR(LengthOf(drawing.hidden), c.hiddenLength, 0.03) << c.what;
    }
}

// Corners printed with few digits: a short edge drawn twice, its copies
// turned apart by the rounding far beyond the direction test's reach, comes
// out once, also with the rounding (2e-4) below the drawing's own tolerance
// (1e-3 at a size of 1000).
TEST(FarModelDrafting, PrintedCornersDrawAShortEdgeOnce) {
    Drawing drawing{{{{0, 0}, {1, 0.0004}}, {{0, 0.0003}, {1, -0.0002}}, {{0, 500}, {1000, 500}}}, {}};
    ApplyDraftingConventions(drawing, 2e-4, true);
    EXPECT_NEAR(LengthOf(drawing.visible), 1001, 1e-3);
}

}  // namespace
}  // namespace zv::tool
