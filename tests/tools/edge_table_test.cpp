#include "edge_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zv::tool {
namespace {

// Two faces folded along the edge (0,0,0)-(1,0,0) by the given angle.
std::vector<Polygon> Fold(double degrees) {
    double a = degrees * 3.14159265358979323846 / 180;
    Polygon flat{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {}, 0};
    Polygon bent{{{1, 0, 0}, {0, 0, 0}, {0, -std::cos(a), -std::sin(a)}, {1, -std::cos(a), -std::sin(a)}}, {}, 0};
    return {flat, bent};
}

const std::vector<bool> kBoth{true, true};

TEST(EdgeTable, SharedEdgeIsDrawnOnceByTheFaceTowardsTheViewer) {
    EdgeTable table(Fold(90), 20);
    EXPECT_FALSE(table.IsSmooth({0, 0, 0}));
    EXPECT_TRUE(table.Draws({0, 0, 0}, kBoth, {true, true}));
    EXPECT_FALSE(table.Draws({1, 0, 0}, kBoth, {true, true}));
    EXPECT_FALSE(table.Draws({0, 0, 0}, kBoth, {false, true}));
    EXPECT_TRUE(table.Draws({1, 0, 0}, kBoth, {false, true}));
    EXPECT_TRUE(table.Draws({0, 0, 0}, kBoth, {false, false}));  // hidden edges are still drawn once
    EXPECT_TRUE(table.Draws({0, 0, 1}, kBoth, {false, false}));  // unshared edges always
    // A polygon left out does not draw; its neighbour takes the edge.
    EXPECT_FALSE(table.Draws({0, 0, 0}, {false, true}, {false, false}));
    EXPECT_TRUE(table.Draws({1, 0, 0}, {false, true}, {false, false}));
}

TEST(EdgeTable, SmoothEdgesAreDrawnOnlyOnTheOutline) {
    EdgeTable table(Fold(10), 20);
    EXPECT_TRUE(table.IsSmooth({0, 0, 0}));
    EXPECT_FALSE(table.Draws({0, 0, 0}, kBoth, {true, true}));
    EXPECT_FALSE(table.Draws({0, 0, 0}, kBoth, {false, false}));
    EXPECT_TRUE(table.Draws({0, 0, 0}, kBoth, {true, false}));
    EXPECT_TRUE(table.Draws({1, 0, 0}, kBoth, {false, true}));
}

TEST(EdgeTable, SmoothAngleZeroMakesNoEdgeSmooth) {
    EdgeTable table(Fold(10), 0);
    EXPECT_FALSE(table.IsSmooth({0, 0, 0}));
    EXPECT_TRUE(table.Draws({0, 0, 0}, kBoth, {true, true}));
}

}  // namespace
}  // namespace zv::tool
