// The ZVSD exports against a hostile host: non-finite and extreme coordinates,
// callbacks that answer NaN, infinity or huge values, and callbacks that call
// every export (freeing their own handle or another one included) while a
// calculation or a drawing runs.  Every case must end with defined results.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "zvhlr.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Points = std::vector<TXYZ>;

// Clockwise in the x/y plane: faces a viewer on +z under FrontPositive.
Points Square(double x0, double y0, double x1, double y1, double z) {
    return {{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}};
}

Points Shifted(Points points, double offset) {
    for (TXYZ& p : points) {
        p.X += offset;
        p.Y += offset;
        p.Z += offset;
    }
    return points;
}

// The back square and the square in front of it that covers the middle of its
// right edge: that edge (segment 2, from (10,10) down to (10,0)) is hidden
// between y = 8 and y = 2, that is between parameters 2.2 and 2.8.
const Points backSquare = Square(0, 0, 10, 10, 0);
const Points frontSquare = Square(5, 2, 15, 8, 1);
const std::vector<double> backMask = {1.0, 2.2, 2.8};

// Parallel view along z: the viewer looks from +z.
double PlaneDepth(const TXYZ& p, const TPlane& plane) {
    const TXYZ& n = plane.Normal;
    if (std::fabs(n.Z) < 1e-12) return 0.0;
    return ((p.X - plane.Origin.X) * n.X + (p.Y - plane.Origin.Y) * n.Y + (p.Z - plane.Origin.Z) * n.Z) / n.Z;
}

// What a test host answers; one per test, reached through a global because the
// C callbacks carry only the handle.
struct Host {
    std::function<void(ZVSDHandle, const TXYZ&, TXY&)> project = [](ZVSDHandle, const TXYZ& p, TXY& q) {
        q = TXY{p.X, p.Y};
    };
    std::function<double(ZVSDHandle, const TXYZ&, const TPlane&)> depth = [](ZVSDHandle, const TXYZ& p,
                                                                              const TPlane& plane) {
        return PlaneDepth(p, plane);
    };
    std::function<void(ZVSDHandle)> inCallback;  // run from every callback while set
    int moves = 0, lines = 0, begins = 0, ends = 0;
};
Host* host = nullptr;

void Project(ZVSDHandle h, const TXYZ* p, TXY* out) {
    host->project(h, *p, *out);
    if (host->inCallback) host->inCallback(h);
}
double Depth(ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ*) {
    if (host->inCallback) host->inCallback(h);
    return host->depth(h, *p, *plane);
}
void MoveTo(ZVSDHandle h, const TXY*) {
    ++host->moves;
    if (host->inCallback) host->inCallback(h);
}
void LineTo(ZVSDHandle h, int32_t, const TXY*) {
    ++host->lines;
    if (host->inCallback) host->inCallback(h);
}
void Begin(ZVSDHandle) { ++host->begins; }
void End(ZVSDHandle) { ++host->ends; }

class Hardening : public testing::Test {
protected:
    void SetUp() override {
        host = &answers;
        h = NewHandle();
    }
    void TearDown() override {
        ZVSDFree(h);
        host = nullptr;
    }
    static ZVSDHandle NewHandle() {
        ZVSDHandle handle = ZVSDCreate();
        TZVSDData d;
        _ZVSDGetData(handle, &d);
        d.ProjectProc = Project;
        d.DepthProc = Depth;
        d.MoveToProc = MoveTo;
        d.LineToProc = LineTo;
        d.BeginProc = Begin;
        d.EndProc = End;
        _ZVSDSetData(handle, &d);
        return handle;
    }
    static int32_t Add(ZVSDHandle handle, const Points& points) {
        return ZVSDAddContour(handle, static_cast<int32_t>(points.size()), points.data());
    }
    static int32_t AddHole(ZVSDHandle handle, const Points& points) {
        return ZVSDAddHole(handle, static_cast<int32_t>(points.size()), points.data());
    }
    static int32_t ItemCount(ZVSDHandle handle) {
        TZVSDData d;
        return _ZVSDGetData(handle, &d) == 0 ? d.ItemCount : -1;
    }
    static std::vector<double> Mask(ZVSDHandle handle, int32_t index) {
        const int32_t count = ZVSDGetMask(handle, index, nullptr);
        if (count < 0) {
            ADD_FAILURE() << "no item " << index;
            return {};
        }
        std::vector<double> mask(count);
        EXPECT_EQ(ZVSDGetMask(handle, index, mask.data()), 0);
        return mask;
    }
    // Adds the scenes' items in one bracket, which calculates once.
    void AddScene(const std::vector<Points>& contours) {
        ZVSDSetChanging(h, 1);
        for (const Points& c : contours) Add(h, c);
        ZVSDSetChanging(h, 0);
    }
    Host answers;
    ZVSDHandle h = nullptr;
};

