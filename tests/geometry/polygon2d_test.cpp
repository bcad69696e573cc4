#include "geometry/polygon2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "owned_array.h"

namespace zv {
namespace {

using Outline = OwnedArray<TXY>;

TEST(Rect2D, ExtendKeepsAMarginAndDisjointComparesExactly) {
    TRect2D r{1e30, 1e30, -1e30, -1e30};
    ExtendRect(r, {2, 3});
    ExtendRect(r, {2, 10});
    EXPECT_TRUE(r.X1 == 1 && r.Y1 == 2 && r.X2 == 3 && r.Y2 == 11);
    const TRect2D unit{0, 0, 1, 1};
    struct Case { TRect2D other; bool disjoint; } cases[] = {
        {{1, 0, 2, 1}, false}, {{0, 1, 1, 2}, false}, {{-5, -5, 5, 5}, false}, {{1 + 1e-12, 0, 2, 1}, true},
        {{0, 1 + 1e-12, 1, 2}, true}, {{-2, 0, -1e-12, 1}, true}, {{0, -2, 1, -1e-12}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RectsDisjoint(unit, c.other), c.disjoint) << c.other.X1 << " " << c.other.Y1;
        EXPECT_EQ(RectsDisjoint(c.other, unit), c.disjoint) << c.other.X1 << " " << c.other.Y1;
    }
}

TEST(SignedArea2, ExactForSmallOutlinesFarFromTheOrigin) {
    // Whole-number coordinates are exact up to 2^53; their products near 1e24 are not.
    for (double o : {0.0, 1e6, 1e12, -1e12, 1e15}) {
        Outline square{{{o, o}, {o, o + 1}, {o + 1, o + 1}, {o + 1, o}}};  // clockwise
        EXPECT_EQ(SignedArea2(square.a), 2.0) << o;
    }
    EXPECT_EQ(SignedArea2(Outline{{{5, 7}}}.a), 0);
    EXPECT_EQ(SignedArea2(Outline{{{0, 0}, {1, 3}, {4, 1}}}.a), 11.0);  // reversed: the sign flips
    EXPECT_EQ(SignedArea2(Outline{{{4, 1}, {1, 3}, {0, 0}}}.a), -11.0);
}

TEST(PointInPolygon, EdgesCountOnlyOnTheLowSideAndVerticesOnce) {
    Outline square{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    Outline step{{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}};
    Outline diamond{{{0, -1}, {1, 0}, {0, 1}, {-1, 0}}};
    struct Case { const Outline* o; TXY p; bool inside; } cases[] = {
        {&square, {0.5, 0}, true},  {&square, {0.5, 1}, false}, {&square, {0, 0.5}, true},
        {&square, {1, 0.5}, false}, {&diamond, {0, 0}, true},   {&diamond, {-2, 0}, false},
        {&step, {0.5, 1}, true},    {&step, {1.5, 1.5}, false}, {&step, {3, 1}, true}, {&step, {-1, 1}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(PointInPolygon(c.p, c.o->a), c.inside) << c.p.X << "," << c.p.Y;
    EXPECT_FALSE(PointInPolygon({0, 0}, Outline{}.a));
}

// Oracle: the parity of the winding number, summed from the angles the edges subtend.
TEST(PointInPolygon, AgreesWithTheWindingParityAwayFromTheEdges) {
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> coord(-10, 10);
    int inside = 0, checked = 0;
    for (int i = 0; i < 300; ++i) {
        std::vector<TXY> points(3 + rng() % 7);
        for (TXY& p : points) p = {coord(rng), coord(rng)};
        Outline o{points};
        const int n = static_cast<int>(points.size());
        for (int j = 0; j < 50; ++j) {
            TXY p{coord(rng), coord(rng)};
            double sum = 0, nearest = 1e30;
            for (int k = 0; k < n; ++k) {
                const TXY& q = points[(k + n - 1) % n];
                const TXY& r = points[k];
                double d = std::atan2(r.Y - p.Y, r.X - p.X) - std::atan2(q.Y - p.Y, q.X - p.X);
                sum += std::remainder(d, 2 * std::numbers::pi);
                double dx = r.X - q.X, dy = r.Y - q.Y;
                double t = std::fmax(0, std::fmin(1, ((p.X - q.X) * dx + (p.Y - q.Y) * dy) / (dx * dx + dy * dy)));
                nearest = std::fmin(nearest, std::hypot(p.X - q.X - t * dx, p.Y - q.Y - t * dy));
            }
            if (nearest < 1e-6) continue;
            bool expected = std::lround(sum / (2 * std::numbers::pi)) % 2 != 0;
            ASSERT_EQ(PointInPolygon(p, o.a), expected) << "polygon " << i << " point " << j;
            inside += expected;
            ++checked;
        }
    }
    EXPECT_GT(inside, checked / 10);
}

TEST(ClosedOutlines, CloseAppendsTheFirstPointOnceWithinTheTolerance) {
    EXPECT_TRUE(IsClosedXY(Outline{{{0, 0}, {1, 0}, {1, 1}, {0.000005, -0.000005}}}.a));
    EXPECT_FALSE(IsClosedXY(Outline{{{0, 0}, {1, 0}, {1, 1}, {0.00002, 0}}}.a));
    Outline o{{{1, 2}, {3, 2}, {3, 5}}};  // Capacity equals Count: closing must grow the block
    CloseXY(o.a);
    CloseXY(o.a);
    ASSERT_EQ(o.a.Count, 4);
    EXPECT_EQ(o.a.At<TXY>(3).Y, 2);
    TlistOFXYArray list;
    for (TPointArray* a : {list.AddNew(), list.AddNew()})
        for (TXY p : {TXY{1, 2}, TXY{3, 2}, TXY{3, 5}}) ArrayAdd(*a, &p);
    CloseXYList(list);
    EXPECT_EQ(list.Items(0)->Count + list.Items(1)->Count, 8);
}

}  // namespace
}  // namespace zv
