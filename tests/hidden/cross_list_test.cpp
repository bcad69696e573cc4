#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/polygon2d.h"
#include "hidden/cross_list.h"

namespace zv {
namespace {

// A TXY outline owned by the test.
struct Outline {
    TPointArray array{};
    Outline(std::initializer_list<TXY> points) : Outline(std::vector<TXY>(points)) {}
    explicit Outline(const std::vector<TXY>& points) {
        ArrayInit(array, 16, 5);
        for (const TXY& p : points) ArrayAdd(array, &p);
    }
    ~Outline() { ArrayClear(array); }
    Outline(const Outline&) = delete;
    std::vector<TXY> Points() const {
        std::vector<TXY> p;
        for (int32_t k = 0; k < array.Count; ++k) p.push_back(array.At<TXY>(k));
        return p;
    }
    // The same outline in the other direction.
    std::vector<TXY> Reversed() const {
        std::vector<TXY> p = Points();
        std::reverse(p.begin(), p.end());
        return p;
    }
    // The same outline with its first point repeated at the end.
    std::vector<TXY> Closed() const {
        std::vector<TXY> p = Points();
        p.push_back(p.front());
        return p;
    }
};

// A crossing list of A against B, set up the way the engine sets it up.
std::unique_ptr<TCrossList> Cross(const Outline& a, const Outline& b, bool keepTouching = false) {
    auto list = std::make_unique<TCrossList>();
    list->OutlineA = a.array;
    list->OutlineB = b.array;
    ComputeCrossings(list->OutlineA, list->OutlineB, *list, keepTouching);
    return list;
}

// The links between the two orderings hold and both are sorted.
void ExpectConsistentOrders(const TCrossList& list) {
    ASSERT_EQ(list.ByB.Count(), list.Count());
    for (int32_t k = 0; k < list.Count(); ++k) {
        const TCross* c = list.Items(k);
        EXPECT_EQ(c->IndexA, k);
        EXPECT_EQ(c->Owner, &list);
        ASSERT_NE(c->BItem, nullptr);
        EXPECT_EQ(c->BItem->Cross, c);
        if (k > 0) {
            EXPECT_LE(list.Items(k - 1)->ParamA, c->ParamA);
        }
    }
    for (int32_t k = 0; k < list.ByB.Count(); ++k) {
        const TBlistitem* e = list.ByBItems(k);
        EXPECT_EQ(e->Index, k);
        EXPECT_EQ(e->Cross->BItem, e);
        if (k > 0) {
            EXPECT_LE(list.ByBItems(k - 1)->Cross->ParamB, e->Cross->ParamB);
        }
    }
}

const Outline kLarge{{0, 0}, {4, 0}, {4, 4}, {0, 4}};

// ---------------------------------------------------------------- true crossings

TEST(CrossList, SquaresOverlappingAtACorner) {
    Outline a{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline b{{1, 1}, {3, 1}, {3, 3}, {1, 3}};
    auto list = Cross(a, b);
    EXPECT_EQ(list->Status, csCrossing);
    ASSERT_EQ(list->Count(), 2);
    const TCross* first = list->Items(0);
    const TCross* second = list->Items(1);
    // A's right edge enters B at (2, 1), A's top edge leaves it at (1, 2).
    EXPECT_DOUBLE_EQ(first->ParamA, 1.5);
    EXPECT_DOUBLE_EQ(first->ParamB, 0.5);
    EXPECT_DOUBLE_EQ(first->Point.X, 2);
    EXPECT_DOUBLE_EQ(first->Point.Y, 1);
    EXPECT_DOUBLE_EQ(second->ParamA, 2.5);
    EXPECT_DOUBLE_EQ(second->ParamB, 3.5);
    EXPECT_DOUBLE_EQ(second->Point.X, 1);
    EXPECT_DOUBLE_EQ(second->Point.Y, 2);
    // A turns to the left of B's bottom edge, then to the right of its left edge.
    EXPECT_EQ(first->DirA, -1);
    EXPECT_EQ(first->DirB, 1);
    EXPECT_EQ(second->DirA, 1);
    EXPECT_EQ(second->DirB, -1);
    EXPECT_EQ(first->Tag, 0);
    EXPECT_EQ(first->SortIndex, 0);
    ASSERT_EQ(list->ByB.Count(), 2);
    EXPECT_EQ(list->ByBItems(0)->Cross, first);
    EXPECT_EQ(list->ByBItems(1)->Cross, second);
    ExpectConsistentOrders(*list);
}

TEST(CrossList, ExchangedRolesExchangeTheParameters) {
    Outline a{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline b{{1, 1}, {3, 1}, {3, 3}, {1, 3}};
    auto ab = Cross(a, b);
    auto ba = Cross(b, a);
    ASSERT_EQ(ba->Count(), 2);
    EXPECT_EQ(ba->Status, csCrossing);
    // B's bottom edge leaves A at (2, 1): first along B, second along A.
    EXPECT_DOUBLE_EQ(ba->Items(0)->ParamA, ab->Items(0)->ParamB);
    EXPECT_DOUBLE_EQ(ba->Items(0)->ParamB, ab->Items(0)->ParamA);
    EXPECT_EQ(ba->Items(0)->DirA, 1);
    EXPECT_EQ(ba->Items(1)->DirA, -1);
    // ByB of the exchanged list follows the order along the first list's A.
    EXPECT_DOUBLE_EQ(ba->ByBItems(0)->Cross->ParamB, 1.5);
    ExpectConsistentOrders(*ba);
}

// ---------------------------------------------------------------- containment

TEST(CrossList, SmallSquareInsideLargeInEveryOrientation) {
    Outline small{{1, 1}, {2, 1}, {2, 2}, {1, 2}};
    Outline smallReversed(small.Reversed());
    Outline largeReversed(kLarge.Reversed());
    for (const Outline* s : {&small, &smallReversed}) {
        for (const Outline* l : std::initializer_list<const Outline*>{&kLarge, &largeReversed}) {
            auto inside = Cross(*s, *l);
            EXPECT_EQ(inside->Status, csAInsideB);
            EXPECT_EQ(inside->Count(), 0);
            auto around = Cross(*l, *s);
            EXPECT_EQ(around->Status, csBInsideA);
            EXPECT_EQ(around->Count(), 0);
            EXPECT_EQ(around->ByB.Count(), 0);
        }
    }
}

TEST(CrossList, SquareTouchingFromInsideStaysInside) {
    // Touching the large square along part of its bottom edge, at a vertex of
    // its bottom edge, and in its corner: in every orientation the small one
    // lies inside and the large one contains it.
    const std::vector<std::vector<TXY>> touching = {
        {{1, 0}, {2, 0}, {2, 1}, {1, 1}},
        {{2, 1}, {1, 1}, {1, 0}, {2, 0}},
        {{2, 0}, {3, 1}, {2, 2}, {1, 1}},
        {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
        {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
    };
    Outline largeReversed(kLarge.Reversed());
    for (const auto& points : touching) {
        Outline forward(points);
        Outline backward(forward.Reversed());
        for (const Outline* s : {&forward, &backward}) {
            for (const Outline* l : std::initializer_list<const Outline*>{&kLarge, &largeReversed}) {
                auto inside = Cross(*s, *l);
                EXPECT_EQ(inside->Status, csAInsideB) << "small point 0 (" << points[0].X << "," << points[0].Y << ")";
                EXPECT_EQ(inside->Count(), 0);
                auto around = Cross(*l, *s);
                EXPECT_EQ(around->Status, csBInsideA) << "small point 0 (" << points[0].X << "," << points[0].Y << ")";
                EXPECT_EQ(around->Count(), 0);
            }
        }
    }
}

TEST(CrossList, InsideWithAStretchAlongTheOuterEdgeAfterATouchingVertex) {
    // The first contact of the walk is a touching vertex on the bottom edge, so
    // no exchanged classification tells the sense of B; the stretch along the
    // right edge is then read as running in the same sense.
    Outline a{{2, 0}, {4, 1}, {4, 2}, {1, 2}};
    auto list = Cross(a, kLarge);
    EXPECT_EQ(list->Status, csAInsideB);
    EXPECT_EQ(list->Count(), 0);
    // With the touching contacts kept, the two ends of the stretch remain.
    auto kept = Cross(a, kLarge, true);
    EXPECT_EQ(kept->Status, csAInsideB);
    ASSERT_EQ(kept->Count(), 2);
    EXPECT_EQ(kept->Items(0)->DirA * kept->Items(0)->DirB, 0);
    EXPECT_EQ(kept->Items(1)->DirA * kept->Items(1)->DirB, 0);
    ExpectConsistentOrders(*kept);
}

TEST(CrossList, SquaresFarApart) {
    Outline a{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Outline b{{10, 10}, {11, 10}, {11, 11}, {10, 11}};
    auto list = Cross(a, b);
    EXPECT_EQ(list->Status, csApart);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->ByB.Count(), 0);
}

// ---------------------------------------------------------------- touching

TEST(CrossList, SquaresTouchingAtOneCornerFromOutside) {
    Outline a{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Outline b{{1, 1}, {2, 1}, {2, 2}, {1, 2}};
    auto list = Cross(a, b);
    EXPECT_EQ(list->Status, csTouching);
    EXPECT_EQ(list->Count(), 0);
    // A touching contact is dropped even when touching contacts are kept.
    auto kept = Cross(a, b, true);
    EXPECT_EQ(kept->Status, csTouching);
    EXPECT_EQ(kept->Count(), 0);
}

TEST(CrossList, CornerContactIsClassifiedAsTouching) {
    // A's edge (1,0)->(1,1) and B's edge (1,2)->(1,1) end at the shared corner.
    bool secondPass = false;
    TXY point{};
    int32_t dirA = 7, dirB = 7;
    double tA = 0, tB = 0;
    ASSERT_TRUE(ClassifyEdgePair({1, 0}, {1, 1}, {1, 2}, {1, 1}, {0, 1}, {2, 1}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_EQ(dirA, 1);
    EXPECT_EQ(dirB, 1);
    EXPECT_DOUBLE_EQ(point.X, 1);
    EXPECT_DOUBLE_EQ(point.Y, 1);
    EXPECT_FALSE(secondPass);
    // The edges that start at the corner do not report it again.
    EXPECT_FALSE(ClassifyEdgePair({1, 1}, {0, 1}, {1, 1}, {2, 1}, {0, 0}, {2, 2}, secondPass, point, dirA,
                                  dirB, tA, tB));
}

TEST(CrossList, PassingThroughAtAVertexOfAInsideAnEdgeOfB) {
    // A's point (2, 0) lies inside B's bottom edge; A comes from below and goes on
    // inside B, then leaves B through the bottom edge at (3, 0).
    Outline a{{1, -1}, {2, 0}, {3, 1}, {3, -1}};
    auto list = Cross(a, kLarge);
    EXPECT_EQ(list->Status, csCrossing);
    ASSERT_EQ(list->Count(), 2);
    const TCross* atVertex = list->Items(0);
    // Recorded once, on the A edge that ends there: an integer ParamA.
    EXPECT_DOUBLE_EQ(atVertex->ParamA, 1.0);
    EXPECT_DOUBLE_EQ(atVertex->ParamB, 0.5);
    EXPECT_EQ(atVertex->DirA, -1);
    EXPECT_EQ(atVertex->DirB, 1);
    EXPECT_DOUBLE_EQ(list->Items(1)->ParamA, 2.5);
    EXPECT_EQ(list->Items(1)->DirA, 1);
    ExpectConsistentOrders(*list);
}

TEST(CrossList, OnlyTouchingAtAVertexOfAInsideAnEdgeOfB) {
    Outline a{{1, -1}, {2, 0}, {3, -1}};
    auto list = Cross(a, kLarge);
    EXPECT_EQ(list->Status, csTouching);
    EXPECT_EQ(list->Count(), 0);
    // The contact itself carries codes of equal sign.
    bool secondPass = false;
    TXY point{};
    int32_t dirA = 0, dirB = 0;
    double tA = 0, tB = 0;
    ASSERT_TRUE(ClassifyEdgePair({1, -1}, {2, 0}, {0, 0}, {4, 0}, {3, -1}, {4, 4}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_EQ(dirA * dirB, 1);
}

TEST(CrossList, BVertexInsideAnEdgeOfA) {
    // The same contacts with the roles exchanged: B's vertex inside A's edge.
    Outline passing{{1, -1}, {2, 0}, {3, 1}, {3, -1}};
    auto through = Cross(kLarge, passing);
    EXPECT_EQ(through->Status, csCrossing);
    ASSERT_EQ(through->Count(), 2);
    EXPECT_DOUBLE_EQ(through->Items(0)->ParamA, 0.5);
    EXPECT_DOUBLE_EQ(through->Items(0)->ParamB, 1.0);
    EXPECT_EQ(through->Items(0)->DirA, -through->Items(1)->DirA);
    Outline touching{{1, -1}, {2, 0}, {3, -1}};
    auto touch = Cross(kLarge, touching);
    EXPECT_EQ(touch->Status, csTouching);
    EXPECT_EQ(touch->Count(), 0);
}

TEST(CrossList, OutlinesRunningAlongEachOtherFromOutside) {
    // A's bottom edge (0,0)->(2,0) and B's edge (3,0)->(1,0) share the stretch
    // (1,0)-(2,0) in opposite directions; B lies above, A below. Both ends of
    // the stretch come from the one edge pair, the second by a second pass.
    Outline a{{0, 0}, {2, 0}, {2, -1}, {0, -1}};
    Outline b{{3, 0}, {1, 0}, {1, 1}, {3, 1}};
    auto kept = Cross(a, b, true);
    ASSERT_EQ(kept->Count(), 2);
    EXPECT_DOUBLE_EQ(kept->Items(0)->ParamA, 0.5);
    EXPECT_DOUBLE_EQ(kept->Items(0)->ParamB, 1.0);
    EXPECT_DOUBLE_EQ(kept->Items(1)->ParamA, 1.0);
    EXPECT_DOUBLE_EQ(kept->Items(1)->ParamB, 0.5);
    EXPECT_EQ(kept->Items(0)->DirA * kept->Items(0)->DirB, 0);
    EXPECT_EQ(kept->Items(1)->DirA * kept->Items(1)->DirB, 0);
    EXPECT_EQ(kept->Status, csApart);
    ExpectConsistentOrders(*kept);
    auto list = Cross(a, b);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Status, csApart);
    // A running the other way meets the same stretch on two edge pairs.
    Outline reversed(a.Reversed());
    auto other = Cross(reversed, b, true);
    ASSERT_EQ(other->Count(), 2);
    EXPECT_EQ(other->Status, csApart);
}

TEST(CrossList, ArrivingAlongBWithBEndingInsideTheEdgeSetsSecondPass) {
    // a1 = (2,0) inside B's edge (3,0)->(1,0), whose end b1 = (1,0) lies inside
    // A's edge: the second call classifies b1.
    bool secondPass = false;
    TXY point{};
    int32_t dirA = 0, dirB = 0;
    double tA = 0, tB = 0;
    ASSERT_TRUE(ClassifyEdgePair({0, 0}, {2, 0}, {3, 0}, {1, 0}, {2, -1}, {1, 1}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_TRUE(secondPass);
    EXPECT_DOUBLE_EQ(tA, 1.0);
    EXPECT_DOUBLE_EQ(point.X, 2.0);
    EXPECT_EQ(dirA * dirB, 0);
    ASSERT_TRUE(ClassifyEdgePair({0, 0}, {2, 0}, {3, 0}, {1, 0}, {2, -1}, {1, 1}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_FALSE(secondPass);
    EXPECT_DOUBLE_EQ(tA, 0.5);
    EXPECT_DOUBLE_EQ(tB, 1.0);
    EXPECT_DOUBLE_EQ(point.X, 1.0);
    EXPECT_EQ(dirA * dirB, 0);
}

TEST(CrossList, InteriorCrossingSides) {
    bool secondPass = false;
    TXY point{};
    int32_t dirA = 0, dirB = 0;
    double tA = 0, tB = 0;
    // A upwards across B running to +x: A passes to B's left.
    ASSERT_TRUE(ClassifyEdgePair({1, -1}, {1, 1}, {0, 0}, {2, 0}, {0, 1}, {2, 1}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_EQ(dirA, -1);
    EXPECT_EQ(dirB, 1);
    EXPECT_DOUBLE_EQ(tA, 0.5);
    EXPECT_DOUBLE_EQ(tB, 0.5);
    // Downwards: to the right.
    ASSERT_TRUE(ClassifyEdgePair({1, 1}, {1, -1}, {0, 0}, {2, 0}, {0, 1}, {2, 1}, secondPass, point, dirA,
                                 dirB, tA, tB));
    EXPECT_EQ(dirA, 1);
    EXPECT_EQ(dirB, -1);
    // Lines that meet beyond the end of an edge are no contact.
    EXPECT_FALSE(ClassifyEdgePair({1, 1}, {1, 0.5}, {0, 0}, {2, 0}, {0, 1}, {2, 1}, secondPass, point, dirA,
                                  dirB, tA, tB));
}

// ---------------------------------------------------------------- parameters at the end of A

TEST(CrossList, CrossingOnTheLastEdgeOfA) {
    Outline a{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline b{{-1, 0.5}, {1, 0.5}, {1, 1.5}, {-1, 1.5}};
    auto list = Cross(a, b);
    ASSERT_EQ(list->Count(), 2);
    for (int32_t k = 0; k < 2; ++k) {
        EXPECT_GE(list->Items(k)->ParamA, 3.0);
        EXPECT_LT(list->Items(k)->ParamA, 4.0);
    }
    EXPECT_DOUBLE_EQ(list->Items(0)->ParamA, 3.25);
    EXPECT_DOUBLE_EQ(list->Items(1)->ParamA, 3.75);
}

TEST(CrossList, CrossingAtTheEndOfTheLastEdgeWrapsToZero) {
    // A passes into B's triangle exactly at its own point 0.
    Outline a{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline b{{-1, -1}, {1, 1}, {1, -1}};
    auto list = Cross(a, b);
    EXPECT_EQ(list->Status, csCrossing);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_TRUE(EqualTol(list->Items(0)->ParamA, 0.0));
    EXPECT_LT(list->Items(0)->ParamA, 1.0);
    EXPECT_DOUBLE_EQ(list->Items(0)->ParamB, 0.5);
    EXPECT_EQ(list->Items(0)->DirA, 1);
    EXPECT_DOUBLE_EQ(list->Items(1)->ParamA, 0.5);
    EXPECT_EQ(list->Items(1)->DirA, -1);
}

// ---------------------------------------------------------------- closed outlines

// Crossings of closed outlines (last point = first) agree with those of the
// open ones: same points, codes and status, parameters equal modulo the open
// point counts.
void ExpectClosedLikeOpen(const Outline& a, const Outline& b, bool keepTouching) {
    Outline closedA(a.Closed());
    Outline closedB(b.Closed());
    auto open = Cross(a, b, keepTouching);
    auto closed = Cross(closedA, closedB, keepTouching);
    EXPECT_EQ(closed->Status, open->Status);
    ASSERT_EQ(closed->Count(), open->Count());
    const double nA = a.array.Count, nB = b.array.Count;
    for (int32_t k = 0; k < open->Count(); ++k) {
        const TCross* o = open->Items(k);
        const TCross* match = nullptr;
        for (int32_t m = 0; m < closed->Count(); ++m)
            if (EqualXY(closed->Items(m)->Point, o->Point)) match = closed->Items(m);
        ASSERT_NE(match, nullptr) << "crossing at (" << o->Point.X << "," << o->Point.Y << ")";
        EXPECT_EQ(match->DirA, o->DirA);
        EXPECT_EQ(match->DirB, o->DirB);
        EXPECT_TRUE(EqualTol(std::fmod(match->ParamA, nA), std::fmod(o->ParamA + nA, nA)));
        EXPECT_TRUE(EqualTol(std::fmod(match->ParamB, nB), std::fmod(o->ParamB + nB, nB)));
    }
    ExpectConsistentOrders(*closed);
}

TEST(CrossList, ClosedOutlinesGiveTheSameCrossingsAsOpenOnes) {
    Outline square{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline corner{{1, 1}, {3, 1}, {3, 3}, {1, 3}};
    Outline triangle{{-1, -1}, {1, 1}, {1, -1}};
    Outline passing{{1, -1}, {2, 0}, {3, 1}, {3, -1}};
    Outline touchingCorner{{2, 2}, {3, 2}, {3, 3}, {2, 3}};
    Outline small{{1, 1}, {2, 1}, {2, 2}, {1, 2}};
    Outline along{{2, 0}, {4, 1}, {4, 2}, {1, 2}};
    for (bool keep : {false, true}) {
        ExpectClosedLikeOpen(square, corner, keep);
        ExpectClosedLikeOpen(corner, square, keep);
        ExpectClosedLikeOpen(square, triangle, keep);  // crossing at A's point 0
        ExpectClosedLikeOpen(triangle, square, keep);  // at B's point 0
        ExpectClosedLikeOpen(passing, kLarge, keep);
        ExpectClosedLikeOpen(square, touchingCorner, keep);
        ExpectClosedLikeOpen(small, kLarge, keep);
        ExpectClosedLikeOpen(kLarge, small, keep);
        ExpectClosedLikeOpen(along, kLarge, keep);
    }
}

// ---------------------------------------------------------------- ordering

TEST(CrossList, AddCrossKeepsParamAOrder) {
    TCrossList list;
    list.OrientA = 1;
    list.OrientB = 1;
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 0, -1, 0, 2.0), 0);
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 0, -1, 0, 0.5), 0);
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 0, -1, 0, 3.0), 2);
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 7, -1, 0, 1.0), 1);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Items(1)->Tag, 7);
    EXPECT_EQ(list.Items(1)->Owner, &list);
    for (int32_t k = 1; k < 4; ++k) EXPECT_LT(list.Items(k - 1)->ParamA, list.Items(k)->ParamA);
}

TEST(CrossList, TieRuleWithEqualOrientation) {
    TCrossList list;
    list.OrientA = -1;
    list.OrientB = -1;
    AddCross(list, {0, 0}, -1, 0, 1, 0, 1.0);
    // Within the tolerance: DirA = -1, DirB = +1 arrives after the first.
    EXPECT_EQ(AddCross(list, {0, 0}, -1, 1, 1, 0, 1.000004), 1);
    // DirA = +1 (DirB = -1) moves one place back, not more.
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 2, -1, 0, 0.999996), 1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0)->Tag, 0);
    EXPECT_EQ(list.Items(1)->Tag, 2);
    EXPECT_EQ(list.Items(2)->Tag, 1);
    // A clearly greater parameter is not affected by the rule.
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 3, -1, 0, 1.1), 3);
}

TEST(CrossList, TieRuleWithOppositeOrientation) {
    TCrossList list;
    list.OrientA = 1;
    list.OrientB = -1;
    AddCross(list, {0, 0}, 1, 0, -1, 0, 1.0);
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 1, -1, 0, 1.000004), 1);
    EXPECT_EQ(AddCross(list, {0, 0}, -1, 2, 1, 0, 1.000004), 1);
    // Half contacts: DirB = +1 alone moves back, DirA = +1 alone does not.
    EXPECT_EQ(AddCross(list, {0, 0}, 0, 3, 1, 0, 1.000008), 2);
    EXPECT_EQ(AddCross(list, {0, 0}, 1, 4, 0, 0, 1.000008), 4);
}

TEST(CrossList, RecomputingStartsFromAnEmptyList) {
    Outline a{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Outline b{{1, 1}, {3, 1}, {3, 3}, {1, 3}};
    auto list = Cross(a, b);
    ComputeCrossings(a.array, b.array, *list, false);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->ByB.Count(), 2);
    ExpectConsistentOrders(*list);
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->ByB.Count(), 0);
    // The views stay untouched.
    EXPECT_EQ(list->OutlineA.Data, a.array.Data);
    EXPECT_EQ(a.array.Count, 4);
}

// ---------------------------------------------------------------- bad input

TEST(CrossList, OutlinesWithFewerThanTwoPointsGiveStatusZero) {
    Outline one{{1, 1}};
    Outline none{};
    for (const Outline* few : {&one, &none}) {
        auto asA = Cross(*few, kLarge);
        EXPECT_EQ(asA->Status, csNotComputed);
        EXPECT_EQ(asA->Count(), 0);
        auto asB = Cross(kLarge, *few);
        EXPECT_EQ(asB->Status, csNotComputed);
        EXPECT_EQ(asB->Count(), 0);
    }
    // An array that does not hold TXY points is refused the same way.
    TPointArray values{};
    ArrayInit(values, 8, 5);
    ArraySetCount(values, 4);
    TCrossList list;
    ComputeCrossings(values, kLarge.array, list, false);
    EXPECT_EQ(list.Status, csNotComputed);
    EXPECT_EQ(list.Count(), 0);
    ArrayClear(values);
}

TEST(CrossList, NonFiniteCoordinatesEndWithoutCrash) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Outline withNaN{{0, 0}, {nan, 1}, {2, 2}, {1, nan}};
    Outline allNaN{{nan, nan}, {nan, nan}, {nan, nan}};
    Outline withInf{{-inf, 1}, {inf, 1}, {2, inf}};
    for (const Outline* bad : {&withNaN, &allNaN, &withInf}) {
        for (bool keep : {false, true}) {
            auto asA = Cross(*bad, kLarge, keep);
            ExpectConsistentOrders(*asA);
            EXPECT_LE(asA->Status, csTouching);
            auto asB = Cross(kLarge, *bad, keep);
            ExpectConsistentOrders(*asB);
            EXPECT_LE(asB->Status, csTouching);
        }
    }
}

TEST(CrossList, OutlineOfOnePointRepeated) {
    Outline dot{{1, 1}, {1, 1}, {1, 1}};
    EXPECT_DOUBLE_EQ(NextDistinctVertex(dot.array, 0).X, 1);
    auto list = Cross(dot, kLarge);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Status, csAInsideB);
    // Many repeated points on an edge of the other outline: no contact, and
    // the search for distinct points stays bounded.
    Outline many(std::vector<TXY>(2000, TXY{2, 0}));
    auto onEdge = Cross(many, kLarge);
    EXPECT_EQ(onEdge->Count(), 0);
    EXPECT_EQ(onEdge->Status, csAInsideB);
}

