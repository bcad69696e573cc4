#include "geometry/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "runtime/message.h"

namespace zv {
namespace {

void ExpectNearXYZ(const TXYZ& actual, const TXYZ& expected, double tolerance) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

void ExpectUnit(const TMatrix4& m, double tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.M[r][c], r == c ? 1.0 : 0.0, tolerance) << r << "," << c;
}

TXYZ RandomUnit(std::mt19937& rng) {
    std::normal_distribution<double> gauss;
    TXYZ v;
    do v = {gauss(rng), gauss(rng), gauss(rng)};
    while (LengthXYZ(v) < 0.1);
    return NormalizeXYZ(v);
}

// An orthonormal frame from a random rotation and a random origin.
TPlaneFrame RandomFrame(std::mt19937& rng) {
    std::uniform_real_distribution<double> coord(-100, 100), angle(-3.1, 3.1);
    TPlaneFrame f = MatrixToFrame(AxisRotationMatrix(RandomUnit(rng), angle(rng)));
    f.Origin = {coord(rng), coord(rng), coord(rng)};
    return f;
}

// A 3x3 block whose determinant is (up to sign) the product of the diagonal.
TMatrix4 Sample() {
    return {{{2, 0, 0, 1}, {1, 3, 0, 0}, {0, 5, 4, 0}, {7, 0, 0, 6}}};
}

TEST(Frame, WorldToFrameProjectsOnTheAxes) {
    TPlaneFrame f{{1, 2, 3}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    ExpectNearXYZ(WorldToFrame(f, {6, 8, 10}), {6, 7, 5}, 0);
    ExpectNearXYZ(FrameToWorld(f, {6, 7, 5}), {6, 8, 10}, 0);
}

TEST(Frame, WorldToFrameAndFrameToWorldAreInverse) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> coord(-1000, 1000);
    for (int i = 0; i < 2000; ++i) {
        TPlaneFrame f = RandomFrame(rng);
        TXYZ p{coord(rng), coord(rng), coord(rng)};
        ExpectNearXYZ(FrameToWorld(f, WorldToFrame(f, p)), p, 1e-9);
        ExpectNearXYZ(WorldToFrame(f, FrameToWorld(f, p)), p, 1e-9);
        // The frame's own matrix maps frame coordinates to world coordinates.
        ExpectNearXYZ(TransformPoint(MatrixFromFrame(f), p), FrameToWorld(f, p), 1e-9);
    }
}

TEST(Frame, FrameToWorldArrayFillsTheResult) {
    TPlaneFrame f{{0, 0, 5}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    TPointArray xy;
    ArrayInit(xy, sizeof(TXY), 0);
    for (int i = 0; i < 7; ++i) {
        TXY p{double(i), double(-i)};
        ArrayAdd(xy, &p);
    }
    TPointArray result;
    ArrayInit(result, sizeof(TXYZ), 2);
    FrameToWorldArray(f, xy, result);
    ASSERT_EQ(result.Count, 7);
    for (int i = 0; i < 7; ++i) ExpectNearXYZ(result.At<TXYZ>(i), {double(i), 0, 5.0 - i}, 0);

    // A zeroed record (no element size yet) becomes an array of TXYZ.
    TPointArray fresh{};
    FrameToWorldArray(f, xy, fresh);
    ASSERT_EQ(fresh.ElemSize, int32_t(sizeof(TXYZ)));
    ASSERT_EQ(fresh.Count, 7);
    ExpectNearXYZ(fresh.At<TXYZ>(6), {6, 0, -1}, 0);

    TPointArray none;
    ArrayInit(none, sizeof(TXY), 0);
    FrameToWorldArray(f, none, result);
    EXPECT_EQ(result.Count, 0);

    ArrayClear(none);
    ArrayClear(fresh);
    ArrayClear(result);
    ArrayClear(xy);
}

TEST(Matrix, UnitMatrixAndBuilders) {
    ExpectUnit(UnitMatrix, 0);
    TMatrix4 t = TranslationMatrix({1, 2, 3});
    EXPECT_EQ(t.M[3][0], 1);
    EXPECT_EQ(t.M[3][1], 2);
    EXPECT_EQ(t.M[3][2], 3);
    EXPECT_EQ(t.M[0][3], 0);
    EXPECT_EQ(t.M[3][3], 1);
    ExpectNearXYZ(TransformPoint(t, {1, 1, 1}), {2, 3, 4}, 0);
    TMatrix4 s = ScaleMatrix({2, 3, 4});
    ExpectNearXYZ(TransformPoint(s, {1, 1, 1}), {2, 3, 4}, 0);
    EXPECT_EQ(s.M[3][3], 1);
}

TEST(Matrix, EqualMatrixUsesTheTolerance) {
    TMatrix4 m = UnitMatrix;
    m.M[2][3] = 5e-6;
    EXPECT_TRUE(EqualMatrix(m, UnitMatrix));
    m.M[2][3] = 2e-5;
    EXPECT_FALSE(EqualMatrix(m, UnitMatrix));
    m = UnitMatrix;
    m.M[3][3] = 1.00002;
    EXPECT_FALSE(EqualMatrix(m, UnitMatrix));
}

TEST(Matrix, AxisRotationActsOnRowVectors) {
    const double quarter = std::numbers::pi / 2;
    TMatrix4 rz = AxisRotationMatrix({0, 0, 1}, quarter);
    ExpectNearXYZ(TransformPoint(rz, {1, 0, 0}), {0, -1, 0}, 1e-15);
    ExpectNearXYZ(TransformPoint(rz, {0, 1, 0}), {1, 0, 0}, 1e-15);
    ExpectNearXYZ(TransformPoint(rz, {0, 0, 3}), {0, 0, 3}, 1e-15);
    TMatrix4 rx = AxisRotationMatrix({1, 0, 0}, quarter);
    ExpectNearXYZ(TransformPoint(rx, {0, 1, 0}), {0, 0, -1}, 1e-15);
    TMatrix4 ry = AxisRotationMatrix({0, 1, 0}, quarter);
    ExpectNearXYZ(TransformPoint(ry, {0, 0, 1}), {-1, 0, 0}, 1e-15);
}

TEST(Matrix, LineRotationKeepsTheLineFixed) {
    TMatrix4 m = LineRotationMatrix({1, 1, 0}, {0, 0, 5}, std::numbers::pi);
    ExpectNearXYZ(TransformPoint(m, {1, 1, 7}), {1, 1, 7}, 1e-12);
    ExpectNearXYZ(TransformPoint(m, {2, 1, 0}), {0, 1, 0}, 1e-12);
    ExpectNearXYZ(TransformPoint(m, {1, 3, 2}), {1, -1, 2}, 1e-12);
}

TEST(Matrix, FrameRoundTrip) {
    TPlaneFrame f{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    TMatrix4 m = MatrixFromFrame(f);
    EXPECT_EQ(m.M[0][0], 4);
    EXPECT_EQ(m.M[1][2], 9);
    EXPECT_EQ(m.M[2][1], 11);
    EXPECT_EQ(m.M[3][0], 1);
    EXPECT_EQ(m.M[0][3], 0);
    EXPECT_EQ(m.M[3][3], 1);
    TPlaneFrame back = MatrixToFrame(m);
    ExpectNearXYZ(back.Origin, f.Origin, 0);
    ExpectNearXYZ(back.XAxis, f.XAxis, 0);
    ExpectNearXYZ(back.YAxis, f.YAxis, 0);
    ExpectNearXYZ(back.Normal, f.Normal, 0);
}

TEST(Matrix, TransformPointDividesByTheMatrixScale) {
    TMatrix4 m = TranslationMatrix({2, 4, 6});
    m.M[3][3] = 2;
    m.M[0][3] = 1;  // changes the computed w, not the divisor
    ExpectNearXYZ(TransformPoint(m, {2, 0, 0}), {2, 2, 3}, 0);
    TXYZ p{2, 0, 0};
    TransformPointAffine(m, p);
    ExpectNearXYZ(p, {4, 4, 6}, 0);
    double w = 0;
    ExpectNearXYZ(TransformHomogeneous(m, {2, 0, 0}, w), {4, 4, 6}, 0);
    EXPECT_EQ(w, 4);
    // Without a divisor the point stays undivided instead of becoming infinite.
    m.M[3][3] = 0;
    ExpectNearXYZ(TransformPoint(m, {2, 0, 0}), {4, 4, 6}, 0);
}

TEST(Matrix, TransformArrayAndList) {
    TMatrix4 m = TranslationMatrix({1, 0, -1});
    m.M[3][3] = 10;  // ignored by the affine transform
    TlistOFxyzArray list;
    for (int a = 0; a < 2; ++a) {
        TPointArray* array = list.AddNew();
        for (int i = 0; i < 6; ++i) {
            TXYZ p{double(i), double(a), 0};
            ArrayAdd(*array, &p);
        }
    }
    TransformList(m, list);
    for (int a = 0; a < 2; ++a)
        for (int i = 0; i < 6; ++i) ExpectNearXYZ(list.Items(a)->At<TXYZ>(i), {i + 1.0, double(a), -1}, 0);
}

TEST(Matrix, MatMulComposesInRowVectorOrder) {
    TMatrix4 t = TranslationMatrix({1, 0, 0});
    TMatrix4 s = ScaleMatrix({2, 2, 2});
    // Row vectors: p * (t * s) translates first, then scales.
    ExpectNearXYZ(TransformPoint(MatMul(t, s), {0, 0, 0}), {2, 0, 0}, 0);
    ExpectNearXYZ(TransformPoint(MatMul(s, t), {0, 0, 0}), {1, 0, 0}, 0);
    TMatrix4 a = Sample();
    TMatrix4 p = MatMul(a, UnitMatrix);
    EXPECT_TRUE(EqualMatrix(p, a));
    EXPECT_EQ(MatMul(a, a).M[0][0], 2 * 2 + 1 * 7);
    EXPECT_EQ(MatMul(a, a).M[3][0], 7 * 2 + 6 * 7);
}

TEST(Matrix, Determinants) {
    TMatrix4 a = Sample();
    EXPECT_EQ(Det3(a), 24);
    EXPECT_EQ(Det3(ScaleMatrix({2, 3, 4})), 24);
    // Remove row 0 and column 3: {{1,3,0},{0,5,4},{7,0,0}}.
    EXPECT_EQ(Minor4(a, 0, 3), 1 * (0 - 0) - 3 * (0 - 28) + 0);
    // Remove row 3 and column 0: {{0,0,1},{3,0,0},{5,4,0}}.
    EXPECT_EQ(Minor4(a, 3, 0), 12);
    EXPECT_EQ(Det4(a), 2 * Minor4(a, 0, 0) - 1 * Minor4(a, 0, 3));
    EXPECT_EQ(Det4(a), 2 * 72 - 84);
    TMatrix4 swap = {{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    EXPECT_EQ(Det4(swap), -1);
    EXPECT_EQ(Det4(ScaleMatrix({2, 3, 4})), 24);
}

TEST(InvertMatrix, TranslationInvertsToTheOppositeTranslation) {
    long before = BeepCount();
    TMatrix4 r;
    InvertMatrix(TranslationMatrix({1, 2, 3}), r);
    EXPECT_TRUE(EqualMatrix(r, TranslationMatrix({-1, -2, -3})));
    InvertMatrix(Sample(), r);
    ExpectUnit(MatMul(Sample(), r), 1e-12);
    ExpectUnit(MatMul(r, Sample()), 1e-12);
    EXPECT_EQ(BeepCount(), before);
}

TEST(InvertMatrix, InPlaceInversion) {
    TMatrix4 m = Sample();
    InvertMatrix(m, m);
    ExpectUnit(MatMul(Sample(), m), 1e-12);
}

TEST(InvertMatrix, SingularMatricesGiveTheUnitMatrixSilently) {
    long before = BeepCount();
    TMatrix4 zero{};
    TMatrix4 r = Sample();
    InvertMatrix(zero, r);
    ExpectUnit(r, 0);
    // Determinant 5e-7, below the threshold.
    InvertMatrix(ScaleMatrix({1e-3, 1e-3, 0.5}), r);
    ExpectUnit(r, 0);
    TMatrix4 undefined = UnitMatrix;
    undefined.M[1][1] = std::nan("");
    InvertMatrix(undefined, r);
    ExpectUnit(r, 0);
    EXPECT_EQ(BeepCount(), before);
    // Determinant 8e-6, above the threshold.
    InvertMatrix(ScaleMatrix({0.02, 0.02, 0.02}), r);
    EXPECT_NEAR(r.M[0][0], 50, 1e-9);
}

TEST(InvertMatrix, InverseOfRandomRigidMotionsWithScaling) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> coord(-50, 50), scale(0.2, 5), angle(-3.1, 3.1);
    long before = BeepCount();
    for (int i = 0; i < 2000; ++i) {
        TMatrix4 m = MatMul(ScaleMatrix({scale(rng), scale(rng), scale(rng)}),
                            LineRotationMatrix({coord(rng), coord(rng), coord(rng)}, RandomUnit(rng), angle(rng)));
        m = MatMul(m, TranslationMatrix({coord(rng), coord(rng), coord(rng)}));
        TMatrix4 r;
        InvertMatrix(m, r);
        ExpectUnit(MatMul(m, r), 1e-9);
        ExpectUnit(MatMul(r, m), 1e-9);
    }
    EXPECT_EQ(BeepCount(), before);
}

TEST(InvertMatrix, FailedCheckBeepsAndKeepsTheResult) {
    // A huge translation: the adjugate loses the cancellation of its terms.
    TMatrix4 m = MatMul(AxisRotationMatrix(NormalizeXYZ({1, 2, 3}), 0.7), TranslationMatrix({1e30, -3e29, 7e29}));
    long before = BeepCount();
    TMatrix4 r;
    InvertMatrix(m, r);
    EXPECT_EQ(BeepCount(), before + 1);
    EXPECT_FALSE(EqualMatrix(r, UnitMatrix));
    EXPECT_NEAR(r.M[0][0], m.M[0][0], 1e-12);  // the rotation part is still inverted (transposed)
    EXPECT_NEAR(r.M[0][1], m.M[1][0], 1e-12);
}

}  // namespace
}  // namespace zv
