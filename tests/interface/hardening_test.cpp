// The ZVSD exports against a hostile host: non-finite and extreme coordinates,
// callbacks that answer NaN, infinity or huge values, and callbacks that call
// every export (freeing their own handle or another one included) while a
// calculation or a drawing runs. Every case must end with defined results.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "zvsd_host.h"

namespace {

using namespace zvsdtest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The front square covers the middle of the back square's right edge: hidden
// between parameters 2.2 and 2.8. The third square lies wholly behind the front one.
const Points back = Square(0, 0, 10, 10, 0), front = Square(5, 2, 15, 8, 1), behind = Square(6, 3, 8, 6, -1);
const Masks expected = {{1.0, 2.2, 2.8}, {1.0}, {-1.0}};

Points Shifted(Points points, double offset) {
    for (TXYZ& p : points) p = {p.X + offset, p.Y + offset, p.Z + offset};
    return points;
}

class Hardening : public testing::Test {
protected:
    void TearDown() override { ZVSDFree(h); }
    Masks Run(const std::vector<Points>& scene) {
        ZVSDClear(h);
        AddScene(h, scene);
        return AllMasks(h);
    }
    static void ExpectMasks(const Masks& actual, const Masks& wanted) { ExpectMasksNear(actual, wanted, 1e-5); }
    Host host;
    ZVSDHandle h = host.NewHandle();
};

TEST_F(Hardening, ContoursWithNonFiniteCoordinatesOrOverflowingNormalsAreRejected) {
    EXPECT_EQ(Add(h, Square(0, 0, 1, 1, kNaN)), -1);  // on an empty buffer: -1
    EXPECT_EQ(Add(h, Square(-1e200, -1e200, 1e200, 1e200, 0)), -1);  // the Newell sum overflows
    ASSERT_EQ(Add(h, back), 0);
    for (double bad : {kNaN, kInf, -kInf}) {
        Points p = front;
        p[2].X = bad;
        EXPECT_EQ(Add(h, p), 0) << bad;  // names the previous last item
        p = front;
        p[0].Z = bad;
        EXPECT_EQ(Add(h, p, true), 0) << bad;
    }
    EXPECT_EQ(ItemCount(h), 1);
    EXPECT_EQ(host.begins, 1);  // a rejected contour does not calculate
}

TEST_F(Hardening, ItemsTheHostCannotProjectTakeNoPartAndAreHidden) {
    for (double bad : {kNaN, kInf, -kInf}) {
        host.project = [bad](ZVSDHandle, const TXYZ& p, TXY& q) { q = {p.X, p.Z == 5 && p.X == 7 ? bad : p.Y}; };
        ExpectMasks(Run({back, front, Square(3, 3, 7, 7, 5)}), {expected[0], {1.0}, {-1.0}});
    }
    host.project = [](ZVSDHandle, const TXYZ& p, TXY& q) { q = {p.Z == 1 && p.X == 5 ? kNaN : p.X, p.Y}; };
    ExpectMasks(Run({back, front}), {{1.0}, {-1.0}});  // an occluder that cannot be projected hides nothing
    host.project = [](ZVSDHandle, const TXYZ&, TXY& q) { q = {kNaN, kInf}; };
    ExpectMasks(Run({back, front, Square(-3, -3, 3, 3, 2)}), {{-1.0}, {-1.0}, {-1.0}});
    EXPECT_EQ(host.begins, host.ends);
}

TEST_F(Hardening, HugeProjectedCoordinatesEndWithWellFormedMasks) {
    // 1e300 squared overflows: areas and crossing determinants become infinite or NaN.
    host.project = [](ZVSDHandle, const TXYZ& p, TXY& q) { q = {p.X * 1e300, p.Y * 1e300}; };
    for (const auto& mask : Run({back, front})) {
        ASSERT_FALSE(mask.empty());
        EXPECT_TRUE(mask[0] == 1.0 || mask[0] == -1.0);
        for (size_t i = 1; i < mask.size(); ++i) EXPECT_TRUE(mask[i] >= 0.0 && mask[i] <= 4.0);
    }
}

TEST_F(Hardening, DepthsKeepTheirMeaningWhenHugeOrInfiniteAndNaNHidesNothing) {
    const std::vector<std::function<double(double)>> scalings = {
        [](double d) { return d * 1e300; },
        [](double d) { return d > 1e-5 ? kInf : (d < -1e-5 ? -kInf : d); },
        [](double d) { return d > 1e-5 ? std::numeric_limits<double>::max() : d; },
    };
    for (const auto& scaling : scalings) {
        host.depth = [&](ZVSDHandle, const TXYZ& p, const TPlane& plane) { return scaling(PlaneDepth(p, plane)); };
        ExpectMasks(Run({back, front, behind}), expected);
    }
    host.depth = [](ZVSDHandle, const TXYZ&, const TPlane&) { return kNaN; };
    ExpectMasks(Run({back, front, behind}), {{1.0}, {1.0}, {1.0}});
}

// At 1e12 neighbouring Doubles are 1.2e-4 apart, coarser than the 1e-5
// tolerance; whole-number coordinates are exact there, and a unit square's
// area (2) is far below the rounding of its coordinates' products.
TEST_F(Hardening, FarFromTheOriginOcclusionAndOrientationAreAsNearIt) {
    const double o = 1e12;
    ExpectMasks(Run({Shifted(back, o), Shifted(front, o), Shifted(behind, o)}), expected);
    const Points unit = Square(0, 0, 1, 1, 0);
    ExpectMasks(Run({Shifted(unit, o), Shifted(unit, -o), Shifted({unit.rbegin(), unit.rend()}, o)}),
                {{1.0}, {1.0}, {-1.0}});
}

// Run from the callbacks of `owner`: calls every export on the owner and on
// `other`, and records what the owner's calls gave back.
struct EveryExport {
    ZVSDHandle owner = nullptr, other = nullptr;
    bool freeOwner = false;
    std::vector<int32_t> ownerAnswers;  // adds and item counts: the store must not change
    int calls = 0;
    bool running = false;

