#include "geometry/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "owned_array.h"
#include "runtime/message.h"

namespace zv {
namespace {

void ExpectUnit(const TMatrix4& m, double tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) ASSERT_NEAR(m.M[r][c], r == c ? 1.0 : 0.0, tolerance) << r << "," << c;
}

TXYZ RandomUnit(std::mt19937& rng) {
    std::normal_distribution<double> gauss;
    TXYZ v;
    do v = {gauss(rng), gauss(rng), gauss(rng)};
    while (LengthXYZ(v) < 0.1);
    return NormalizeXYZ(v);
}

// Not symmetric, so that a transposition shows.
const TMatrix4 sample = {{{2, 0, 0, 1}, {1, 3, 0, 0}, {0, 5, 4, 0}, {7, 0, 0, 6}}};

TEST(Frame, WorldToFrameAndBackAreInverseAndMatchTheFrameMatrix) {
    ExpectNearXYZ(WorldToFrame({{1, 2, 3}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {6, 8, 10}), {6, 7, 5}, 0);
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> coord(-1000, 1000), angle(-3.1, 3.1);
    for (int i = 0; i < 2000; ++i) {
        TPlaneFrame f = MatrixToFrame(AxisRotationMatrix(RandomUnit(rng), angle(rng)));
        f.Origin = {coord(rng), coord(rng), coord(rng)};
        TXYZ p{coord(rng), coord(rng), coord(rng)};
        ExpectNearXYZ(FrameToWorld(f, WorldToFrame(f, p)), p, 1e-9);
        ExpectNearXYZ(TransformPoint(MatrixFromFrame(f), p), FrameToWorld(f, p), 1e-9);
    }
    OwnedArray<TXY> xy({{0, 0}, {1, -1}, {2, -2}, {3, -3}, {4, -4}, {5, -5}, {6, -6}});
    TPointArray result{};  // a zeroed record becomes TXYZ
    FrameToWorldArray({{0, 0, 5}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}}, xy.a, result);
    ASSERT_EQ(result.Count, 7);
    ExpectNearXYZ(result.At<TXYZ>(6), {6, 0, -1}, 0);
    ArrayClear(result);
}

TEST(Matrix, RowVectorConventions) {
    const double quarter = std::numbers::pi / 2;
    struct Case { TMatrix4 m; TXYZ p, expected; } cases[] = {
        {AxisRotationMatrix({0, 0, 1}, quarter), {1, 0, 0}, {0, -1, 0}},
        {AxisRotationMatrix({1, 0, 0}, quarter), {0, 1, 0}, {0, 0, -1}},
        {AxisRotationMatrix({0, 1, 0}, quarter), {0, 0, 1}, {-1, 0, 0}},
        {LineRotationMatrix({1, 1, 0}, {0, 0, 5}, std::numbers::pi), {2, 1, 0}, {0, 1, 0}},
        {LineRotationMatrix({1, 1, 0}, {0, 0, 5}, std::numbers::pi), {1, 1, 7}, {1, 1, 7}},
        {MatMul(TranslationMatrix({1, 0, 0}), ScaleMatrix({2, 2, 2})), {0, 0, 0}, {2, 0, 0}},  // translate, then scale
        {MatMul(ScaleMatrix({2, 2, 2}), TranslationMatrix({1, 0, 0})), {0, 0, 0}, {1, 0, 0}},
    };
    for (const Case& c : cases) ExpectNearXYZ(TransformPoint(c.m, c.p), c.expected, 1e-12);
    EXPECT_EQ(MatMul(sample, sample).M[3][0], 7 * 2 + 6 * 7);
    EXPECT_EQ(MatMul(sample, sample).M[0][3], 2 * 1 + 1 * 6);
}

TEST(Matrix, TransformPointDividesByTheMatrixScaleUnlessItIsZero) {
    TMatrix4 m = TranslationMatrix({2, 4, 6});
    m.M[3][3] = 2;
    m.M[0][3] = 1;  // changes the computed w, not the divisor
    ExpectNearXYZ(TransformPoint(m, {2, 0, 0}), {2, 2, 3}, 0);
    double w = 0;
    ExpectNearXYZ(TransformHomogeneous(m, {2, 0, 0}, w), {4, 4, 6}, 0);
    EXPECT_EQ(w, 4);
    m.M[3][3] = 0;
    ExpectNearXYZ(TransformPoint(m, {2, 0, 0}), {4, 4, 6}, 0);
    TXYZ p{1, 2, 3};
    TransformPointAffine(m, p);  // affine: the scale is ignored
    ExpectNearXYZ(p, {3, 6, 9}, 0);
}

TEST(InvertMatrix, RandomRigidMotionsWithScalingAndInPlace) {
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
    TMatrix4 m = sample;
    InvertMatrix(m, m);
    ExpectUnit(MatMul(sample, m), 1e-12);
    EXPECT_EQ(BeepCount(), before);
}

TEST(InvertMatrix, SingularMatricesGiveTheUnitMatrixSilently) {
    long before = BeepCount();
    TMatrix4 undefined = UnitMatrix;
    undefined.M[1][1] = std::nan("");
    for (const TMatrix4& m : {TMatrix4{}, ScaleMatrix({1e-3, 1e-3, 0.5}), undefined}) {  // det 0, 5e-7, NaN
        TMatrix4 r = sample;
        InvertMatrix(m, r);
        ExpectUnit(r, 0);
    }
    EXPECT_EQ(BeepCount(), before);
    TMatrix4 r;
    InvertMatrix(ScaleMatrix({0.02, 0.02, 0.02}), r);  // det 8e-6: above the threshold
    EXPECT_NEAR(r.M[0][0], 50, 1e-9);
}

TEST(InvertMatrix, FailedCheckBeepsAndKeepsTheResult) {
    // A huge translation: the adjugate loses the cancellation of its terms.
    TMatrix4 m = MatMul(AxisRotationMatrix(NormalizeXYZ({1, 2, 3}), 0.7), TranslationMatrix({1e30, -3e29, 7e29}));
    long before = BeepCount();
    TMatrix4 r;
    InvertMatrix(m, r);
    EXPECT_EQ(BeepCount(), before + 1);
    EXPECT_NEAR(r.M[0][1], m.M[1][0], 1e-12);  // the rotation part is still inverted (transposed)
}

}  // namespace
}  // namespace zv
