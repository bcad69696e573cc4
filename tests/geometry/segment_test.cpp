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

const double any = std::numeric_limits<double>::quiet_NaN();  // not checked

TEST(SegmentIntersection, Cases) {
    struct Case { TXY a0, a1, b0, b1; bool found; double tA, tB; } cases[] = {
        {{0, 0}, {2, 2}, {0, 2}, {2, 0}, true, 0.5, 0.5},
        {{0, 0}, {1, 0}, {3, -1}, {3, 1}, true, 3, 0.5},              // fractions off the segments
        {{0, 0}, {1, 0}, {0, 0}, {0, 1}, true, 0, 0},                 // common start points
        {{0, 0}, {1, 0}, {0, 0}, {0, 0}, false, any, any},            // degenerate B
        {{0, 0}, {0.000005, 0}, {-1, -1}, {1, 1}, false, any, any},   // degenerate A
        {{2, 3}, {5, 7}, {5.000005, 7}, {2, 3.000005}, false, any, any},  // reversed
        {{0, 0}, {1, 0}, {1.000005, 0}, {2, 1}, true, 1, 0},          // A ends where B starts
        {{0, 0}, {2, 0}, {2, 0}, {3, 0}, true, 1, 0},                 // B continues A
        {{0, 0}, {2, 0}, {2, 0}, {1, 0}, true, 0.5, 1},               // B folds back onto A
        {{0, 0}, {2, 0}, {2, 0}, {-1, 0}, true, 1, 0},                // ... beyond a0
        {{0, 0}, {10, 0}, {10, 0}, {9.99995, 0}, true, 1, 0},         // ... within Eps of an end
        {{0, 0}, {10, 0}, {10, 0}, {9.9998, 0}, true, 0.99998, 1},
        {{0, 0}, {1, 0}, {1, 1}, {1, 0}, true, 1, 1},                 // common end point
        {{0, 0}, {1, 0}, {0, 1}, {1, 1.0000005}, false, any, any},    // |det| 5e-7: parallel
        {{0, 0}, {1, 0}, {0, 1}, {1, 1.000002}, true, -500000, -500000},
        {{0, 0}, {2, 0}, {1, 0.00001}, {3, 0.00001}, false, any, any},
        {{0, 0}, {2, 0}, {1, 0.000001}, {3, 0.000001}, true, 1, 0.5},  // collinear within Eps
        {{0, 0}, {2, 0}, {3, 0}, {1, 0}, true, 1, 0.5},               // a1 inside B
        {{0, 0}, {3, 0}, {-1, 0}, {1, 0}, true, 1.0 / 3, 1},          // b1 inside A
        {{0, 0}, {4, 0}, {1, 0}, {3, 0}, true, 0.75, 1},
        {{0, 0}, {1, 0}, {0, 0}, {-1, 0}, false, any, any},           // only start points meet
        {{1, 1}, {3, 3}, {2, 2}, {5, 5}, true, 1, 1.0 / 3},
        {{0, 0}, {1e300, 1e300}, {1e300, -1e300}, {-1e300, 1e300}, false, any, any},  // overflow
    };
    for (const Case& c : cases) {
        Hit h = Intersect(c.a0, c.a1, c.b0, c.b1);
        SCOPED_TRACE(testing::Message() << c.a0.X << "," << c.a0.Y << " " << c.a1.X << "," << c.a1.Y << " - "
                                        << c.b0.X << "," << c.b0.Y << " " << c.b1.X << "," << c.b1.Y);
        EXPECT_EQ(h.found, c.found);
        if (!std::isnan(c.tA)) EXPECT_NEAR(h.tA, c.tA, 1e-9 + 1e-6 * std::fabs(c.tA));
        if (!std::isnan(c.tB)) EXPECT_NEAR(h.tB, c.tB, 1e-9 + 1e-6 * std::fabs(c.tB));
    }
    EXPECT_EQ(Intersect({0, 0}, {2, 2}, {0, 2}, {2, 0}).det, 8);
    EXPECT_NEAR(Intersect({0, 0}, {1, 0}, {0, 1}, {1, 1.0000005}).det, -5e-7, 1e-15);
}

TEST(SegmentIntersection, NonFiniteInputNeverGivesUndefinedFractions) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const TXY cases[][4] = {
        {{nan, 0}, {1, 0}, {0, -1}, {0, 1}}, {{0, 0}, {1, 0}, {0, nan}, {0, 1}}, {{0, 0}, {inf, 1}, {0, -1}, {0, 1}},
        {{-inf, 0}, {inf, 0}, {0, -1}, {0, 1}}, {{0, 0}, {1e300, 0}, {-1e300, 0}, {1e300 + 1e290, 0}},
    };
    for (const auto& c : cases) {
        Hit h = Intersect(c[0], c[1], c[2], c[3]);
        if (h.found) EXPECT_TRUE(std::isfinite(h.tA) && std::isfinite(h.tB) && std::isfinite(h.det));
    }
    double det, tB, tA;
    TXY p{};
    ASSERT_TRUE(SegmentIntersectionPoint({0, 0}, {4, 0}, {1, -1}, {3, 3}, det, tB, tA, p));
    EXPECT_TRUE(p.X == 1.5 && tA == 1.5 / 4 && tB == 0.25);
}