void ExpectMask(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-5) << "value " << k;
}

// ---------------------------------------------------------------- non-finite contours

TEST_F(Hardening, ContoursWithNonFiniteCoordinatesAreRejectedLikeDegenerateOnes) {
    EXPECT_EQ(Add(h, Square(0, 0, 1, 1, kNaN)), -1);  // on an empty buffer: -1
    ASSERT_EQ(Add(h, backSquare), 0);
    for (double bad : {kNaN, kInf, -kInf}) {
        Points p = frontSquare;
        p[2].X = bad;
        EXPECT_EQ(Add(h, p), 0) << bad;  // names the previous last item
        p = frontSquare;
        p[0].Z = bad;
        EXPECT_EQ(AddHole(h, p), 0) << bad;
    }
    EXPECT_EQ(ItemCount(h), 1);
    EXPECT_EQ(answers.begins, 1);  // a rejected contour does not calculate
    ExpectMask(Mask(h, 0), {1.0});
}

TEST_F(Hardening, AContourWhoseNormalOverflowsIsRejected) {
    // Finite points, but the Newell sum of their cross products is infinite.
    EXPECT_EQ(Add(h, Square(-1e200, -1e200, 1e200, 1e200, 0)), -1);
    EXPECT_EQ(ItemCount(h), 0);
}

// ---------------------------------------------------------------- non-finite projections

TEST_F(Hardening, AnItemWhoseProjectionIsNotFiniteTakesNoPartAndIsHidden) {
    const Points marked = Square(3, 3, 7, 7, 5);  // z = 5 marks the item the host cannot place
    for (double bad : {kNaN, kInf, -kInf}) {
        ZVSDClear(h);
        answers.project = [bad](ZVSDHandle, const TXYZ& p, TXY& q) {
            q = TXY{p.X, p.Y};
            if (p.Z == 5 && p.X == 7) q.Y = bad;  // two of its five points
        };
        AddScene({backSquare, frontSquare, marked});
        ExpectMask(Mask(h, 0), backMask);  // the others are not affected
        ExpectMask(Mask(h, 1), {1.0});
        ExpectMask(Mask(h, 2), {-1.0});
    }
}

TEST_F(Hardening, AnOccluderThatCannotBeProjectedHidesNothing) {
    answers.project = [](ZVSDHandle, const TXYZ& p, TXY& q) {
        q = TXY{p.Z == 1 && p.X == 5 ? kNaN : p.X, p.Y};  // the front square's left edge
    };
    AddScene({backSquare, frontSquare});
    ExpectMask(Mask(h, 0), {1.0});
    ExpectMask(Mask(h, 1), {-1.0});
}

TEST_F(Hardening, AProjectionThatIsNeverFiniteEndsWithEveryItemHidden) {
    answers.project = [](ZVSDHandle, const TXYZ&, TXY& q) { q = TXY{kNaN, kInf}; };
    const auto start = std::chrono::steady_clock::now();
    AddScene({backSquare, frontSquare, Square(-3, -3, 3, 3, 2)});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    for (int32_t k = 0; k < 3; ++k) ExpectMask(Mask(h, k), {-1.0});
    EXPECT_EQ(answers.begins, answers.ends);
}

TEST_F(Hardening, HugeProjectedCoordinatesEndWithWellFormedMasks) {
    // 1e300 squared overflows: areas and crossing determinants become infinite or NaN.
    answers.project = [](ZVSDHandle, const TXYZ& p, TXY& q) { q = TXY{p.X * 1e300, p.Y * 1e300}; };
    AddScene({backSquare, frontSquare});
    for (int32_t k = 0; k < 2; ++k) {
        std::vector<double> mask = Mask(h, k);
        ASSERT_FALSE(mask.empty());
        EXPECT_TRUE(mask[0] == 1.0 || mask[0] == -1.0);
        for (size_t i = 1; i < mask.size(); ++i) EXPECT_TRUE(mask[i] >= 0.0 && mask[i] <= 4.0);
    }
}

// ---------------------------------------------------------------- non-finite and huge depths

