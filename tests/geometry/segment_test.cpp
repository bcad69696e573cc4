#include "geometry/segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace zv {
namespace {

struct Hit {
    bool found;
    double tA, tB, det;
};

Hit Intersect(TXY a0, TXY a1, TXY b0, TXY b1) {
    Hit h{false, -99, -99, -99};
    h.found = SegmentIntersection(a0, a1, b0, b1, h.tA, h.tB, h.det);
    return h;
}

TEST(SegmentIntersection, CrossingSegments) {
    Hit h = Intersect({0, 0}, {2, 2}, {0, 2}, {2, 0});
    EXPECT_TRUE(h.found);
    EXPECT_DOUBLE_EQ(h.tA, 0.5);
    EXPECT_DOUBLE_EQ(h.tB, 0.5);
    EXPECT_EQ(h.det, 8);
    // The fractions are reported also where they lie off the segments.
    h = Intersect({0, 0}, {1, 0}, {3, -1}, {3, 1});
    EXPECT_TRUE(h.found);
    EXPECT_DOUBLE_EQ(h.tA, 3);
    EXPECT_DOUBLE_EQ(h.tB, 0.5);
    // Common start points are ordinary crossings.
    h = Intersect({0, 0}, {1, 0}, {0, 0}, {0, 1});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 0);
    EXPECT_EQ(h.tB, 0);
}

TEST(SegmentIntersection, DegenerateAndReversedSegmentsDoNotMeet) {
    Hit h = Intersect({0, 0}, {1, 0}, {0, 0}, {0, 0});
    EXPECT_FALSE(h.found);
    EXPECT_EQ(h.det, 0);
    EXPECT_FALSE(Intersect({0, 0}, {0.000005, 0}, {-1, -1}, {1, 1}).found);
    EXPECT_FALSE(Intersect({2, 3}, {5, 7}, {5, 7}, {2, 3}).found);
    EXPECT_FALSE(Intersect({2, 3}, {5, 7}, {5.000005, 7}, {2, 3.000005}).found);
}

TEST(SegmentIntersection, EndOfAAtStartOfB) {
    Hit h = Intersect({0, 0}, {1, 0}, {1, 0}, {2, 1});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 0);
    EXPECT_EQ(h.det, 0);
    // Within the tolerance.
    h = Intersect({0, 0}, {1, 0}, {1.000005, 0}, {2, 1});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    // Straight on: B continues A.
    h = Intersect({0, 0}, {2, 0}, {2, 0}, {3, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 0);
}

