#include "geometry/polygon2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <random>

namespace zv {
namespace {

// An outline that releases its block.
struct Outline {
    TPointArray a;
    Outline(std::initializer_list<TXY> points) {
        ArrayInit(a, sizeof(TXY), static_cast<int32_t>(points.size()));
        for (const TXY& p : points) ArrayAdd(a, &p);
    }
    ~Outline() { ArrayClear(a); }
    void Add(const TXY& p) { ArrayAdd(a, &p); }
    void Reverse() {
        for (int32_t i = 0, j = a.Count - 1; i < j; ++i, --j) std::swap(a.At<TXY>(i), a.At<TXY>(j));
    }
};

void ExpectRect(const TRect2D& r, double x1, double y1, double x2, double y2) {
    EXPECT_EQ(r.X1, x1);
    EXPECT_EQ(r.Y1, y1);
    EXPECT_EQ(r.X2, x2);
    EXPECT_EQ(r.Y2, y2);
}

TEST(ExtendRect, MovesOnlyTheEdgesThatThePointReaches) {
    TRect2D r{0, 0, 10, 10};
    ExtendRect(r, {10, 5});
    ExpectRect(r, 0, 0, 11, 10);
    ExtendRect(r, {5, 5});
    ExpectRect(r, 0, 0, 11, 10);
    ExtendRect(r, {0, 0});  // on the low corner
    ExpectRect(r, -1, -1, 11, 10);
    ExtendRect(r, {20, -7});
    ExpectRect(r, -1, -8, 21, 10);
    ExtendRect(r, {3, 10});
    ExpectRect(r, -1, -8, 21, 11);
}

TEST(ExtendRect, GrowsAnEmptyRectangleFromItsFirstPoint) {
    TRect2D r{1e30, 1e30, -1e30, -1e30};
    ExtendRect(r, {2, 3});
    ExpectRect(r, 1, 2, 3, 4);
}

TEST(RectsDisjoint, ExactComparisons) {
    TRect2D unit{0, 0, 1, 1};
    EXPECT_FALSE(RectsDisjoint(unit, {1, 0, 2, 1}));
    EXPECT_FALSE(RectsDisjoint({1, 0, 2, 1}, unit));
    EXPECT_FALSE(RectsDisjoint(unit, {0, 1, 1, 2}));
    EXPECT_FALSE(RectsDisjoint({0, 1, 1, 2}, unit));
    EXPECT_FALSE(RectsDisjoint(unit, {0.5, 0.5, 3, 3}));
    EXPECT_FALSE(RectsDisjoint(unit, {-5, -5, 5, 5}));
    EXPECT_TRUE(RectsDisjoint(unit, {1 + 1e-12, 0, 2, 1}));
    EXPECT_TRUE(RectsDisjoint({1 + 1e-12, 0, 2, 1}, unit));
    EXPECT_TRUE(RectsDisjoint(unit, {0, 1 + 1e-12, 1, 2}));
    EXPECT_TRUE(RectsDisjoint({0, 1 + 1e-12, 1, 2}, unit));
    EXPECT_TRUE(RectsDisjoint(unit, {-2, 0, -1e-12, 1}));
    EXPECT_TRUE(RectsDisjoint(unit, {0, -2, 1, -1e-12}));
}

TEST(SignedArea2, SignFollowsTheOrientation) {
    Outline square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_EQ(SignedArea2(square.a), -2);
    square.Reverse();
    EXPECT_EQ(SignedArea2(square.a), 2);
    Outline triangle{{0, 0}, {0, 3}, {4, 0}};  // clockwise
    EXPECT_EQ(SignedArea2(triangle.a), 12);
    Outline empty{};
    EXPECT_EQ(SignedArea2(empty.a), 0);
    Outline single{{5, 7}};
    EXPECT_EQ(SignedArea2(single.a), 0);
}

TEST(SignedArea2, RandomOutlinesFlipSignWhenReversed) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> coord(-100, 100);
    std::uniform_int_distribution<int> size(3, 12);
    for (int i = 0; i < 2000; ++i) {
        Outline o{};
        Outline shifted{};
        int n = size(rng);
        for (int k = 0; k < n; ++k) {
            TXY p{coord(rng), coord(rng)};
            o.Add(p);
            shifted.Add({p.X + 37.5, p.Y - 12.25});
        }
        double area = SignedArea2(o.a);
        EXPECT_NEAR(SignedArea2(shifted.a), area, 1e-8);
        o.Reverse();
        EXPECT_NEAR(SignedArea2(o.a), -area, 1e-9);
    }
}

TEST(PointInPolygon, EdgesCountOnlyOnTheLowSide) {
    Outline square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_TRUE(PointInPolygon({0.5, 0.5}, square.a));
    EXPECT_TRUE(PointInPolygon({0.5, 0}, square.a));
    EXPECT_FALSE(PointInPolygon({0.5, 1}, square.a));
    EXPECT_TRUE(PointInPolygon({0, 0.5}, square.a));
    EXPECT_FALSE(PointInPolygon({1, 0.5}, square.a));
    EXPECT_FALSE(PointInPolygon({1.5, 0.5}, square.a));
    EXPECT_FALSE(PointInPolygon({-0.5, 0.5}, square.a));
    Outline empty{};
    EXPECT_FALSE(PointInPolygon({0, 0}, empty.a));
}

TEST(PointInPolygon, RayThroughVerticesCountsThemOnce) {
    Outline diamond{{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    EXPECT_TRUE(PointInPolygon({0, 0}, diamond.a));
    EXPECT_FALSE(PointInPolygon({-2, 0}, diamond.a));
    EXPECT_FALSE(PointInPolygon({2, 0}, diamond.a));
    // A horizontal edge at the height of the point.
    Outline step{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
    EXPECT_TRUE(PointInPolygon({0.5, 1}, step.a));
    EXPECT_FALSE(PointInPolygon({1.5, 1.5}, step.a));
    EXPECT_TRUE(PointInPolygon({3, 1}, step.a));
    EXPECT_FALSE(PointInPolygon({-1, 1}, step.a));
}

// Winding number by summing the angles that the edges subtend at p.
int WindingNumber(const TXY& p, const TPointArray& a) {
    double sum = 0;
    for (int32_t k = 0; k < a.Count; ++k) {
        const TXY& q = a.At<TXY>(k == 0 ? a.Count - 1 : k - 1);
        const TXY& r = a.At<TXY>(k);
        double aq = std::atan2(q.Y - p.Y, q.X - p.X);
        double ar = std::atan2(r.Y - p.Y, r.X - p.X);
        double d = ar - aq;
        while (d > std::numbers::pi) d -= 2 * std::numbers::pi;
        while (d < -std::numbers::pi) d += 2 * std::numbers::pi;
        sum += d;
    }
    return static_cast<int>(std::lround(sum / (2 * std::numbers::pi)));
}

double DistanceToSegment(const TXY& p, const TXY& q, const TXY& r) {
    double dx = r.X - q.X, dy = r.Y - q.Y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.X - q.X) * dx + (p.Y - q.Y) * dy) / len2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    return std::hypot(p.X - q.X - t * dx, p.Y - q.Y - t * dy);
}

TEST(PointInPolygon, AgreesWithTheWindingParityAwayFromTheEdges) {
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> coord(-10, 10);
    std::uniform_int_distribution<int> size(3, 9);
    int inside = 0, checked = 0;
    for (int i = 0; i < 300; ++i) {
        Outline o{};
        int n = size(rng);
        for (int k = 0; k < n; ++k) o.Add({coord(rng), coord(rng)});
        for (int j = 0; j < 50; ++j) {
            TXY p{coord(rng), coord(rng)};
            double nearest = 1e30;
            for (int32_t k = 0; k < n; ++k)
                nearest = std::fmin(nearest, DistanceToSegment(p, o.a.At<TXY>(k == 0 ? n - 1 : k - 1), o.a.At<TXY>(k)));
            if (nearest < 1e-6) continue;
            bool expected = WindingNumber(p, o.a) % 2 != 0;
            ASSERT_EQ(PointInPolygon(p, o.a), expected) << "polygon " << i << " point " << j;
            inside += expected;
            ++checked;
        }
    }
    EXPECT_GT(inside, checked / 10);
}

TEST(ClosedOutlines, IsClosedUsesTheTolerance) {
    Outline closed{{0, 0}, {1, 0}, {1, 1}, {0.000005, -0.000005}};
    EXPECT_TRUE(IsClosedXY(closed.a));
    Outline open{{0, 0}, {1, 0}, {1, 1}, {0.00002, 0}};
    EXPECT_FALSE(IsClosedXY(open.a));
    Outline empty{};
    EXPECT_FALSE(IsClosedXY(empty.a));
}

TEST(ClosedOutlines, CloseAppendsTheFirstPointOnce) {
    Outline o{{1, 2}, {3, 2}, {3, 5}};  // Capacity equals Count: closing must grow the block
    ASSERT_EQ(o.a.Capacity, o.a.Count);
    CloseXY(o.a);
    ASSERT_EQ(o.a.Count, 4);
    EXPECT_EQ(o.a.At<TXY>(3).X, 1);
    EXPECT_EQ(o.a.At<TXY>(3).Y, 2);
    CloseXY(o.a);
    EXPECT_EQ(o.a.Count, 4);
    Outline empty{};
    CloseXY(empty.a);
    EXPECT_EQ(empty.a.Count, 0);
}

TEST(ClosedOutlines, CloseListClosesEveryArray) {
    TlistOFXYArray list;
    for (int a = 0; a < 3; ++a) {
        TPointArray* array = list.AddNew();
        for (int i = 0; i < 5; ++i) {
            TXY p{double(i * i), double(a + i)};
            ArrayAdd(*array, &p);
        }
    }
    TXY first = list.Items(1)->At<TXY>(0);
    ArrayAdd(*list.Items(1), &first);  // already closed
    CloseXYList(list);
    EXPECT_EQ(list.Items(0)->Count, 6);
    EXPECT_EQ(list.Items(1)->Count, 6);
    EXPECT_EQ(list.Items(2)->Count, 6);
    EXPECT_TRUE(IsClosedXY(*list.Items(2)));
    EXPECT_EQ(list.Items(2)->At<TXY>(5).Y, 2);
}

}  // namespace
}  // namespace zv
