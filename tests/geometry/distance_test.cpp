#include "geometry/distance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "owned_array.h"

namespace zv {
namespace {

using Polyline = OwnedArray<TXY>;

constexpr double kEnd = 0.999999999;  // parameter of a pick at the end vertex

TEST(LineDistanceXY, DistanceFootAndParameter) {
    TXY foot;
    double t;
    EXPECT_DOUBLE_EQ(LineDistanceXY({-1, -4}, {1, 1}, {0, 5}, foot, t), 2);
    EXPECT_DOUBLE_EQ(t, -1);
    EXPECT_DOUBLE_EQ(foot.Y, -4);
    EXPECT_DOUBLE_EQ(LineDistanceXY({4, 5}, {1, 1}, {3e-6, 0}, foot, t), 5);  // no direction: from the origin
    EXPECT_EQ(t, 0);
    EXPECT_DOUBLE_EQ(SegmentDistanceXY({13, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(SegmentDistanceXY({-3, 4}, {0, 0}, {10, 0}), 5);
}

TEST(PolylineDistance, Cases) {
    const Polyline corner{{{0, 0}, {10, 0}, {10, 10}}}, edge{{{0, 0}, {10, 0}}};
    const Polyline repeated{{{0, 0}, {0, 0.0005}, {10, 0}}}, single{{{0, 0}}};
    struct Case { const Polyline* line; TXY p; double maxDist, distance; int32_t segment; double param; } cases[] = {
        {&corner, {5, 0.5}, 1, 0.5, 0, 0.5},
        {&corner, {9.5, 6}, 1, 0.5, 1, 0.6},
        {&corner, {0.3, 0.2}, 1, std::hypot(0.3, 0.2), 0, 0},      // a vertex wins over a closer edge
        {&corner, {9.5, 0.2}, 1, std::hypot(0.5, 0.2), 0, kEnd},   // the end vertex of its own edge
        {&corner, {10.2, 10.3}, 1, std::hypot(0.2, 0.3), 1, kEnd},
        {&edge, {-0.999995, 0}, 1, 1e10, -1, 0},                    // closer than maxDist by less than Eps
        {&edge, {-0.99998, 0}, 1, 0.99998, 0, 0},
        {&edge, {10.05, 0.4}, 0.3, 0.4, 0, 1.005},                  // the edge reaches slightly beyond its ends
        {&edge, {10.5, 0.05}, 0.3, 1e10, -1, 0},
        {&edge, {-0.09, 0.4}, 0.3, 0.4, 0, -0.009},
        {&edge, {5, 3}, 1, 3, 0, 0.5},                              // edges are not limited by maxDist
        {&single, {0, 0}, 1, 1e10, -1, 0},
        {&repeated, {5, 2}, 1, 2, 1, 0.5},                          // a repeated point gives no edge
    };
    for (const Case& c : cases) {
        int32_t segment = -7;
        TXY foot;
        double param = -7;
        double d = PolylineDistance(c.p, c.line->a, segment, foot, param, c.maxDist);
        SCOPED_TRACE(testing::Message() << c.p.X << "," << c.p.Y);
        EXPECT_NEAR(d, c.distance, 1e-3);
        EXPECT_EQ(segment, c.segment);
        EXPECT_NEAR(param, c.param, 1e-3);
    }
}

TEST(PickPolylines, TheFirstPolylineWithinReachOrNone) {
    TlistOFXYArray list;
    for (double y : {0.0, 5.0, 1.0}) {
        TPointArray* a = list.AddNew();
        for (TXY p : {TXY{0, y}, TXY{10, y}}) ArrayAdd(*a, &p);
    }
    int32_t index, segment;
    TXY foot;
    double param;
    EXPECT_DOUBLE_EQ(PickPolylines({5, 4.5}, list, index, foot, param, segment, 1), 0.5);
    EXPECT_EQ(index, 1);
    EXPECT_DOUBLE_EQ(foot.Y, 5);
    PickPolylines({5, 0.9}, list, index, foot, param, segment, 1);
    EXPECT_EQ(index, 0);  // the first one within reach, not the nearest
    EXPECT_DOUBLE_EQ(PickPolylines({5, 3}, list, index, foot, param, segment, 2), 2);  // maxDist counts
    EXPECT_EQ(PickPolylines({5, 3}, list, index, foot, param, segment, std::nan("")), 1e10);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(segment, -1);
}

}  // namespace
}  // namespace zv