TEST_F(Hardening, DepthsKeepTheirMeaningWhenHugeOrInfinite) {
    const std::vector<std::function<double(double)>> scalings = {
        [](double d) { return d * 1e300; },
        [](double d) { return d > 1e-5 ? kInf : (d < -1e-5 ? -kInf : d); },
        [](double d) { return d > 1e-5 ? std::numeric_limits<double>::max() : d; },
    };
    for (size_t s = 0; s < scalings.size(); ++s) {
        ZVSDClear(h);
        answers.depth = [&, s](ZVSDHandle, const TXYZ& p, const TPlane& plane) {
            return scalings[s](PlaneDepth(p, plane));
        };
        AddScene({backSquare, frontSquare, Square(6, 3, 8, 6, -1)});  // the last one wholly behind the front square
        ExpectMask(Mask(h, 0), backMask);
        ExpectMask(Mask(h, 1), {1.0});
        ExpectMask(Mask(h, 2), {-1.0});
    }
}

TEST_F(Hardening, ADepthOfNaNHidesNothing) {
    answers.depth = [](ZVSDHandle, const TXYZ&, const TPlane&) { return kNaN; };
    AddScene({backSquare, frontSquare, Square(6, 3, 8, 6, -1)});
    for (int32_t k = 0; k < 3; ++k) ExpectMask(Mask(h, k), {1.0});
}

// ---------------------------------------------------------------- far from the origin

TEST_F(Hardening, OcclusionFarFromTheOriginIsTheSameAsNearIt) {
    // At 1e12 neighbouring Doubles are 1.2e-4 apart, coarser than the 1e-5
    // tolerance; the scene's coordinates are whole numbers, which are exact there.
    const double offset = 1e12;
    AddScene({Shifted(backSquare, offset), Shifted(frontSquare, offset), Shifted(Square(6, 3, 8, 6, -1), offset)});
    ExpectMask(Mask(h, 0), backMask);
    ExpectMask(Mask(h, 1), {1.0});
    ExpectMask(Mask(h, 2), {-1.0});
}

TEST_F(Hardening, SmallFacesFarFromTheOriginKeepTheirOrientation) {
    // A unit square at 1e12: twice its area (2) is far below the rounding of
    // the products of its coordinates (1e24 each).
    const double offset = 1e12;
    AddScene({Shifted(Square(0, 0, 1, 1, 0), offset), Shifted(Square(0, 0, 1, 1, 0), -offset)});
    ExpectMask(Mask(h, 0), {1.0});
    ExpectMask(Mask(h, 1), {1.0});
    ZVSDClear(h);
    Points away = Square(0, 0, 1, 1, 0);
    std::swap(away[1], away[3]);  // counter-clockwise: faces away
    AddScene({Shifted(away, offset)});
    ExpectMask(Mask(h, 0), {-1.0});
}

// ---------------------------------------------------------------- callbacks that call back

// Run from the callbacks of `owner`: calls every export on the owner and on
// `other`, and records what the owner's calls gave back.  Calls from the
// callbacks of other handles, and from the nested calls it makes itself, are
// left alone.
struct EveryExport {
    ZVSDHandle owner = nullptr;
    ZVSDHandle other = nullptr;
    bool freeOwner = false, freeOther = false;
    std::vector<int32_t> ownerAdds;    // what the adds to the owner returned
    std::vector<int32_t> ownerCounts;  // the owner's item count through _ZVSDGetData
    int calls = 0;
    bool running = false;

    void operator()(ZVSDHandle self) {
        if (self != owner || running) return;
        running = true;
        ++calls;
        const Points square = Square(20, 20, 30, 30, 0);
        for (ZVSDHandle target : {owner, other}) {
            if (!target) continue;
            TZVSDData d;
            if (_ZVSDGetData(target, &d) == 0) {
                if (target == owner) ownerCounts.push_back(d.ItemCount);
                _ZVSDSetData(target, &d);  // the same settings again
            }
            const int32_t added = ZVSDAddContour(target, 4, square.data());
            const int32_t holeAdded = ZVSDAddHole(target, 4, square.data());
            if (target == owner) ownerAdds.insert(ownerAdds.end(), {added, holeAdded});
            ZVSDSetChanging(target, 1);
            ZVSDSetChanging(target, 0);
            ZVSDChanged(target);
            ZVSDDraw(target, 0);
            ZVSDClear(target);
            for (int32_t k = -1; k <= 2; ++k) {
                std::vector<TXYZ> p3(std::max(0, ZVSDGetArray3d(target, k, nullptr)));
                std::vector<TXY> p2(std::max(0, ZVSDGetArray2d(target, k, nullptr)));
                std::vector<double> mask(std::max(0, ZVSDGetMask(target, k, nullptr)));
                if (!p3.empty()) {
                    EXPECT_EQ(ZVSDGetArray3d(target, k, p3.data()), 0);
                }
                if (!p2.empty()) {
                    EXPECT_EQ(ZVSDGetArray2d(target, k, p2.data()), 0);
                }
                if (!mask.empty()) {
                    EXPECT_EQ(ZVSDGetMask(target, k, mask.data()), 0);
                }
            }
        }
        ZVSDFree(ZVSDCreate());
        if (freeOwner) ZVSDFree(owner);
        if (freeOther && other) {
            ZVSDFree(other);
            other = nullptr;
        }
        running = false;
    }
};

