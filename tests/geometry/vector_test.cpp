#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "runtime/message.h"

namespace zv {
namespace {

TEST(VectorArithmetic, ComponentwiseOperations) {
    TXY s = AddXY({1, 2}, {3, -5});
    EXPECT_EQ(s.X, 4);
    EXPECT_EQ(s.Y, -3);
    TXYZ d = SubXYZ({1, 2, 3}, {4, 6, 8});
    EXPECT_EQ(d.X, -3);
    EXPECT_EQ(d.Y, -4);
    EXPECT_EQ(d.Z, -5);
    TXY scaled = ScaleXY({1.5, -2}, 2);
    EXPECT_EQ(scaled.X, 3);
    EXPECT_EQ(scaled.Y, -4);
    EXPECT_EQ(DotXYZ({1, 2, 3}, {4, -5, 6}), 12);
    EXPECT_EQ(DotXY({1, 2}, {3, 4}), 11);
}

TEST(VectorArithmetic, CrossProductsFollowTheirOrientation) {
    TXYZ z = CrossXYZ({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.X, 0);
    EXPECT_EQ(z.Y, 0);
    EXPECT_EQ(z.Z, 1);
    TXYZ c = CrossXYZ({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(c.X, -3);
    EXPECT_EQ(c.Y, 6);
    EXPECT_EQ(c.Z, -3);
    // Positive when b lies clockwise of a.
    EXPECT_EQ(CrossXY({1, 0}, {0, 1}), -1);
    EXPECT_EQ(CrossXY({0, 1}, {1, 0}), 1);
    TXY perp = PerpXY({1, 2});
    EXPECT_EQ(perp.X, 2);
    EXPECT_EQ(perp.Y, -1);
}

TEST(VectorArithmetic, ProductsAreSummedInExtendedPrecision) {
    // (2^27 + 1)^2 needs 55 bits; in double precision the sum would cancel to 0.
    double big = 134217729.0;
    EXPECT_EQ(DotXY({big, 1}, {big, -18014398777917440.0}), 1.0);
    EXPECT_EQ(CrossXY({18014398777917440.0, big}, {big, 1}), 1.0);
}

TEST(VectorArithmetic, LengthsAndDistances) {
    EXPECT_EQ(LengthXY({3, 4}), 5);
    EXPECT_EQ(LengthXYZ({3, 4, 12}), 13);
    EXPECT_EQ(DistXY({1, 1}, {4, 5}), 5);
    EXPECT_EQ(DistXYZ({1, 1, 1}, {4, 5, 13}), 13);
}

TEST(VectorNormalize, UnitLengthForOrdinaryVectors) {
    TXY u = NormalizeXY({3, 4});
    EXPECT_DOUBLE_EQ(u.X, 0.6);
    EXPECT_DOUBLE_EQ(u.Y, 0.8);
    TXYZ v = NormalizeXYZ({0, 0, -7});
    EXPECT_EQ(v.Z, -1);
    TXYZ w = {2, 0, 0};
    NormalizeXYZInPlace(w);
    EXPECT_EQ(w.X, 1);
    // Just above the tolerance the vector is still normalised.
    TXY small = NormalizeXY({2e-5, 0});
    EXPECT_DOUBLE_EQ(small.X, 1);
}

TEST(VectorNormalize, VanishingVectorsAreReturnedUnchanged) {
    TXY tiny = NormalizeXY({3e-6, -4e-6});
    EXPECT_EQ(tiny.X, 3e-6);
    EXPECT_EQ(tiny.Y, -4e-6);
    TXYZ zero = NormalizeXYZ({0, 0, 0});
    EXPECT_EQ(zero.X, 0);
    EXPECT_EQ(zero.Y, 0);
    EXPECT_EQ(zero.Z, 0);
    EXPECT_FALSE(std::isnan(zero.X));
}

TEST(VectorNormalize, SetLengthScalesTheUnitVector) {
    TXY v = SetLengthXY({0, -2}, 5);
    EXPECT_EQ(v.X, 0);
    EXPECT_EQ(v.Y, -5);
}

TEST(Tolerance, EqualTolIsStrict) {
    EXPECT_FALSE(EqualTol(1, 1.00002));
    EXPECT_TRUE(EqualTol(1, 1.000009));
    EXPECT_TRUE(EqualTol(1.000009, 1));
    EXPECT_FALSE(EqualTol(0, 0.000011));
    EXPECT_FALSE(EqualTol(0, std::nan("")));
}

TEST(Tolerance, LessTolNeedsMoreThanEps) {
    EXPECT_FALSE(LessTol(0.999995, 1));
    EXPECT_TRUE(LessTol(0.99998, 1));
    EXPECT_FALSE(LessTol(1, 0.99998));
    EXPECT_FALSE(LessTol(1, 1));
}

TEST(Tolerance, PointsCompareEveryComponent) {
    EXPECT_TRUE(EqualXY({1, 2}, {1.000005, 1.999995}));
    EXPECT_FALSE(EqualXY({1, 2}, {1, 2.00002}));
    EXPECT_FALSE(EqualXY({1, 2}, {1.00002, 2}));
    EXPECT_TRUE(EqualXYZ({1, 2, 3}, {1, 2, 3.000009}));
    EXPECT_FALSE(EqualXYZ({1, 2, 3}, {1, 2, 3.00002}));
    EXPECT_FALSE(EqualXYZ({1, 2, 3}, {1.00002, 2, 3}));
}

TEST(FloorTol, RoundsDownUnlessJustBelowAnInteger) {
    EXPECT_EQ(FloorTol(2.7), 2);
    EXPECT_EQ(FloorTol(2.99999995), 3);
    EXPECT_EQ(FloorTol(2.9999998), 2);
    EXPECT_EQ(FloorTol(-0.2), -1);
    EXPECT_EQ(FloorTol(3), 3);
    EXPECT_EQ(FloorTol(0), 0);
    EXPECT_EQ(FloorTol(-3), -3);
}

TEST(FloorTol, OutOfRangeInputIsClamped) {
    EXPECT_EQ(FloorTol(1e300), INT32_MAX);
    EXPECT_EQ(FloorTol(-1e300), INT32_MIN);
    EXPECT_EQ(FloorTol(std::numeric_limits<double>::infinity()), INT32_MAX);
    EXPECT_EQ(FloorTol(-std::numeric_limits<double>::infinity()), INT32_MIN);
    EXPECT_EQ(FloorTol(std::nan("")), 0);
    EXPECT_EQ(FloorTol(2147483646.2), 2147483646);
}

TEST(ModPos, MapsIntoZeroToNMinusOne) {
    EXPECT_EQ(ModPos(-1, 5), 4);
    EXPECT_EQ(ModPos(5, 5), 0);
    EXPECT_EQ(ModPos(12, 5), 2);
    EXPECT_EQ(ModPos(-10, 5), 0);
    EXPECT_EQ(ModPos(INT32_MIN, 7), static_cast<int32_t>(((int64_t(INT32_MIN) % 7) + 7) % 7));
    EXPECT_EQ(ModPos(INT32_MIN, INT32_MAX), INT32_MAX - 1);
}

TEST(ModPos, NegativeModulusCountsByItsMagnitude) {
    EXPECT_EQ(ModPos(-1, -5), 4);
    EXPECT_EQ(ModPos(7, -5), 2);
    EXPECT_EQ(ModPos(INT32_MIN, -1), 0);
    EXPECT_EQ(ModPos(-1, INT32_MIN), INT32_MAX);
}

TEST(ModPos, ZeroModulusBeepsAndReturnsTheValue) {
    long before = BeepCount();
    EXPECT_EQ(ModPos(7, 0), 7);
    EXPECT_EQ(BeepCount(), before + 1);
    EXPECT_EQ(ModPos(-3, 4), 1);
    EXPECT_EQ(BeepCount(), before + 1);
}

TEST(WrapPeriod, ReducesByWholePeriods) {
    EXPECT_NEAR(WrapPeriod(4.999995, 5), -0.000005, 1e-12);
    EXPECT_DOUBLE_EQ(WrapPeriod(-0.5, 5), 4.5);
    EXPECT_EQ(WrapPeriod(-0.000005, 5), -0.000005);
    EXPECT_DOUBLE_EQ(WrapPeriod(5.5, 5), 0.5);
    EXPECT_DOUBLE_EQ(WrapPeriod(12.25, 5), 2.25);
    EXPECT_DOUBLE_EQ(WrapPeriod(-7.5, 5), 2.5);
    EXPECT_EQ(WrapPeriod(0, 5), 0);
    EXPECT_EQ(WrapPeriod(4.9, 5), 4.9);
    // Just beyond the period the whole period is taken off.
    EXPECT_NEAR(WrapPeriod(5.00002, 5), 0.00002, 1e-12);
    EXPECT_NEAR(WrapPeriod(-0.00002, 5), 4.99998, 1e-12);
}

TEST(WrapPeriod, InvalidInputIsReturnedUnchanged) {
    double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(WrapPeriod(std::nan(""), 5)));
    EXPECT_EQ(WrapPeriod(inf, 5), inf);
    EXPECT_EQ(WrapPeriod(-inf, 5), -inf);
    EXPECT_EQ(WrapPeriod(7, 0), 7);
    EXPECT_EQ(WrapPeriod(7, -5), 7);
    EXPECT_EQ(WrapPeriod(7, inf), 7);
    EXPECT_EQ(WrapPeriod(7, std::nan("")), 7);
}

TEST(WrapPeriod, ExtremeRatiosFinishPromptly) {
    auto start = std::chrono::steady_clock::now();
    const double cases[][2] = {{1e300, 1e-300}, {-1e300, 1e-300}, {1e300, 3}, {-1e300, 7}, {3, 1e-9},
                               {0, 1e-300},     {1e-5, 1e-12},   {1e15, 0.1}};
    for (const auto& c : cases) {
        double r = WrapPeriod(c[0], c[1]);
        EXPECT_TRUE(std::isfinite(r)) << c[0] << " " << c[1];
        EXPECT_GE(r, -double(Eps) - 1e-12) << c[0] << " " << c[1];
        EXPECT_LE(r, c[1] - double(Eps) + 1e-12) << c[0] << " " << c[1];
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(WrapPeriod, RandomValuesLandInRangeByWholePeriods) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> periodDist(0.5, 50);
    std::uniform_real_distribution<double> factorDist(-300, 300);
    for (int i = 0; i < 5000; ++i) {
        double period = periodDist(rng);
        double value = factorDist(rng) * period;
        double r = WrapPeriod(value, period);
        ASSERT_GE(r, -double(Eps) - 1e-9) << value << " " << period;
        ASSERT_LE(r, period - double(Eps) + 1e-9) << value << " " << period;
        double periods = (value - r) / period;
        ASSERT_NEAR(periods, std::round(periods), 1e-6) << value << " " << period;
    }
}

}  // namespace
}  // namespace zv