    void operator()(ZVSDHandle self) {
        if (self != owner || running) return;
        running = true;
        ++calls;
        for (ZVSDHandle target : {owner, other}) {
            if (!target) continue;
            TZVSDData d;
            if (_ZVSDGetData(target, &d) == 0) _ZVSDSetData(target, &d);
            const int32_t added = Add(target, back), holeAdded = Add(target, back, true);
            if (target == owner) ownerAnswers.insert(ownerAnswers.end(), {added, holeAdded, ItemCount(owner) - 1});
            ZVSDSetChanging(target, 1);
            ZVSDSetChanging(target, 0);
            ZVSDChanged(target);
            ZVSDDraw(target, 0);
            ZVSDClear(target);
            for (int32_t k = -1; k <= 2; ++k) {
                Points p3(std::max(0, ZVSDGetArray3d(target, k, nullptr)));
                if (!p3.empty()) EXPECT_EQ(ZVSDGetArray3d(target, k, p3.data()), 0);
                Mask(target, k);
                Outline(target, k);
            }
        }
        ZVSDFree(ZVSDCreate());
        if (freeOwner) ZVSDFree(owner);
        if (other) ZVSDFree(other), other = nullptr;  // another handle is freed at once
        running = false;
    }
};

TEST_F(Hardening, EveryExportFromInsideACalculationOrADrawingLeavesTheStoreAsItWas) {
    for (bool drawing : {false, true}) {
        for (bool freeOwner : {false, true}) {
            SCOPED_TRACE(testing::Message() << "drawing " << drawing << ", free " << freeOwner);
            if (!h) h = host.NewHandle();
            ExpectMasks(Run({back, front}), {expected[0], expected[1]});
            EveryExport every{h, drawing ? nullptr : host.NewHandle(), freeOwner};
            if (every.other) Add(every.other, back);
            host.inCallback = std::ref(every);
            host.drawn.clear();
            drawing ? ZVSDDraw(h, 0) : ZVSDChanged(h);
            host.inCallback = nullptr;
            EXPECT_GT(every.calls, 1);  // the walk went on after the free was asked for
            for (int32_t r : every.ownerAnswers) EXPECT_EQ(r, 1);
            EXPECT_EQ(host.begins, host.ends);
            if (drawing) EXPECT_GE(host.drawn.size(), 12u);  // both outlines walked to their end
            if (freeOwner) {
                EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);  // freed when the walk ended
                h = nullptr;
            } else {
                ExpectMasks({Mask(h, 0)}, {expected[0]});
            }
        }
    }
}

// h's calculation runs other's; other's callback frees h, which is still calculating.
TEST_F(Hardening, AHandleFreedByANestedCalculationOfAnotherIsFreedAfterItsOwnRun) {
    AddScene(h, {back, front});
    ZVSDHandle other = host.NewHandle();
    Add(other, back);
    bool nested = false, freed = false;
    int projectionsAfterFree = 0;
    host.inCallback = [&](ZVSDHandle self) {
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
    host.inCallback = nullptr;
    EXPECT_GT(projectionsAfterFree, 0);
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);
    EXPECT_EQ(Mask(other, 0), std::vector<double>{1.0});
    ZVSDFree(other);
    h = nullptr;
}

}  // namespace