TEST_F(Hardening, EveryExportFromInsideACalculationLeavesTheStoreAsItWas) {
    AddScene({backSquare, frontSquare});
    ZVSDHandle other = NewHandle();
    Add(other, backSquare);
    EveryExport every;
    every.owner = h;
    every.other = other;
    every.freeOwner = true;
    every.freeOther = true;
    answers.inCallback = std::ref(every);
    const int begins = answers.begins;
    ZVSDChanged(h);
    answers.inCallback = nullptr;
    EXPECT_GT(every.calls, 1);                    // the calculation went on after the free was asked for
    EXPECT_EQ(_ZVSDGetData(other, nullptr), -1);  // another handle is freed at once
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);      // its own when the calculation has ended
    for (int32_t count : every.ownerCounts) EXPECT_EQ(count, 2);
    for (int32_t r : every.ownerAdds) EXPECT_EQ(r, 1);  // refused: the index names the last item
    EXPECT_EQ(answers.begins, answers.ends);
    // h's run, and the other handle's runs started by the first round of calls.
    EXPECT_GT(answers.begins - begins, 1);
    h = nullptr;
}

TEST_F(Hardening, EveryExportFromInsideADrawingLeavesTheStoreAsItWas) {
    AddScene({backSquare, frontSquare});
    const std::vector<double> before = Mask(h, 0);
    EveryExport every;
    every.owner = h;
    answers.inCallback = std::ref(every);
    answers.moves = answers.lines = 0;
    ZVSDDraw(h, 0);
    answers.inCallback = nullptr;
    EXPECT_GT(every.calls, 1);
    EXPECT_EQ(ItemCount(h), 2);
    ExpectMask(Mask(h, 0), before);
    for (int32_t count : every.ownerCounts) EXPECT_EQ(count, 2);
    for (int32_t r : every.ownerAdds) EXPECT_EQ(r, 1);
    // The drawing ran to its end: the back square alone takes two moves (its
    // start and the end of the hidden stretch) and five lines, the front
    // square one move and four lines; the nested drawings add more.
    EXPECT_GE(answers.moves, 3);
    EXPECT_GE(answers.lines, 9);
}

TEST_F(Hardening, FreeingFromADrawingWaitsForItsEnd) {
    AddScene({backSquare, frontSquare});
    EveryExport every;
    every.owner = h;
    every.freeOwner = true;
    answers.inCallback = std::ref(every);
    answers.moves = answers.lines = 0;
    ZVSDDraw(h, 0);
    answers.inCallback = nullptr;
    EXPECT_GE(answers.lines, 9);  // both outlines were walked to their end
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);
    h = nullptr;
}

TEST_F(Hardening, AHandleFreedByANestedCalculationOfAnotherIsFreedAfterItsOwnRun) {
    // h's calculation runs other's; other's callback frees h, which is still calculating.
    AddScene({backSquare, frontSquare});
    ZVSDHandle other = NewHandle();
    Add(other, backSquare);
    bool nested = false;
    int projectionsAfterFree = 0;
    bool freed = false;
    answers.inCallback = [&](ZVSDHandle self) {
        if (self == h && freed) {
            ++projectionsAfterFree;
        } else if (self == h && !nested) {
            nested = true;
            ZVSDChanged(other);
            nested = false;
        } else if (self == other && nested && !freed) {
            ZVSDFree(h);
            freed = true;
        }
    };
    ZVSDChanged(h);
    answers.inCallback = nullptr;
    EXPECT_TRUE(freed);
    EXPECT_GT(projectionsAfterFree, 0);  // h's run went on after the free was asked for
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);
    EXPECT_EQ(ItemCount(other), 1);
    ExpectMask(Mask(other, 0), {1.0});
    ZVSDFree(other);
    h = nullptr;
}

}  // namespace
