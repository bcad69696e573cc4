#include "geometry/space.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "owned_array.h"
#include "runtime/exception.h"
#include "message_capture.h"

namespace zv {
namespace {

using Polygon = OwnedArray<TXYZ>;

// Unit axes at right angles, in the hand the library uses: X x Normal = Y.
void ExpectFrame(const TPlaneFrame& f) {
    ExpectNearXYZ(CrossXYZ(f.XAxis, f.Normal), f.YAxis, 1e-12);
    EXPECT_NEAR(LengthXYZ(f.Normal), 1, 1e-12);
    EXPECT_NEAR(LengthXYZ(f.XAxis), 1, 1e-12);
    EXPECT_NEAR(DotXYZ(f.XAxis, f.Normal), 0, 1e-12);
}

TEST(LinePlaneIntersection, Cases) {
    struct Case { TXYZ p, d, o, n; bool found; double t; } cases[] = {
        {{0, 0, 5}, {0, 0, -2}, {7, 7, 1}, {0, 0, 3}, true, 4},
        {{1, 0, 0}, {3, 0, 4}, {0, 0, 8}, {0, 0, 1}, true, 10},
        {{1, 0, 0}, {-3, 0, -4}, {0, 0, 8}, {0, 0, 1}, true, -10},  // behind the start point
        {{0, 0, 1}, {1, 0, 2e-7}, {0, 0, 0}, {0, 0, 1}, true, -5e6},
        {{0, 0, 1}, {1, 0, 5e-8}, {0, 0, 0}, {0, 0, 1}, false, 0},  // parallel within the threshold
        {{0, 0, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, false, 0},
    };
    for (const Case& c : cases) {
        TXYZ point;
        double t;
        EXPECT_EQ(LinePlaneIntersection(c.p, c.d, c.o, c.n, point, t), c.found) << c.t;
        EXPECT_NEAR(t, c.t, 1e-6 * (1 + std::fabs(c.t)));
        if (c.found) EXPECT_NEAR(DotXYZ(SubXYZ(point, c.o), c.n), 0, 1e-6);
    }
}

TEST(MakeFrame, Cases) {
    struct Case { TXYZ normal, xAxis; } cases[] = {
        {{0, 0, 1}, {1, 0, 0}},
        {{5, 0, 0}, {0, 1, 0}},
        {{0.0009, 0, 1}, {1, 0, -0.0009}},  // X and Y below 0.001: Y x normal ...
        {{0.002, 0, 1}, {0, 1, 0}},         // ... else Z x normal
        {{0, 0, 2e-3}, {1, 0, 0}},
        {{0, 5e-4, 0}, {-1, 0, 0}},         // along the auxiliary axis: the other one
    };
    for (const Case& c : cases) {
        TPlaneFrame f = MakeFrame({1, 2, 3}, c.normal);
        ExpectFrame(f);
        EXPECT_GT(DotXYZ(f.Normal, c.normal), 0);
        ExpectNearXYZ(f.Origin, {1, 2, 3}, 0);
        ExpectNearXYZ(f.XAxis, NormalizeXYZ(c.xAxis), 1e-6);
    }
    TPlaneFrame f = MakeFrame({0, 0, 0}, {0, 0, 2}, {3, 0, 3});  // a hint is taken as it is
    ExpectNearXYZ(f.XAxis, {std::sqrt(0.5), 0, std::sqrt(0.5)}, 1e-15);
    ExpectNearXYZ(MakeFrame({0, 0, 0}, {0, 0, 1}, {0, 0, -3}).XAxis, {1, 0, 0}, 0);  // hint along the normal
    ExpectFrame(MakeFrame({0, 0, 0}, {-2e-5, 3e-5, 1e-5}, {3e-5, 2e-5, 0}));
}

TEST(PolygonFrame, NormalAgainstCounterClockwiseOrderExactFarFromTheOrigin) {
    for (double o : {0.0, 1e9, 1e12, -1e12}) {
        Polygon square{{{o, o, o}, {o, o + 1, o}, {o + 1, o + 1, o}, {o + 1, o, o}, {o, o, o}}};
        TXYZ n = PolygonNormal(square.a);
        EXPECT_TRUE(n.X == 0 && n.Y == 0 && n.Z == 2) << o;
        TPlaneFrame f = PolygonFrame(square.a);
        EXPECT_DOUBLE_EQ(f.Normal.Z, 1.0) << o;
        EXPECT_EQ(f.Origin.X, o);
        ExpectNearXYZ(f.XAxis, {0, 1, 0}, 1e-15);
    }
    Polygon repeated{{{0, 0, 0}, {0, 0, 0.000001}, {0, 2, 0}, {0, 2, 2}}};  // the first distinct point gives X
    ExpectNearXYZ(PolygonFrame(repeated.a).XAxis, {0, 1, 0}, 1e-15);
}

TEST(PolygonFrame, RandomPlanarPolygonsLieInTheirFramePlane) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-10, 10);
    for (int i = 0; i < 1000; ++i) {
        TPlaneFrame plane = MakeFrame({coord(rng), coord(rng), coord(rng)}, {coord(rng), coord(rng), coord(rng)});
        Polygon poly;
        for (int k = 0; k < 5; ++k) {
            TXYZ p = FrameToWorld(plane, {coord(rng), coord(rng), 0});
            ArrayAdd(poly.a, &p);
        }
        if (LengthXYZ(PolygonNormal(poly.a)) < 1e-3) continue;
        TPlaneFrame f = PolygonFrame(poly.a);
        ExpectFrame(f);
        EXPECT_NEAR(std::fabs(DotXYZ(f.Normal, plane.Normal)), 1, 1e-9);
        for (int k = 0; k < 5; ++k) EXPECT_NEAR(WorldToFrame(f, poly.a.At<TXYZ>(k)).Z, 0, 1e-9);
        TXYZ firstEdge = WorldToFrame(f, poly.a.At<TXYZ>(1));
        EXPECT_NEAR(firstEdge.Y, 0, 1e-9);
        EXPECT_GT(firstEdge.X, 0);
    }
}

TEST(PolygonFrame, VanishingNormalRaises) {
    const double nan = std::nan("");
    std::vector<std::vector<TXYZ>> cases = {
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {},
        {{0, 0, 0}, {0.001, 0, 0}, {0, 0.001, 0}},  // Newell sum 1e-6
        {{0, 0, 0}, {1, 0, nan}, {0, 1, 0}},
    };
    for (const auto& points : cases) {
        Polygon p{points};
        ExpectThrowMessage<Exception>([&] { PolygonFrame(p.a); }, "Normalvektor 0 ");
    }
}

}  // namespace
}  // namespace zv
