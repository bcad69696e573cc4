// The ZVSD exports as a host sees them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "message_capture.h"
#include "zvsd_host.h"

namespace {

using namespace zvsdtest;
using Mask_ = std::vector<double>;

// The front square covers the middle of the back square's right edge
// (segment 2, from (10,10) down to (10,0)): hidden between 2.2 and 2.8.
const Points back = Square(0, 0, 10, 10, 0), front = Square(5, 2, 15, 8, 1);

class Zvsd : public testing::Test {
protected:
    void TearDown() override { ZVSDFree(h); }
    Host host;
    ZVSDHandle h = host.NewHandle();
};

TEST_F(Zvsd, TheRecordHasDefaultsAndReadsBackWhatWasSet) {
    ZVSDHandle fresh = ZVSDCreate();
    EXPECT_EQ(_ZVSDGetData(fresh, nullptr), static_cast<int32_t>(sizeof(TZVSDData)));
    TZVSDData d;
    std::memset(&d, 0x5a, sizeof d);
    EXPECT_EQ(_ZVSDGetData(fresh, &d), 0);
    EXPECT_TRUE(d.DepthProc == nullptr && d.EndProc == nullptr && d.HostValue1 == 0 && d.ItemCount == 0);
    EXPECT_EQ(d.FrontPositiveFlag, -1);  // true: all bits set
    EXPECT_EQ(d.DrawHiddenFlag, 0);
    d.DrawHiddenFlag = 7;
    d.HostValue1 = -5;
    d.HostValue2 = 123456;
    d.ItemCount = 7;
    _ZVSDSetData(fresh, &d);
    _ZVSDSetData(fresh, nullptr);  // ignored
    TZVSDData again;
    _ZVSDGetData(fresh, &again);
    EXPECT_TRUE(again.DrawHiddenFlag == -1 && again.HostValue1 == -5 && again.HostValue2 == 123456);
    EXPECT_EQ(again.ItemCount, 0);
    ZVSDFree(fresh);
}

TEST_F(Zvsd, ContoursAreClosedCountedAndRejectedQuietly) {
    EXPECT_EQ(Add(h, {back[0], back[1]}), -1);
    EXPECT_EQ(Add(h, back), 0);
    EXPECT_EQ(ZVSDAddContour(h, 0, back.data()), 0);
    EXPECT_EQ(ZVSDAddContour(h, -3, back.data()), 0);
    EXPECT_EQ(ZVSDAddContour(h, 4, nullptr), 0);
    EXPECT_EQ(Add(h, front, true), 1);
    EXPECT_EQ(ItemCount(h), 2);
    EXPECT_EQ(Corners(h, 0).size(), 5u);
}

TEST_F(Zvsd, BracketsDecideWhenToCalculate) {
    Add(h, back);
    EXPECT_EQ(host.begins, 1);
    ZVSDSetChanging(h, -1);  // any nonzero value opens
    ZVSDSetChanging(h, 1);
    Add(h, front);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(host.begins, 1);
    ZVSDSetChanging(h, 0);
    ZVSDChanged(h);
    EXPECT_EQ(host.begins, 3);
    EXPECT_EQ(host.ends, 3);
}

TEST_F(Zvsd, ResultsDrawingAndClearing) {
    AddScene(h, {back, front});
    const Mask_ mask = Mask(h, 0);  // toggles are handed out non-negative
    ASSERT_EQ(mask.size(), 3u);
    EXPECT_TRUE(mask[0] == 1 && std::fabs(mask[1] - 2.2) < 1e-12 && std::fabs(mask[2] - 2.8) < 1e-12);
    EXPECT_EQ(Mask(h, 1), Mask_{1.0});
    EXPECT_EQ(Outline(h, 0).size(), 5u);
    host.drawn.clear();
    ZVSDDraw(h, 12345);
    EXPECT_EQ(host.drawn, (std::vector<int>{2, 1, 1, 1, 2, 1, 1, 2, 1, 1, 1, 1}));
    EXPECT_NEAR(host.drawnAt[3].Y, 8, 1e-12);  // where the hidden stretch starts and ends
    EXPECT_TRUE(host.drawnAt[4].X == 10 && std::fabs(host.drawnAt[4].Y - 2) < 1e-12 && host.drawnAt[11].X == 5);
    ZVSDChanged(h);  // a second calculation gives the same masks
    EXPECT_EQ(Mask(h, 0), mask);
    ZVSDClear(h);
    EXPECT_EQ(ItemCount(h), 0);
    EXPECT_EQ(ZVSDGetMask(h, 0, nullptr), -1);
    EXPECT_EQ(Add(h, back), 0);  // the settings stay
    EXPECT_EQ(host.begins, 3);
}

TEST_F(Zvsd, WithoutDepthEveryMaskIsFullOrHiddenWhenFacingAway) {
    ZVSDHandle plain = host.NewHandle(false);
    AddScene(plain, {back, front, {back.rbegin(), back.rend()}});
    EXPECT_EQ(Mask(plain, 0), Mask_{1.0});
    EXPECT_EQ(Mask(plain, 1), Mask_{1.0});
    EXPECT_EQ(Mask(plain, 2), Mask_{-1.0});
    ZVSDFree(plain);
}

// A hole a little off its face's plane (as tessellated models give them) is
// not hidden by its own face.
TEST_F(Zvsd, AFaceNeverHidesItsOwnHoles) {
    Points hole = Square(3, 3, 7, 7, -0.01);
    ZVSDSetChanging(h, 1);
    Add(h, back);
    Add(h, {hole.rbegin(), hole.rend()}, true);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(Mask(h, 0), Mask_{1.0});
    EXPECT_EQ(Mask(h, 1), Mask_{1.0});
}

TEST_F(Zvsd, AnAbortOnTheFirstQueryLeavesFullMasks) {
    int queries = 0;
    host.abort = [&](ZVSDHandle) { return ++queries > 0; };
    ZVSDHandle aborting = host.NewHandle();
    AddScene(aborting, {back, front});
    EXPECT_EQ(queries, 1);
    EXPECT_EQ(Mask(aborting, 0), Mask_{1.0});
    EXPECT_EQ(host.begins, host.ends);
    ZVSDFree(aborting);
}

TEST_F(Zvsd, UnknownHandlesAndIndexesAreHarmless) {
    Add(h, back);
    int someObject = 0;
    for (ZVSDHandle bogus : {reinterpret_cast<ZVSDHandle>(&someObject), ZVSDHandle(nullptr)}) {
        double buffer[4];
        EXPECT_EQ(_ZVSDGetData(bogus, nullptr), -1);
        EXPECT_EQ(Add(bogus, back), -1);
        EXPECT_EQ(ZVSDGetMask(bogus, 0, buffer), -1);
        ZVSDSetChanging(bogus, 0);
        ZVSDChanged(bogus);
        ZVSDDraw(bogus, 0);
        ZVSDClear(bogus);
        ZVSDFree(bogus);
        _ZVSDSetData(bogus, nullptr);
    }
    for (int32_t index : {-1, 1}) {
        EXPECT_EQ(ZVSDGetMask(h, index, nullptr), -1);
        EXPECT_EQ(ZVSDGetArray2d(h, index, nullptr), -1);
        EXPECT_EQ(ZVSDGetArray3d(h, index, nullptr), -1);
    }
    ZVSDHandle freed = ZVSDCreate();
    ZVSDFree(freed);
    EXPECT_EQ(Add(freed, back), -1);
    ZVSDFree(freed);  // a second free is ignored
    EXPECT_EQ(ItemCount(h), 1);
}

// A message handler that calls back into the library with the buffer being cleared.
TEST(ZvsdMessages, AHandlerMayCallBackWhileTheStoreIsCleared) {
    static ZVSDHandle target;
    static int seen;
    target = ZVSDCreate();
    seen = 0;
    Points big;
    for (int k = 0; k < 5000; ++k) big.push_back({std::cos(-k * 1e-3), std::sin(-k * 1e-3), 0});  // > 100000 bytes
    Add(target, big);
    Add(target, big);
    ZVSetMessageHandler([](int32_t kind, const char*, void*) {
        if (kind != ZV_MESSAGE_BOX) return;
        ++seen;
        ZVSDGetArray3d(target, 0, nullptr);
        Add(target, Square(0, 0, 1, 1, 0));
        ZVSDChanged(target);
        ZVSDDraw(target, 0);
        ZVSDFree(target);
    }, nullptr);
    ZVSDClear(target);
    ZVSetMessageHandler(nullptr, nullptr);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(_ZVSDGetData(target, nullptr), -1);  // the free asked for was carried out after the clear
}

TEST(ZvsdThreads, ResultsAndSettingsAreOutOfReachWhileHelperThreadsRun) {
    Host host;
    std::vector<int32_t> answers;
    host.abort = [&](ZVSDHandle h) {
        answers.push_back(ZVSDGetMask(h, 0, nullptr));
        answers.push_back(ZVSDGetArray2d(h, 0, nullptr));
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.FrontPositiveFlag = 0;  // ignored while helper threads run
        _ZVSDSetData(h, &d);
        return false;
    };
    ZVSDHandle h = host.NewHandle();
    const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_EQ(ZVSDSetView(h, base, 0), 0);
    ASSERT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 2), 0);
    std::vector<Points> scene;
    for (int k = 0; k < 400; ++k) scene.push_back(Square(k % 20 * 3, k / 20 * 3, k % 20 * 3 + 4, k / 20 * 3 + 4, k * 0.01));
    AddScene(h, scene);
    ASSERT_FALSE(answers.empty());
    for (int32_t answer : answers) EXPECT_EQ(answer, -1);
    TZVSDData d;
    _ZVSDGetData(h, &d);
    EXPECT_EQ(d.FrontPositiveFlag, -1);
    EXPECT_GT(ZVSDGetMask(h, 0, nullptr), 0);  // readable again once the run has ended
    ZVSDFree(h);
}