TEST(CrossList, NextDistinctVertexSkipsRepeatedPoints) {
    Outline closed{{0, 0}, {1, 0}, {1, 1}, {0, 0}};
    const TXY after = NextDistinctVertex(closed.array, 3);
    EXPECT_DOUBLE_EQ(after.X, 1);
    EXPECT_DOUBLE_EQ(after.Y, 0);
    const TXY next = NextDistinctVertex(closed.array, 1);
    EXPECT_DOUBLE_EQ(next.Y, 1);
    Outline none{};
    const TXY empty = NextDistinctVertex(none.array, 0);
    EXPECT_DOUBLE_EQ(empty.X, 0);
}

// ---------------------------------------------------------------- property

// A polygon that is star-shaped around a random centre: its vertices sorted
// by angle with every angular gap below a half turn, so it is simple. One in
// three is small enough to fit inside another.
std::vector<TXY> RandomStar(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(3, 12);
    std::uniform_real_distribution<double> centre(0, 6), angle(0, 2 * std::numbers::pi);
    std::bernoulli_distribution small(1.0 / 3);
    std::uniform_real_distribution<double> radius = small(rng) ? std::uniform_real_distribution<double>(0.2, 0.8)
                                                               : std::uniform_real_distribution<double>(1, 4);
    const TXY c{centre(rng), centre(rng)};
    std::vector<double> angles;
    for (;;) {
        angles.clear();
        for (int k = count(rng); k > 0; --k) angles.push_back(angle(rng));
        std::sort(angles.begin(), angles.end());
        double widest = angles.front() + 2 * std::numbers::pi - angles.back();
        for (size_t k = 1; k < angles.size(); ++k) widest = std::max(widest, angles[k] - angles[k - 1]);
        if (widest < 0.95 * std::numbers::pi) break;
    }
    std::vector<TXY> points;
    for (double a : angles) {
        const double r = radius(rng);
        points.push_back({c.X + r * std::cos(a), c.Y + r * std::sin(a)});
    }
    return points;
}

