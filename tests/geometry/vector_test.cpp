#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "runtime/message.h"

namespace zv {
namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Vector, ProductsFollowTheirOrientationInExtendedPrecision) {
    TXYZ c = CrossXYZ({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(c.X, -3);
    EXPECT_EQ(c.Y, 6);
    EXPECT_EQ(c.Z, -3);
    EXPECT_EQ(CrossXY({0, 1}, {1, 0}), 1);  // positive when b lies clockwise of a
    EXPECT_EQ(DotXYZ({1, 2, 3}, {4, -5, 6}), 12);
    // (2^27 + 1)^2 needs 55 bits; in double precision the sums would cancel to 0.
    double big = 134217729.0;
    EXPECT_EQ(DotXY({big, 1}, {big, -18014398777917440.0}), 1.0);
    EXPECT_EQ(CrossXY({18014398777917440.0, big}, {big, 1}), 1.0);
    EXPECT_EQ(DistXYZ({1, 1, 1}, {4, 5, 13}), 13);
    EXPECT_DOUBLE_EQ(NormalizeXY({3, 4}).Y, 0.8);
    EXPECT_DOUBLE_EQ(NormalizeXY({2e-5, 0}).X, 1);
    EXPECT_EQ(NormalizeXY({3e-6, -4e-6}).Y, -4e-6);  // vanishing: unchanged
    EXPECT_EQ(SetLengthXY({0, -2}, 5).Y, -5);
}

TEST(Tolerance, EqualAndLessNeedMoreThanEps) {
    struct Case { double a, b; bool equal, less; } cases[] = {
        {1, 1.000009, true, false}, {1.000009, 1, true, false}, {1, 1.00002, false, true},
        {1, 0.99998, false, false}, {0.999995, 1, true, false}, {0, nan, false, false}, {1, 1, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualTol(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(LessTol(c.a, c.b), c.less) << c.a << " " << c.b;
    }
    EXPECT_TRUE(EqualXYZ({1, 2, 3}, {1.000005, 1.999995, 3.000009}));
    EXPECT_FALSE(EqualXYZ({1, 2, 3}, {1, 2, 3.00002}));
    EXPECT_FALSE(EqualXY({1, 2}, {1.00002, 2}));
}

TEST(FloorTol, RoundsDownUnlessJustBelowAnIntegerAndClamps) {
    struct Case { double x; int32_t floor; } cases[] = {
        {2.7, 2}, {2.99999995, 3}, {2.9999998, 2}, {-0.2, -1}, {3, 3}, {0, 0}, {-3, -3},
        {1e300, INT32_MAX}, {-inf, INT32_MIN}, {nan, 0}, {2147483646.2, 2147483646},
    };
    for (const Case& c : cases) EXPECT_EQ(FloorTol(c.x), c.floor) << c.x;
}

TEST(ModPos, MapsIntoZeroToTheModulusMagnitude) {
    struct Case { int32_t a, n, r; } cases[] = {
        {-1, 5, 4}, {5, 5, 0}, {12, 5, 2}, {-10, 5, 0}, {INT32_MIN, INT32_MAX, INT32_MAX - 1},
        {-1, -5, 4}, {7, -5, 2}, {INT32_MIN, -1, 0}, {-1, INT32_MIN, INT32_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(ModPos(c.a, c.n), c.r) << c.a << " mod " << c.n;
    long before = BeepCount();
    EXPECT_EQ(ModPos(7, 0), 7);
    EXPECT_EQ(BeepCount(), before + 1);
}

TEST(WrapPeriod, TakesOffWholePeriodsOrLeavesInvalidInput) {
    struct Case { double value, period, wrapped; } cases[] = {
        {4.999995, 5, -0.000005}, {-0.5, 5, 4.5}, {-0.000005, 5, -0.000005}, {12.25, 5, 2.25},
        {-7.5, 5, 2.5}, {4.9, 5, 4.9}, {5.00002, 5, 0.00002}, {-0.00002, 5, 4.99998},
        {7, 0, 7}, {7, -5, 7}, {7, inf, 7}, {7, nan, 7},
    };
    for (const Case& c : cases) EXPECT_NEAR(WrapPeriod(c.value, c.period), c.wrapped, 1e-12) << c.value;
    EXPECT_TRUE(std::isnan(WrapPeriod(nan, 5)));
    EXPECT_EQ(WrapPeriod(-inf, 5), -inf);
    // Extreme ratios, where taking off one period at a time would not finish.
    const double extremes[][2] = {{1e300, 1e-300}, {-1e300, 1e-300}, {-1e300, 7}, {3, 1e-9}, {1e15, 0.1}};
    for (const auto& c : extremes) {
        double r = WrapPeriod(c[0], c[1]);
        EXPECT_TRUE(r >= -double(Eps) - 1e-12 && r <= c[1] - double(Eps) + 1e-12) << c[0] << " " << c[1];
    }
}

}  // namespace
}  // namespace zv