// The masks of a scene in the plain loop and in the indexed run.
std::array<std::vector<Mask_>, 2> MasksBothWays(Host& host, const std::vector<Points>& scene, bool withDepth) {
    std::array<std::vector<Mask_>, 2> masks;
    for (int mode = 0; mode < 2; ++mode) {
        ZVSDHandle h = host.NewHandle(withDepth);
        ZVSDSetOptions(h, mode == 0 ? 0 : ZVSD_OPTION_INDEX, 1);
        AddScene(h, scene);
        for (int32_t i = 0; i < static_cast<int32_t>(scene.size()); ++i) masks[mode].push_back(Mask(h, i));
        ZVSDFree(h);
    }
    return masks;
}

TEST(ZvsdIndex, TheIndexedRunGivesTheMasksOfThePlainLoop) {
    Host host;
    // A face larger than the index's cells hides the many small ones behind it.
    std::vector<Points> scene = {Square(-1, -1, 41, 41, 5)};
    for (int k = 0; k < 100; ++k) scene.push_back(Square(k % 10 * 4, k / 10 * 4, k % 10 * 4 + 1, k / 10 * 4 + 1, 0));
    auto masks = MasksBothWays(host, scene, true);
    EXPECT_EQ(masks[0][1], Mask_{-1.0});
    EXPECT_EQ(masks[1], masks[0]);
    // Projections at the edge of the double range.
    host.project = [](ZVSDHandle, const TXYZ& p, TXY& q) { q = {p.X * 1e306, p.Y}; };
    MessageCapture capture;
    masks = MasksBothWays(host, {Square(-160, 0, -150, 1, 0), Square(150, 0, 160, 1, 0)}, false);
    EXPECT_EQ(masks[0], masks[1]);
    EXPECT_TRUE(capture.Texts().empty());
}

}  // namespace