struct BruteCrossing {
    double paramA, paramB;
    TXY point;
    int32_t dirA;
};

// Every proper crossing of the edges of a and b, or false when a pair is too
// close to a degenerate contact to be in general position.
bool BruteCrossings(const std::vector<TXY>& a, const std::vector<TXY>& b, std::vector<BruteCrossing>& out) {
    const size_t na = a.size(), nb = b.size();
    for (size_t i = 0; i < nb; ++i) {
        const TXY b0 = b[i], b1 = b[(i + 1) % nb];
        const double bx = b1.X - b0.X, by = b1.Y - b0.Y;
        for (size_t j = 0; j < na; ++j) {
            const TXY a0 = a[j], a1 = a[(j + 1) % na];
            const double ax = a1.X - a0.X, ay = a1.Y - a0.Y;
            const double den = bx * ay - by * ax;
            if (std::fabs(den) < 1e-6) return false;
            const double wx = a0.X - b0.X, wy = a0.Y - b0.Y;
            const double t = (wx * by - wy * bx) / den;
            const double u = (wx * ay - wy * ax) / den;
            const double margin = 1e-4;
            const bool nearA = t > -margin && t < 1 + margin, nearB = u > -margin && u < 1 + margin;
            if (nearA && nearB) {
                if (t < margin || t > 1 - margin || u < margin || u > 1 - margin) return false;
                // A turning counter-clockwise from B's direction passes to its left.
                out.push_back({j + t, i + u, {a0.X + t * ax, a0.Y + t * ay}, den > 0 ? -1 : 1});
            }
        }
    }
    return true;
}

