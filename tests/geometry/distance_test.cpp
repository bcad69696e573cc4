#include "geometry/distance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>

namespace zv {
namespace {

void Fill(TPointArray& a, std::initializer_list<TXY> points) {
    for (const TXY& p : points) ArrayAdd(a, &p);
}

struct Polyline {
    TPointArray a;
    Polyline(std::initializer_list<TXY> points) {
        ArrayInit(a, sizeof(TXY), 0);
        Fill(a, points);
    }
    ~Polyline() { ArrayClear(a); }
};

struct Pick {
    double distance;
    int32_t segment;
    TXY foot;
    double param;
};

Pick Distance(const TXY& p, const Polyline& line, double maxDist) {
    Pick r{0, -7, {-7, -7}, -7};
    r.distance = PolylineDistance(p, line.a, r.segment, r.foot, r.param, maxDist);
    return r;
}

TEST(LineDistanceXY, DistanceFootAndParameter) {
    TXY foot;
    double t;
    EXPECT_DOUBLE_EQ(LineDistanceXY({3, 4}, {0, 0}, {2, 0}, foot, t), 4);
    EXPECT_DOUBLE_EQ(t, 1.5);
    EXPECT_DOUBLE_EQ(foot.X, 3);
    EXPECT_DOUBLE_EQ(foot.Y, 0);
    EXPECT_DOUBLE_EQ(LineDistanceXY({-1, -4}, {1, 1}, {0, 5}, foot, t), 2);
    EXPECT_DOUBLE_EQ(t, -1);
    EXPECT_DOUBLE_EQ(foot.X, 1);
    EXPECT_DOUBLE_EQ(foot.Y, -4);
    EXPECT_NEAR(LineDistanceXY({0, 2}, {0, 0}, {1, 1}, foot, t), std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(t, 1, 1e-15);
}

TEST(LineDistanceXY, VanishingDirectionMeasuresFromTheOrigin) {
    TXY foot{9, 9};
    double t = 9;
    EXPECT_DOUBLE_EQ(LineDistanceXY({4, 5}, {1, 1}, {0, 0}, foot, t), 5);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(foot.X, 1);
    EXPECT_EQ(foot.Y, 1);
    EXPECT_DOUBLE_EQ(LineDistanceXY({4, 5}, {1, 1}, {3e-6, 0}, foot, t), 5);
}

TEST(PolylineDistance, NearestEdge) {
    Polyline line{{0, 0}, {10, 0}, {10, 10}};
    Pick r = Distance({5, 0.5}, line, 1);
    EXPECT_DOUBLE_EQ(r.distance, 0.5);
    EXPECT_EQ(r.segment, 0);
    EXPECT_DOUBLE_EQ(r.param, 0.5);
    EXPECT_DOUBLE_EQ(r.foot.X, 5);
    EXPECT_DOUBLE_EQ(r.foot.Y, 0);
    r = Distance({9.5, 6}, line, 1);
    EXPECT_DOUBLE_EQ(r.distance, 0.5);
    EXPECT_EQ(r.segment, 1);
    EXPECT_DOUBLE_EQ(r.param, 0.6);
    EXPECT_DOUBLE_EQ(r.foot.X, 10);
    EXPECT_DOUBLE_EQ(r.foot.Y, 6);
}

TEST(PolylineDistance, VerticesWinOverCloserEdges) {
    Polyline line{{0, 0}, {10, 0}, {10, 10}};
    Pick r = Distance({0.3, 0.2}, line, 1);
    EXPECT_NEAR(r.distance, std::hypot(0.3, 0.2), 1e-15);
    EXPECT_EQ(r.segment, 0);
    EXPECT_EQ(r.param, 0);
    EXPECT_EQ(r.foot.X, 0);
    // The end vertex of the first edge: its edge is reported, not the next one.
    r = Distance({9.5, 0.2}, line, 1);
    EXPECT_NEAR(r.distance, std::hypot(0.5, 0.2), 1e-15);
    EXPECT_EQ(r.segment, 0);
    EXPECT_EQ(r.param, 0.999999999);
    EXPECT_EQ(r.foot.X, 10);
    EXPECT_EQ(r.foot.Y, 0);
    // The last vertex.
    r = Distance({10.2, 10.3}, line, 1);
    EXPECT_EQ(r.segment, 1);
    EXPECT_EQ(r.param, 0.999999999);
    EXPECT_EQ(r.foot.Y, 10);
    // A vertex closer than maxDist by less than Eps is not taken.
    Polyline edge{{0, 0}, {10, 0}};
    r = Distance({-0.999995, 0}, edge, 1);
    EXPECT_EQ(r.segment, -1);
    EXPECT_EQ(r.distance, 1e10);
    r = Distance({-0.99998, 0}, edge, 1);
    EXPECT_EQ(r.segment, 0);
    EXPECT_DOUBLE_EQ(r.distance, 0.99998);
}

TEST(PolylineDistance, EdgeRangeReachesSlightlyBeyondTheEnds) {
    Polyline line{{0, 0}, {10, 0}};
    Pick r = Distance({10.05, 0.4}, line, 0.3);
    EXPECT_DOUBLE_EQ(r.distance, 0.4);
    EXPECT_EQ(r.segment, 0);
    EXPECT_NEAR(r.param, 1.005, 1e-12);
    r = Distance({10.5, 0.05}, line, 0.3);
    EXPECT_EQ(r.distance, 1e10);
    EXPECT_EQ(r.segment, -1);
    EXPECT_EQ(r.param, 0);
    r = Distance({-0.09, 0.4}, line, 0.3);
    EXPECT_EQ(r.segment, 0);
    EXPECT_NEAR(r.param, -0.009, 1e-12);
    // The edge result is not limited by maxDist; picking filters it.
    r = Distance({5, 3}, line, 1);
    EXPECT_DOUBLE_EQ(r.distance, 3);
    EXPECT_EQ(r.segment, 0);
}

TEST(PolylineDistance, DegenerateInput) {
    Polyline empty{};
    Pick r = Distance({0, 0}, empty, 1);
    EXPECT_EQ(r.distance, 1e10);
    EXPECT_EQ(r.segment, -1);
    Polyline single{{0, 0}};
    r = Distance({0, 0}, single, 1);
    EXPECT_EQ(r.distance, 1e10);
    EXPECT_EQ(r.segment, -1);
    // A repeated point contributes no edge of its own.
    Polyline repeated{{0, 0}, {0, 0.0005}, {10, 0}};
    r = Distance({5, 2}, repeated, 1);
    EXPECT_EQ(r.segment, 1);
    EXPECT_NEAR(r.distance, 2, 1e-3);
}

TEST(PolylineDistance, FootAndParameterDescribeTheReportedPoint) {
    std::mt19937 rng(555);
    std::uniform_real_distribution<double> coord(-20, 20), reach(0.1, 5);
    int hits = 0;
    for (int i = 0; i < 3000; ++i) {
        Polyline line{};
        for (int k = 0; k < 6; ++k) {
            TXY p{coord(rng), coord(rng)};
            ArrayAdd(line.a, &p);
        }
        TXY p{coord(rng), coord(rng)};
        double maxDist = reach(rng);
        Pick r = Distance(p, line, maxDist);
        if (r.segment < 0) {
            ASSERT_EQ(r.distance, 1e10);
            continue;
        }
        ++hits;
        ASSERT_LT(r.segment, 5);
        ASSERT_NEAR(DistXY(p, r.foot), r.distance, 1e-9);
        const TXY& q = line.a.At<TXY>(r.segment);
        const TXY& s = line.a.At<TXY>(r.segment + 1);
        TXY alongEdge{q.X + (s.X - q.X) * r.param, q.Y + (s.Y - q.Y) * r.param};
        ASSERT_NEAR(alongEdge.X, r.foot.X, 1e-6);
        ASSERT_NEAR(alongEdge.Y, r.foot.Y, 1e-6);
        ASSERT_GE(r.param, -0.01 - 1e-5);
        ASSERT_LE(r.param, 1.01 + 1e-5);
        // A vertex within reach is always preferred.
        double nearestVertex = 1e30;
        for (int k = 0; k < 6; ++k) nearestVertex = std::fmin(nearestVertex, DistXY(p, line.a.At<TXY>(k)));
        if (nearestVertex < maxDist - 1e-4) {
            ASSERT_TRUE(r.param == 0 || r.param == 0.999999999);
        }
    }
    EXPECT_GT(hits, 1000);
}

TEST(PickPolylines, FirstPolylineWithinReach) {
    TlistOFXYArray list;
    Fill(*list.AddNew(), {{0, 0}, {10, 0}});
    Fill(*list.AddNew(), {{0, 5}, {10, 5}});
    Fill(*list.AddNew(), {{0, 1}, {10, 1}});
    int32_t index = -7, segment = -7;
    TXY foot{};
    double param = -7;
    double d = PickPolylines({5, 4.5}, list, index, foot, param, segment, 1);
    EXPECT_EQ(index, 1);
    EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_EQ(segment, 0);
    EXPECT_DOUBLE_EQ(param, 0.5);
    EXPECT_DOUBLE_EQ(foot.Y, 5);
    // The first one within reach, not the nearest.
    d = PickPolylines({5, 0.9}, list, index, foot, param, segment, 1);
    EXPECT_EQ(index, 0);
    EXPECT_DOUBLE_EQ(d, 0.9);
    // Exactly at maxDist still counts.
    d = PickPolylines({5, 3}, list, index, foot, param, segment, 2);
    EXPECT_EQ(index, 1);
    EXPECT_DOUBLE_EQ(d, 2);
}

TEST(PickPolylines, NothingWithinReach) {
    TlistOFXYArray list;
    Fill(*list.AddNew(), {{0, 0}, {10, 0}});
    int32_t index = 3, segment = 3;
    TXY foot{4, 4};
    double param = 4;
    double d = PickPolylines({5, 3}, list, index, foot, param, segment, 1);
    EXPECT_EQ(d, 1e10);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(segment, -1);
    EXPECT_EQ(param, 0);
    EXPECT_EQ(foot.X, 0);
    EXPECT_EQ(foot.Y, 0);
    TlistOFXYArray empty;
    d = PickPolylines({5, 3}, empty, index, foot, param, segment, 1);
    EXPECT_EQ(d, 1e10);
    EXPECT_EQ(index, -1);
    d = PickPolylines({5, 3}, list, index, foot, param, segment, std::nan(""));
    EXPECT_EQ(index, -1);
}

}  // namespace
}  // namespace zv
