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

// The tab joint as it is, moved by 1e5 and scaled by 1000 (corners rounded
// to float32 as STL stores them), checked by ray casting in every view.  The
// copies draw no more than the original (scaled back): the front and back
// edges of a flush face that the rounding puts a float's step apart are one line.
TEST(FarModel, RoundedTabJointDrawsCorrectlyInEveryView) {
    std::map<std::string, double> original;
    for (auto [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
        ModelFrame frame;
        const std::vector<Polygon> polygons = test::LocalPolygons(test::RoundedCopy(test::DataMesh("tab_in_slot.stl"), offset, scale), frame);
        for (const char* name : {"iso", "front", "top", "iso-back-left"}) {
            for (double perspective : {0.0, 40.0}) {
                const Camera camera(test::NamedViewAt(name, perspective), BoundsOf(polygons));
                const RunResult run = RemoveHiddenLines(polygons, camera, {.rounding = frame.rounding});
                const CheckResult check = CheckDrawing(polygons, camera, 25, run.drawing, frame.rounding);
                EXPECT_LT(check.WrongShare(), 0.005) << name << " " << perspective << " offset " << offset;
                const std::string key = name + std::to_string(perspective);
                if (offset == 0 && scale == 1) original[key] = check.drawn;
                EXPECT_LT(check.drawn / scale, 1.001 * original[key]) << key << " offset " << offset;
            }
        }
    }
}

// A cylinder as STL stores it, its axis tilted so that every coordinate is
// rounded: each side quad split into two triangles, each cap a fan of thin
// triangles from one rim corner.
Mesh TiltedCylinder(int segments) {
    const Vec3 axis{1.0 / 3, 2.0 / 3, 2.0 / 3}, u{2.0 / 3, 1.0 / 3, -2.0 / 3}, v{2.0 / 3, -2.0 / 3, 1.0 / 3};
    Mesh mesh;
    for (int k = 0; k < segments; ++k) {
        const double a = 2 * std::numbers::pi * k / segments;
        const Vec3 rim = u * (20 * std::cos(a)) + v * (20 * std::sin(a));
        mesh.vertices.push_back(rim);
        mesh.vertices.push_back(rim + axis * 40);
    }
    for (int k = 0; k < segments; ++k) {
        const int b0 = 2 * k, t0 = b0 + 1, b1 = 2 * ((k + 1) % segments), t1 = b1 + 1;
        mesh.faces.push_back({{b0, b1, t1}, 0});
        mesh.faces.push_back({{b0, t1, t0}, 0});
        if (k > 0 && k + 1 < segments) {
            mesh.faces.push_back({{0, b1, b0}, 0});
            mesh.faces.push_back({{1, t0, t1}, 0});
        }
    }
    mesh.groups.push_back("cylinder");
    return mesh;
}

// Moved by 1e5 or scaled by 1000, the cylinder merges into the faces it has at
// the origin: one per side, one per cap.  Far away, rounding tilts the thin
// triangles of a cap more than the merge angle, yet the cap stays one face;
// the sides, folded by a few degrees, stay apart.
TEST(FarModel, TiltedCylinderMergesIntoTheSameFaces) {
    for (int segments : {24, 48, 96}) {
        for (auto [offset, scale] : {std::pair{0.0, 1.0}, std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
            ModelFrame frame;
            const auto polygons = test::LocalPolygons(test::RoundedCopy(TiltedCylinder(segments), offset, scale), frame);
            EXPECT_EQ(polygons.size(), size_t(segments + 2)) << segments << " offset " << offset << " scale " << scale;
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

}  // namespace
}  // namespace zv::tool