TXY RandomPoint(std::mt19937& rng) {
    std::uniform_real_distribution<double> coord(-100, 100);
    return {coord(rng), coord(rng)};
}

// Oracle: the crossing of the two lines by Cramer's rule.
TEST(SegmentIntersection, GeneralPositionAgreesWithLineEquations) {
    std::mt19937 rng(31337);
    int checked = 0;
    for (int i = 0; i < 4000; ++i) {
        TXY a0 = RandomPoint(rng), a1 = RandomPoint(rng), b0 = RandomPoint(rng), b1 = RandomPoint(rng);
        double la = a1.Y - a0.Y, lb = a0.X - a1.X, lc = la * a0.X + lb * a0.Y;
        double ma = b1.Y - b0.Y, mb = b0.X - b1.X, mc = ma * b0.X + mb * b0.Y;
        double den = la * mb - ma * lb;
        if (std::fabs(den) < 1.0) continue;
        if (std::hypot(a1.X - b0.X, a1.Y - b0.Y) < 1e-3 || std::hypot(a1.X - b1.X, a1.Y - b1.Y) < 1e-3) continue;
        TXY x{(lc * mb - mc * lb) / den, (la * mc - ma * lc) / den};
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
    EXPECT_GT(checked, 3000);
}

// Oracle: the same collinear configuration on the number line.
TEST(SegmentIntersection, CollinearContactsLieOnBothSegmentsAtAnEndPoint) {
    std::mt19937 rng(1618);
    std::uniform_int_distribution<int> position(-8, 8);
    std::uniform_real_distribution<double> angle(0, 6.283);
    int found = 0;
    for (int i = 0; i < 5000; ++i) {
        TXY origin = RandomPoint(rng);
        double phi = angle(rng);
        TXY dir{std::cos(phi) * 0.75, std::sin(phi) * 0.75};
        int s[4];
        for (int& v : s) v = position(rng);
        if (s[0] == s[1] || s[2] == s[3]) continue;
        auto at = [&](int k) { return TXY{origin.X + k * dir.X, origin.Y + k * dir.Y}; };
        Hit h = Intersect(at(s[0]), at(s[1]), at(s[2]), at(s[3]));
        double len = s[1] - s[0];
        double b0 = (s[2] - s[0]) / len, b1 = (s[3] - s[0]) / len;
        bool reversed = s[0] == s[3] && s[1] == s[2];
        bool a1InsideB = (b0 < 1 && 1 < b1) || (b1 < 1 && 1 < b0);
        bool expected = !reversed && (s[1] == s[2] || s[1] == s[3] || a1InsideB || (0 < b1 && b1 < 1));
        ASSERT_EQ(h.found, expected) << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
        if (!h.found) continue;
        ++found;
        ASSERT_TRUE(h.tA == 1 || h.tB == 1);
        TXY onA{at(s[0]).X + h.tA * (at(s[1]).X - at(s[0]).X), at(s[0]).Y + h.tA * (at(s[1]).Y - at(s[0]).Y)};
        TXY onB{at(s[2]).X + h.tB * (at(s[3]).X - at(s[2]).X), at(s[2]).Y + h.tB * (at(s[3]).Y - at(s[2]).Y)};
        ASSERT_NEAR(onA.X, onB.X, 1e-9);
        ASSERT_NEAR(onA.Y, onB.Y, 1e-9);
    }
    EXPECT_GT(found, 750);
}

TEST(InSector, Cases) {
    struct Case { TXY x, y, z; bool inside; } cases[] = {
        {{1, 0}, {0, 1}, {1, 1}, false},  {{0, 1}, {1, 0}, {1, 1}, true},  {{0, 1}, {1, 0}, {-1, -1}, false},
        {{0, 1}, {1, 0}, {0, 2}, false},  {{0, 1}, {1, 0}, {3, 0.000001}, false},  // along a bounding ray
        {{1, 0}, {-1, 0}, {0, -1}, true}, {{1, 0}, {-1, 0}, {0, 1}, false},        // a half turn
        {{1, 0}, {-1, 5e-6}, {1, -1.2e-5}, false}, {{1, 0}, {-1, 2e-5}, {1, -1.2e-5}, true},
        {{1, 0}, {0, 1}, {-1, -1}, true}, {{1, 0}, {0, 1}, {0.5, -1}, true}, {{1, 0}, {0, 1}, {2, 0}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(InSector(c.x, c.y, c.z), c.inside) << c.z.X << "," << c.z.Y;
    EXPECT_TRUE(SameDirAny({1, 0}, {0, 1}, {1, 0.000001}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {1, 0.001}));
    EXPECT_FALSE(SameDirAny({1, 0}, {0, 1}, {-1, 0}));
}

}  // namespace
}  // namespace zv