TEST(SegmentIntersection, BFoldingBackOntoA) {
    Hit h = Intersect({0, 0}, {2, 0}, {2, 0}, {1, 0});
    EXPECT_TRUE(h.found);
    EXPECT_DOUBLE_EQ(h.tA, 0.5);
    EXPECT_EQ(h.tB, 1);
    EXPECT_EQ(h.det, 0);
    // Folding back beyond a0 is no fold onto A.
    h = Intersect({0, 0}, {2, 0}, {2, 0}, {-1, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 0);
    // A fold that ends within Eps (as a fraction of A) of either end is not taken.
    h = Intersect({0, 0}, {10, 0}, {10, 0}, {9.99995, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 0);
    h = Intersect({0, 0}, {10, 0}, {10, 0}, {0.00005, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 0);
    h = Intersect({0, 0}, {10, 0}, {10, 0}, {9.9998, 0});
    EXPECT_TRUE(h.found);
    EXPECT_DOUBLE_EQ(h.tA, 0.99998);
    EXPECT_EQ(h.tB, 1);
}

TEST(SegmentIntersection, CommonEndPoint) {
    Hit h = Intersect({0, 0}, {1, 0}, {1, 1}, {1, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 1);
    EXPECT_EQ(h.det, 0);
    // Collinear and overlapping, ending together.
    h = Intersect({0, 0}, {2, 0}, {1, 0}, {2, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_EQ(h.tB, 1);
}

TEST(SegmentIntersection, DeterminantThresholdSeparatesParallelLines) {
    // |det| = 5e-7: treated as parallel, and the lines are distinct.
    Hit h = Intersect({0, 0}, {1, 0}, {0, 1}, {1, 1.0000005});
    EXPECT_FALSE(h.found);
    EXPECT_NEAR(h.det, -5e-7, 1e-15);
    // |det| = 2e-6: an ordinary, if remote, crossing.
    h = Intersect({0, 0}, {1, 0}, {0, 1}, {1, 1.000002});
    EXPECT_TRUE(h.found);
    EXPECT_NEAR(h.tB, -500000, 1e-3);
    EXPECT_NEAR(h.tA, -500000, 1e-3);
    EXPECT_FALSE(Intersect({0, 0}, {1, 0}, {0, 1}, {1, 1}).found);
    // Parallel with overlapping extents, but on distinct lines.
    EXPECT_FALSE(Intersect({0, 0}, {2, 0}, {1, 1}, {3, 1}).found);
    EXPECT_FALSE(Intersect({0, 0}, {2, 0}, {1, 0.00001}, {3, 0.00001}).found);
    // Off the line by less than the tolerance: collinear.
    Hit close = Intersect({0, 0}, {2, 0}, {1, 0.000001}, {3, 0.000001});
    EXPECT_TRUE(close.found);
    EXPECT_EQ(close.tA, 1);
    EXPECT_DOUBLE_EQ(close.tB, 0.5);
}

TEST(SegmentIntersection, CollinearOverlaps) {
    // a1 lies inside B.
    Hit h = Intersect({0, 0}, {2, 0}, {1, 0}, {3, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_DOUBLE_EQ(h.tB, 0.5);
    h = Intersect({0, 0}, {2, 0}, {3, 0}, {1, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_DOUBLE_EQ(h.tB, 0.5);
    // b1 lies inside A.
    h = Intersect({0, 0}, {3, 0}, {-1, 0}, {1, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tB, 1);
    EXPECT_DOUBLE_EQ(h.tA, 1.0 / 3);
    // B inside A with both ends strictly inside: the contact is b1.
    h = Intersect({0, 0}, {4, 0}, {1, 0}, {3, 0});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tB, 1);
    EXPECT_DOUBLE_EQ(h.tA, 0.75);
    // Only the start points meet, or the segments are apart: no contact.
    EXPECT_FALSE(Intersect({0, 0}, {1, 0}, {0, 0}, {-1, 0}).found);
    EXPECT_FALSE(Intersect({0, 0}, {1, 0}, {-1, 0}, {0, 0}).found);
    EXPECT_FALSE(Intersect({0, 0}, {1, 0}, {2, 0}, {3, 0}).found);
    // Along a slanted line.
    h = Intersect({1, 1}, {3, 3}, {2, 2}, {5, 5});
    EXPECT_TRUE(h.found);
    EXPECT_EQ(h.tA, 1);
    EXPECT_NEAR(h.tB, 1.0 / 3, 1e-15);
}

TEST(SegmentIntersection, NonFiniteInputNeverGivesUndefinedFractions) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const TXY cases[][4] = {
        {{nan, 0}, {1, 0}, {0, -1}, {0, 1}},   {{0, 0}, {1, 0}, {0, nan}, {0, 1}},
        {{0, 0}, {inf, 1}, {0, -1}, {0, 1}},   {{-inf, 0}, {inf, 0}, {0, -1}, {0, 1}},
        {{0, 0}, {1e300, 1e300}, {1e300, -1e300}, {-1e300, 1e300}},
        {{0, 0}, {1e300, 0}, {-1e300, 0}, {1e300 + 1e290, 0}},
    };
    for (const auto& c : cases) {
        Hit h = Intersect(c[0], c[1], c[2], c[3]);
        if (h.found) {
            EXPECT_TRUE(std::isfinite(h.tA));
            EXPECT_TRUE(std::isfinite(h.tB));
            EXPECT_TRUE(std::isfinite(h.det));
        }
    }
    // An overflowing determinant gives no contact.
    EXPECT_FALSE(Intersect({0, 0}, {1e300, 1e300}, {1e300, -1e300}, {-1e300, 1e300}).found);
}

TEST(SegmentIntersectionPoint, PointOnA) {
    double det, tB, tA;
    TXY p{-1, -1};
    ASSERT_TRUE(SegmentIntersectionPoint({0, 0}, {4, 0}, {1, -1}, {1, 3}, det, tB, tA, p));
    EXPECT_DOUBLE_EQ(tA, 0.25);
    EXPECT_DOUBLE_EQ(tB, 0.25);
    EXPECT_DOUBLE_EQ(p.X, 1);
    EXPECT_DOUBLE_EQ(p.Y, 0);
    ASSERT_TRUE(SegmentIntersectionPoint({0, 0}, {4, 0}, {1, -1}, {3, 3}, det, tB, tA, p));
    EXPECT_DOUBLE_EQ(tA, 1.5 / 4);
    EXPECT_DOUBLE_EQ(tB, 0.25);
    EXPECT_DOUBLE_EQ(p.X, 1.5);
    p = {7, 7};
    EXPECT_FALSE(SegmentIntersectionPoint({0, 0}, {1, 0}, {0, 1}, {1, 1}, det, tB, tA, p));
    EXPECT_EQ(p.X, 7);
}

TXY RandomPoint(std::mt19937& rng) {
    std::uniform_real_distribution<double> coord(-100, 100);
    return {coord(rng), coord(rng)};
}

TEST(SegmentIntersection, GeneralPositionAgreesWithLineEquations) {
    std::mt19937 rng(31337);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        TXY a0 = RandomPoint(rng), a1 = RandomPoint(rng), b0 = RandomPoint(rng), b1 = RandomPoint(rng);
        // Lines a*x + b*y = c through each segment, solved by Cramer's rule.
        double la = a1.Y - a0.Y, lb = a0.X - a1.X, lc = la * a0.X + lb * a0.Y;
        double ma = b1.Y - b0.Y, mb = b0.X - b1.X, mc = ma * b0.X + mb * b0.Y;
        double den = la * mb - ma * lb;
        if (std::fabs(den) < 1.0) continue;
        if (std::hypot(a1.X - b0.X, a1.Y - b0.Y) < 1e-3 || std::hypot(a1.X - b1.X, a1.Y - b1.Y) < 1e-3) continue;
        TXY x{(lc * mb - mc * lb) / den, (la * mc - ma * lc) / den};
        // The fraction along each segment, measured on its longer axis.
        auto fraction = [](const TXY& p0, const TXY& p1, const TXY& q) {
            return std::fabs(p1.X - p0.X) > std::fabs(p1.Y - p0.Y) ? (q.X - p0.X) / (p1.X - p0.X)
                                                                    : (q.Y - p0.Y) / (p1.Y - p0.Y);
        };
        Hit h = Intersect(a0, a1, b0, b1);
        ASSERT_TRUE(h.found) << i;
        double scale = 1 + std::fabs(h.tA) + std::fabs(h.tB);
        ASSERT_NEAR(h.tA, fraction(a0, a1, x), 1e-9 * scale) << i;
        ASSERT_NEAR(h.tB, fraction(b0, b1, x), 1e-9 * scale) << i;
        ASSERT_NEAR(std::fabs(h.det), std::fabs(den), 1e-9 * std::fabs(den)) << i;
        ++checked;
    }
    EXPECT_GT(checked, 15000);
}

TEST(SegmentIntersection, TouchingEndsReportTheContactAtAnEndPoint) {
    std::mt19937 rng(2718);
    for (int i = 0; i < 20000; ++i) {
        TXY a0 = RandomPoint(rng), joint = RandomPoint(rng), other = RandomPoint(rng);
        if (DistXY(a0, joint) < 1e-3 || DistXY(other, joint) < 1e-3) continue;
        // A ends where B starts.
        Hit h = Intersect(a0, joint, joint, other);
        ASSERT_TRUE(h.found);
        ASSERT_TRUE(h.tA == 1 || h.tB == 1) << i;
        ASSERT_EQ(h.det, 0);
        // Both end at the same point.
        h = Intersect(a0, joint, other, joint);
        ASSERT_TRUE(h.found);
        ASSERT_EQ(h.tA, 1);
        ASSERT_EQ(h.tB, 1);
        ASSERT_EQ(h.det, 0);
    }
}

TEST(SegmentIntersection, CollinearContactsLieOnBothSegmentsAtAnEndPoint) {
    std::mt19937 rng(1618);
    std::uniform_int_distribution<int> position(-8, 8);
    std::uniform_real_distribution<double> angle(0, 6.283);
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        TXY origin = RandomPoint(rng);
        double phi = angle(rng);
        TXY dir{std::cos(phi) * 0.75, std::sin(phi) * 0.75};
        int s[4];
        for (int& v : s) v = position(rng);
        if (s[0] == s[1] || s[2] == s[3]) continue;
        auto at = [&](int k) { return TXY{origin.X + k * dir.X, origin.Y + k * dir.Y}; };
        Hit h = Intersect(at(s[0]), at(s[1]), at(s[2]), at(s[3]));
        // The same configuration on the number line, in steps along A.
        double len = s[1] - s[0];
        double b0 = (s[2] - s[0]) / len, b1 = (s[3] - s[0]) / len;
        bool reversed = s[0] == s[3] && s[1] == s[2];
        bool a1OnB0 = s[1] == s[2];
        bool a1OnB1 = s[1] == s[3];
        bool a1InsideB = (b0 < 1 && 1 < b1) || (b1 < 1 && 1 < b0);
        bool b1InsideA = 0 < b1 && b1 < 1;
        bool expected = !reversed && (a1OnB0 || a1OnB1 || a1InsideB || b1InsideA);
        ASSERT_EQ(h.found, expected) << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
        if (!h.found) continue;
        ++found;
        ASSERT_TRUE(h.tA == 1 || h.tB == 1);
        ASSERT_GE(h.tA, -1e-9);
        ASSERT_LE(h.tA, 1 + 1e-9);
        ASSERT_GE(h.tB, -1e-9);
        ASSERT_LE(h.tB, 1 + 1e-9);
        TXY onA{at(s[0]).X + h.tA * (at(s[1]).X - at(s[0]).X), at(s[0]).Y + h.tA * (at(s[1]).Y - at(s[0]).Y)};
        TXY onB{at(s[2]).X + h.tB * (at(s[3]).X - at(s[2]).X), at(s[2]).Y + h.tB * (at(s[3]).Y - at(s[2]).Y)};
        ASSERT_NEAR(onA.X, onB.X, 1e-9);
        ASSERT_NEAR(onA.Y, onB.Y, 1e-9);
    }
    EXPECT_GT(found, 3000);
}

TEST(InSector, NarrowSectors) {
    EXPECT_FALSE(InSector({1, 0}, {0, 1}, {1, 1}));  // a reflex sector: the rest of the turn
    EXPECT_TRUE(InSector({0, 1}, {1, 0}, {1, 1}));
    EXPECT_FALSE(InSector({0, 1}, {1, 0}, {-1, -1}));
    // Directions along the bounding rays are never inside.
    EXPECT_FALSE(InSector({0, 1}, {1, 0}, {0, 2}));
    EXPECT_FALSE(InSector({0, 1}, {1, 0}, {3, 0}));
    EXPECT_FALSE(InSector({0, 1}, {1, 0}, {3, 0.000001}));
}

TEST(InSector, HalfTurnAndReflexSectors) {
    // A half turn counts as a narrow sector.
    EXPECT_TRUE(InSector({1, 0}, {-1, 0}, {0, -1}));
    EXPECT_FALSE(InSector({1, 0}, {-1, 0}, {0, 1}));
    // Beyond a half turn by less than Eps (CrossXY = -5e-6) it still does:
    // z must then be inside on both sides.
    EXPECT_FALSE(InSector({1, 0}, {-1, 5e-6}, {1, -1.2e-5}));
    EXPECT_TRUE(InSector({1, 0}, {-1, 5e-6}, {0, -1}));
    // Beyond it by more: a reflex sector, one side suffices.
    EXPECT_TRUE(InSector({1, 0}, {-1, 2e-5}, {1, -1.2e-5}));
    // Reflex: from (1,0) the long way round to (0,1).
    EXPECT_TRUE(InSector({1, 0}, {0, 1}, {-1, -1}));
    EXPECT_TRUE(InSector({1, 0}, {0, 1}, {-1, 0.5}));
    EXPECT_TRUE(InSector({1, 0}, {0, 1}, {0.5, -1}));
    EXPECT_FALSE(InSector({1, 0}, {0, 1}, {2, 0}));
    EXPECT_FALSE(InSector({1, 0}, {0, 1}, {0, 2}));
}

TEST(InSector, SwappedBoundsGiveTheComplementarySector) {
    std::mt19937 rng(8);
    std::uniform_real_distribution<double> angle(0, 6.283);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        double ax = angle(rng), ay = angle(rng), az = angle(rng);
        TXY x{std::cos(ax), std::sin(ax)}, y{std::cos(ay), std::sin(ay)}, z{std::cos(az), std::sin(az)};
        if (std::fabs(CrossXY(x, y)) < 1e-3 || std::fabs(CrossXY(x, z)) < 1e-3 || std::fabs(CrossXY(y, z)) < 1e-3)
            continue;
        ASSERT_NE(InSector(x, y, z), InSector(y, x, z)) << ax << " " << ay << " " << az;
        ++checked;
    }
    EXPECT_GT(checked, 15000);
}

TEST(SameDirAny, MatchesEitherDirection) {
    EXPECT_TRUE(SameDirAny({1, 0}, {0, 1}, {5, 0}));
    EXPECT_TRUE(SameDirAny({1, 0}, {0, 1}, {0, 0.5}));
    EXPECT_TRUE(SameDirAny({1, 0}, {0, 1}, {1, 0.000001}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {-1, 0}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {0, -1}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {1, 0.001}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {0, 0}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {1, 1}));
}

}  // namespace
}  // namespace zv