bool InsideEvenOdd(const TXY& p, const std::vector<TXY>& poly) {
    bool inside = false;
    for (size_t k = 0, m = poly.size() - 1; k < poly.size(); m = k++) {
        const TXY& r = poly[k];
        const TXY& q = poly[m];
        if ((r.Y > p.Y) != (q.Y > p.Y) && p.X < (q.X - r.X) * (p.Y - r.Y) / (q.Y - r.Y) + r.X) inside = !inside;
    }
    return inside;
}

TEST(CrossList, PropertyRandomPolygonsMatchBruteForce) {
    std::mt19937 rng(31337);
    int pairs = 0, crossings = 0, contained = 0;
    while (pairs < 2000) {
        const std::vector<TXY> pa = RandomStar(rng), pb = RandomStar(rng);
        std::vector<BruteCrossing> expected;
        if (!BruteCrossings(pa, pb, expected)) continue;
        ++pairs;
        Outline a(pa), b(pb);
        auto list = Cross(a, b);
        ASSERT_EQ(list->Count(), static_cast<int32_t>(expected.size())) << "pair " << pairs;
        crossings += list->Count();
        for (const BruteCrossing& e : expected) {
            const TCross* found = nullptr;
            for (int32_t k = 0; k < list->Count(); ++k)
                if (std::fabs(list->Items(k)->ParamA - e.paramA) < 1e-7) found = list->Items(k);
            ASSERT_NE(found, nullptr) << "pair " << pairs << " ParamA " << e.paramA;
            EXPECT_NEAR(found->ParamB, e.paramB, 1e-7);
            EXPECT_NEAR(found->Point.X, e.point.X, 1e-7);
            EXPECT_NEAR(found->Point.Y, e.point.Y, 1e-7);
            EXPECT_EQ(found->DirA, e.dirA);
            EXPECT_EQ(found->DirB, -e.dirA);
        }
        // Along A the crossings alternate between entering and leaving B.
        for (int32_t k = 0; k < list->Count(); ++k)
            EXPECT_EQ(list->Items(k)->DirA, -list->Items((k + 1) % list->Count())->DirA) << "pair " << pairs;
        // ByB by ParamB, strictly, since the crossings are distinct.
        for (int32_t k = 1; k < list->ByB.Count(); ++k)
            EXPECT_LT(list->ByBItems(k - 1)->Cross->ParamB, list->ByBItems(k)->Cross->ParamB);
        ExpectConsistentOrders(*list);
        if (expected.empty()) {
            const uint8_t status = InsideEvenOdd(pa[0], pb)   ? csAInsideB
                                   : InsideEvenOdd(pb[0], pa) ? csBInsideA
                                                              : csApart;
            EXPECT_EQ(list->Status, status) << "pair " << pairs;
            if (status != csApart) ++contained;
        } else {
            EXPECT_EQ(list->Status, csCrossing);
        }
        // The closed forms of the same outlines agree.
        ExpectClosedLikeOpen(a, b, false);
    }
    // The sample covers crossings and both kinds of containment.
    EXPECT_GT(crossings, 2000);
    EXPECT_GT(contained, 50);
}

}  // namespace
}  // namespace zv

namespace zv {
namespace {

TEST(CrossList, ContainmentOfTouchingOutlinesIsReadOffPointsClearOfTheOther) {
    // A touches B's bottom edge at a vertex first, then runs along B's right edge.
    Outline outer{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    Outline inner{{1, 2}, {4, 2}, {4, 1}, {2, 0}};
    EXPECT_EQ(Cross(inner, outer)->Status, csAInsideB);
    EXPECT_EQ(Cross(outer, inner)->Status, csBInsideA);
    Outline innerReversed(inner.Reversed());
    EXPECT_EQ(Cross(innerReversed, outer)->Status, csAInsideB);
    // The same outline outside B, touching it at a vertex and along an edge.
    Outline outside{{5, 2}, {4, 2}, {4, 1}, {6, 0}};
    EXPECT_NE(Cross(outside, outer)->Status, csAInsideB);
    EXPECT_NE(Cross(outside, outer)->Status, csBInsideA);
}

}  // namespace
}  // namespace zv
