#include "geometry/space.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <string>

#include "runtime/exception.h"

namespace zv {
namespace {

struct Polygon {
    TPointArray a;
    Polygon(std::initializer_list<TXYZ> points) {
        ArrayInit(a, sizeof(TXYZ), 0);
        for (const TXYZ& p : points) ArrayAdd(a, &p);
    }
    ~Polygon() { ArrayClear(a); }
};

void ExpectNearXYZ(const TXYZ& actual, const TXYZ& expected, double tolerance) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

std::string FrameError(const TPointArray& points) {
    try {
        PolygonFrame(points);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no exception";
}

TEST(Box3D, EmptyBoxThenExtendInFrame) {
    TBox3D box;
    EmptyBox(box);
    EXPECT_EQ(box.Min.X, 1.7e308);
    EXPECT_EQ(box.Max.Z, -1.7e308);
    TPlaneFrame world{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Polygon points{{1, 5, -2}, {3, -1, 4}, {2, 2, 2}};
    ExtendBoxInFrame(world, points.a, box);
    ExpectNearXYZ(box.Min, {1, -1, -2}, 0);
    ExpectNearXYZ(box.Max, {3, 5, 4}, 0);
    // A shifted and turned frame: X along world Y, Y along world Z, normal along world X.
    TPlaneFrame turned{{1, 1, 1}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    EmptyBox(box);
    ExtendBoxInFrame(turned, points.a, box);
    ExpectNearXYZ(box.Min, {-2, -3, 0}, 0);
    ExpectNearXYZ(box.Max, {4, 3, 2}, 0);
    // A single point gives a box without extent.
    Polygon single{{7, 8, 9}};
    EmptyBox(box);
    ExtendBoxInFrame(world, single.a, box);
    ExpectNearXYZ(box.Min, {7, 8, 9}, 0);
    ExpectNearXYZ(box.Max, {7, 8, 9}, 0);
}

TEST(Box3D, ExtendInFrameList) {
    TlistOFxyzArray contours;
    TXYZ p1{1, 2, 3}, p2{-4, 0, 10}, p3{0, 9, -1};
    ArrayAdd(*contours.AddNew(), &p1);
    TPointArray* second = contours.AddNew();
    ArrayAdd(*second, &p2);
    ArrayAdd(*second, &p3);
    TBox3D box;
    EmptyBox(box);
    ExtendBoxInFrameList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, contours, box);
    ExpectNearXYZ(box.Min, {-4, 0, -1}, 0);
    ExpectNearXYZ(box.Max, {1, 9, 10}, 0);
}

TEST(RectI, EmptyThenExtend) {
    TRectI r;
    EmptyRectI(r);
    EXPECT_EQ(r.X1, 32000);
    EXPECT_EQ(r.Y1, 32000);
    EXPECT_EQ(r.X2, -32000);
    EXPECT_EQ(r.Y2, -32000);
    TPointArray points;
    ArrayInit(points, sizeof(TXYi), 0);
    TXYi p{5, -3};
    ArrayAdd(points, &p);
    ExtendRectI(points, r);
    // The first point sets both sides.
    EXPECT_EQ(r.X1, 5);
    EXPECT_EQ(r.X2, 5);
    EXPECT_EQ(r.Y1, -3);
    EXPECT_EQ(r.Y2, -3);
    TXYi q{-2, 8};
    ArrayAdd(points, &q);
    ExtendRectI(points, r);
    EXPECT_EQ(r.X1, -2);
    EXPECT_EQ(r.Y1, -3);
    EXPECT_EQ(r.X2, 5);
    EXPECT_EQ(r.Y2, 8);
    ArrayClear(points);
}

TEST(RectI, ExtendList) {
    TlistOFXYiArray list;
    TXYi a{1, 1}, b{-40000, 3}, c{2, 40000};
    ArrayAdd(*list.AddNew(), &a);
    ArrayAdd(*list.AddNew(), &b);
    ArrayAdd(*list.Items(1), &c);
    TRectI r;
    EmptyRectI(r);
    ExtendRectIList(list, r);
    EXPECT_EQ(r.X1, -40000);
    EXPECT_EQ(r.Y1, 1);
    EXPECT_EQ(r.X2, 2);
    EXPECT_EQ(r.Y2, 40000);
}

TEST(LinePlaneIntersection, DistanceAlongTheLine) {
    TXYZ point;
    double t = -1;
    ASSERT_TRUE(LinePlaneIntersection({0, 0, 5}, {0, 0, -2}, {7, 7, 1}, {0, 0, 3}, point, t));
    EXPECT_DOUBLE_EQ(t, 4);
    ExpectNearXYZ(point, {0, 0, 1}, 1e-15);
    // Behind the start point.
    ASSERT_TRUE(LinePlaneIntersection({1, 0, 0}, {3, 0, 4}, {0, 0, 8}, {0, 0, 1}, point, t));
    EXPECT_DOUBLE_EQ(t, 10);
    ExpectNearXYZ(point, {7, 0, 8}, 1e-14);
    ASSERT_TRUE(LinePlaneIntersection({1, 0, 0}, {-3, 0, -4}, {0, 0, 8}, {0, 0, 1}, point, t));
    EXPECT_DOUBLE_EQ(t, -10);
}

TEST(LinePlaneIntersection, ParallelLineLeavesThePoint) {
    TXYZ point{9, 9, 9};
    double t = 9;
    EXPECT_FALSE(LinePlaneIntersection({1, 2, 3}, {1, 1, 0}, {0, 0, 0}, {0, 0, 1}, point, t));
    ExpectNearXYZ(point, {1, 2, 3}, 0);
    // Just above the threshold on the denominator.
    EXPECT_TRUE(LinePlaneIntersection({0, 0, 1}, {1, 0, 2e-7}, {0, 0, 0}, {0, 0, 1}, point, t));
    EXPECT_FALSE(LinePlaneIntersection({0, 0, 1}, {1, 0, 5e-8}, {0, 0, 0}, {0, 0, 1}, point, t));
    EXPECT_FALSE(LinePlaneIntersection({0, 0, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, point, t));
}

TEST(PolygonNormal, NewellSumPointsAgainstCounterClockwiseOrder) {
    Polygon square{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    ExpectNearXYZ(PolygonNormal(square.a), {0, 0, -2}, 0);
    Polygon reversed{{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}};
    ExpectNearXYZ(PolygonNormal(reversed.a), {0, 0, 2}, 0);
    Polygon wall{{0, 5, 0}, {0, 5, 3}, {2, 5, 3}, {2, 5, 0}};
    TXYZ n = PolygonNormal(wall.a);
    EXPECT_EQ(n.X, 0);
    EXPECT_EQ(n.Z, 0);
    EXPECT_NE(n.Y, 0);
    Polygon empty{};
    ExpectNearXYZ(PolygonNormal(empty.a), {0, 0, 0}, 0);
}

TEST(MakeFrame, AuxiliaryAxisDependsOnTheNormal) {
    TPlaneFrame f = MakeFrame({1, 2, 3}, {0, 0, 1});
    ExpectNearXYZ(f.Origin, {1, 2, 3}, 0);
    ExpectNearXYZ(f.XAxis, {1, 0, 0}, 0);
    ExpectNearXYZ(f.YAxis, {0, -1, 0}, 0);
    ExpectNearXYZ(f.Normal, {0, 0, 1}, 0);
    f = MakeFrame({0, 0, 0}, {5, 0, 0});
    ExpectNearXYZ(f.XAxis, {0, 1, 0}, 0);
    ExpectNearXYZ(f.YAxis, {0, 0, -1}, 0);
    ExpectNearXYZ(f.Normal, {1, 0, 0}, 0);
    // Slightly tilted normals: (0, 1, 0) is used below 0.001, (0, 0, 1) from there on.
    f = MakeFrame({0, 0, 0}, {0.0009, 0, 1});
    EXPECT_NEAR(f.XAxis.X, 1, 1e-6);
    f = MakeFrame({0, 0, 0}, {0.002, 0, 1});
    EXPECT_NEAR(std::fabs(f.XAxis.Y), 1, 1e-12);
}

TEST(MakeFrame, HintIsTakenAsItIs) {
    TPlaneFrame f = MakeFrame({0, 0, 0}, {0, 0, 2}, {3, 0, 3});
    ExpectNearXYZ(f.XAxis, {std::sqrt(0.5), 0, std::sqrt(0.5)}, 1e-15);
    ExpectNearXYZ(f.YAxis, {0, -1, 0}, 1e-15);
    ExpectNearXYZ(f.Normal, {0, 0, 1}, 0);
}

void ExpectOrthonormal(const TPlaneFrame& f) {
    EXPECT_NEAR(LengthXYZ(f.XAxis), 1, 1e-12);
    EXPECT_NEAR(LengthXYZ(f.YAxis), 1, 1e-12);
    EXPECT_NEAR(LengthXYZ(f.Normal), 1, 1e-12);
    EXPECT_NEAR(DotXYZ(f.XAxis, f.YAxis), 0, 1e-12);
    EXPECT_NEAR(DotXYZ(f.XAxis, f.Normal), 0, 1e-12);
    EXPECT_NEAR(DotXYZ(f.YAxis, f.Normal), 0, 1e-12);
}

TEST(MakeFrame, ShortAndLongNormalsGiveUnitAxes) {
    TPlaneFrame f = MakeFrame({0, 0, 0}, {0, 0, 2e-3});
    ExpectOrthonormal(f);
    ExpectNearXYZ(f.XAxis, {1, 0, 0}, 0);
    ExpectNearXYZ(f.YAxis, {0, -1, 0}, 0);
    // A short normal along Y: the auxiliary Y axis would be parallel to it.
    f = MakeFrame({0, 0, 0}, {0, 5e-4, 0});
    ExpectOrthonormal(f);
    ExpectNearXYZ(f.Normal, {0, 1, 0}, 0);
    // A long normal close to Z: the auxiliary Z axis would be parallel to it.
    f = MakeFrame({0, 0, 0}, {0.002, 0, 1e6});
    ExpectOrthonormal(f);
    EXPECT_NEAR(f.XAxis.X, 1, 1e-9);
    f = MakeFrame({0, 0, 0}, {-2e-5, 3e-5, 1e-5}, {3e-5, 2e-5, 0});
    ExpectOrthonormal(f);
    EXPECT_NEAR(f.XAxis.X, 3 / std::sqrt(13.0), 1e-12);
}

TEST(MakeFrame, HintAlongTheNormalFallsBackToTheAuxiliaryAxis) {
    TPlaneFrame f = MakeFrame({0, 0, 0}, {0, 0, 1}, {0, 0, -3});
    ExpectOrthonormal(f);
    ExpectNearXYZ(f.XAxis, {1, 0, 0}, 0);
    f = MakeFrame({0, 0, 0}, {0, 0, 1}, {0, 0, 0});
    ExpectOrthonormal(f);
}

TEST(MakeFrame, RandomNormalsGiveOrthonormalAxes) {
    std::mt19937 rng(42);
    std::normal_distribution<double> gauss;
    for (int i = 0; i < 5000; ++i) {
        TXYZ n{gauss(rng), gauss(rng), gauss(rng)};
        if (i % 10 == 0) n = {gauss(rng) * 1e-4, gauss(rng) * 1e-4, gauss(rng)};
        if (LengthXYZ(n) < 1e-3) continue;
        TPlaneFrame f = MakeFrame({0, 0, 0}, n);
        ExpectOrthonormal(f);
        EXPECT_GT(DotXYZ(f.Normal, n), 0);
    }
}

TEST(PolygonFrame, FrameOfAPlanarPolygon) {
    Polygon square{{1, 1, 2}, {3, 1, 2}, {3, 3, 2}, {1, 3, 2}};
    TPlaneFrame f = PolygonFrame(square.a);
    ExpectNearXYZ(f.Origin, {1, 1, 2}, 0);
    ExpectNearXYZ(f.XAxis, {1, 0, 0}, 1e-15);
    ExpectNearXYZ(f.Normal, {0, 0, -1}, 1e-15);
    ExpectNearXYZ(f.YAxis, {0, 1, 0}, 1e-15);
    // The first point that differs from P[0] gives the X axis.
    Polygon repeated{{0, 0, 0}, {0, 0, 0.000001}, {0, 2, 0}, {0, 2, 2}};
    f = PolygonFrame(repeated.a);
    ExpectNearXYZ(f.XAxis, {0, 1, 0}, 1e-15);
}

TEST(PolygonFrame, RandomPlanarPolygonsLieInTheirFramePlane) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-10, 10);
    for (int i = 0; i < 1000; ++i) {
        TPlaneFrame plane = MakeFrame({coord(rng), coord(rng), coord(rng)}, {coord(rng), coord(rng), coord(rng)});
        Polygon poly{};
        for (int k = 0; k < 5; ++k) {
            TXYZ p = FrameToWorld(plane, {coord(rng), coord(rng), 0});
            ArrayAdd(poly.a, &p);
        }
        if (LengthXYZ(PolygonNormal(poly.a)) < 1e-3) continue;
        TPlaneFrame f = PolygonFrame(poly.a);
        EXPECT_NEAR(std::fabs(DotXYZ(f.Normal, plane.Normal)), 1, 1e-9);
        for (int k = 0; k < 5; ++k) EXPECT_NEAR(WorldToFrame(f, poly.a.At<TXYZ>(k)).Z, 0, 1e-9);
        TXYZ firstEdge = WorldToFrame(f, poly.a.At<TXYZ>(1));
        EXPECT_NEAR(firstEdge.Y, 0, 1e-9);
        EXPECT_GT(firstEdge.X, 0);
    }
}

TEST(PolygonFrame, VanishingNormalRaises) {
    Polygon collinear{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    EXPECT_EQ(FrameError(collinear.a), "Normalvektor 0 ");
    Polygon coincident{{1, 2, 3}, {1, 2, 3}, {1, 2, 3}};
    EXPECT_EQ(FrameError(coincident.a), "Normalvektor 0 ");
    Polygon tiny{{0, 0, 0}, {0.001, 0, 0}, {0, 0.001, 0}};  // Newell sum 1e-6
    EXPECT_EQ(FrameError(tiny.a), "Normalvektor 0 ");
    Polygon empty{};
    EXPECT_EQ(FrameError(empty.a), "Normalvektor 0 ");
    Polygon undefined{{0, 0, 0}, {1, 0, std::nan("")}, {0, 1, 0}};
    EXPECT_EQ(FrameError(undefined.a), "Normalvektor 0 ");
}

}  // namespace
}  // namespace zv
