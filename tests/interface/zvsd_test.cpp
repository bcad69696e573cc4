// The ZVSD exports as a host sees them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "message_capture.h"
#include "zvhlr.h"

namespace {

const TXYZ openSquare[4] = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
const TXYZ frontSquare[4] = {{5, 2, 1}, {5, 8, 1}, {15, 8, 1}, {15, 2, 1}};

// What the callbacks saw; one per test, reached through a global because C
// callbacks carry only the handle.
struct HostLog {
    int begins = 0, ends = 0, projections = 0, aborts = 0;
    std::vector<int> drawn;  // 2 = move, 1 = visible line, 0 = hidden line
    std::function<void(ZVSDHandle)> inCallback;
};
HostLog* hostLog = nullptr;

void Project(ZVSDHandle h, const TXYZ* p, TXY* out) {
    ++hostLog->projections;
    out->X = p->X;
    out->Y = p->Y;
    if (hostLog->inCallback) hostLog->inCallback(h);
}
double Depth(ZVSDHandle, const TXYZ* p, const TPlane* plane, TXYZ*) {
    const TXYZ& n = plane->Normal;
    if (n.Z > -1e-12 && n.Z < 1e-12) return 0.0;
    return ((p->X - plane->Origin.X) * n.X + (p->Y - plane->Origin.Y) * n.Y + (p->Z - plane->Origin.Z) * n.Z) / n.Z;
}
void Begin(ZVSDHandle) { ++hostLog->begins; }
void End(ZVSDHandle) { ++hostLog->ends; }
void MoveTo(ZVSDHandle h, const TXY*) {
    hostLog->drawn.push_back(2);
    if (hostLog->inCallback) hostLog->inCallback(h);
}
void LineTo(ZVSDHandle, int32_t visible, const TXY*) { hostLog->drawn.push_back(visible); }
void AbortAtOnce(ZVSDHandle, int16_t* abort) {
    ++hostLog->aborts;
    *abort = 1;
}

class Zvsd : public testing::Test {
protected:
    void SetUp() override {
        hostLog = &log;
        h = ZVSDCreate();
        ASSERT_NE(h, nullptr);
    }
    void TearDown() override {
        ZVSDFree(h);
        hostLog = nullptr;
    }
    void UseCallbacks() {
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.ProjectProc = Project;
        d.DepthProc = Depth;
        d.BeginProc = Begin;
        d.EndProc = End;
        d.MoveToProc = MoveTo;
        d.LineToProc = LineTo;
        _ZVSDSetData(h, &d);
    }
    std::vector<double> Mask(int32_t index) {
        std::vector<double> mask(ZVSDGetMask(h, index, nullptr));
        EXPECT_EQ(ZVSDGetMask(h, index, mask.data()), 0);
        return mask;
    }
    int32_t ItemCount() {
        TZVSDData d;
        _ZVSDGetData(h, &d);
        return d.ItemCount;
    }
    HostLog log;
    ZVSDHandle h = nullptr;
};

TEST_F(Zvsd, RecordSizeDefaultsAndReadBack) {
    EXPECT_EQ(_ZVSDGetData(h, nullptr), static_cast<int32_t>(sizeof(TZVSDData)));
    EXPECT_EQ(sizeof(TZVSDData), sizeof(void*) == 8 ? 80u : 48u);
    TZVSDData d;
    std::memset(&d, 0x5a, sizeof d);
    EXPECT_EQ(_ZVSDGetData(h, &d), 0);
    EXPECT_EQ(d.DepthProc, nullptr);
    EXPECT_EQ(d.EndProc, nullptr);
    EXPECT_EQ(d.FrontPositiveFlag, -1);
    EXPECT_EQ(d.DrawHiddenFlag, 0);
    EXPECT_EQ(d.HostValue1, 0);
    EXPECT_EQ(d.ItemCount, 0);

    d.FrontPositiveFlag = 1;
    d.DrawHiddenFlag = 7;
    d.HostValue1 = -5;
    d.HostValue2 = 123456;
    d.ItemCount = 7;
    d.ProjectProc = Project;
    _ZVSDSetData(h, &d);
    _ZVSDSetData(h, nullptr);  // ignored
    TZVSDData back;
    _ZVSDGetData(h, &back);
    EXPECT_EQ(back.FrontPositiveFlag, -1);
    EXPECT_EQ(back.DrawHiddenFlag, -1);
    EXPECT_EQ(back.HostValue1, -5);
    EXPECT_EQ(back.HostValue2, 123456);
    EXPECT_EQ(back.ItemCount, 0);
    EXPECT_EQ(back.ProjectProc, Project);
    EXPECT_EQ(log.projections, 0);  // setting data does not calculate
}

TEST_F(Zvsd, ContoursAreCountedClosedAndRejectedQuietly) {
    EXPECT_EQ(ZVSDAddContour(h, 2, openSquare), -1);
    EXPECT_EQ(ZVSDAddContour(h, 4, openSquare), 0);
    EXPECT_EQ(ZVSDGetArray3d(h, 0, nullptr), 5);
    EXPECT_EQ(ZVSDAddContour(h, 0, openSquare), 0);
    EXPECT_EQ(ZVSDAddContour(h, -3, openSquare), 0);
    EXPECT_EQ(ZVSDAddContour(h, 4, nullptr), 0);
    EXPECT_EQ(ZVSDAddHole(h, 4, frontSquare), 1);
    EXPECT_EQ(ItemCount(), 2);
    std::vector<TXYZ> points(5);
    EXPECT_EQ(ZVSDGetArray3d(h, 0, points.data()), 0);
    EXPECT_EQ(points[4].X, 0.0);
    EXPECT_EQ(points[2].Y, 10.0);
    EXPECT_EQ(points[3].X, 10.0);
}

TEST_F(Zvsd, BracketsDecideHowManyCalculationsRun) {
    UseCallbacks();
    ZVSDAddContour(h, 4, openSquare);
    EXPECT_EQ(log.begins, 1);
    ZVSDSetChanging(h, -1);  // any nonzero value opens
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDAddHole(h, 4, frontSquare);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(log.begins, 1);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(log.begins, 2);
    EXPECT_EQ(log.ends, 2);
    ZVSDChanged(h);
    EXPECT_EQ(log.begins, 3);
}

TEST_F(Zvsd, MasksAreReadBackWithNonNegativeToggles) {
    UseCallbacks();
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDSetChanging(h, 0);
    std::vector<double> back = Mask(0);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], 1.0);
    EXPECT_NEAR(back[1], 2.2, 1e-12);
    EXPECT_NEAR(back[2], 2.8, 1e-12);
    EXPECT_EQ(Mask(1), std::vector<double>{1.0});
    EXPECT_EQ(ZVSDGetArray2d(h, 0, nullptr), 5);
}

TEST_F(Zvsd, WithoutDepthEveryMaskIsFullOrHiddenWhenFacingAway) {
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.ProjectProc = Project;
    _ZVSDSetData(h, &d);
    const TXYZ reversed[4] = {openSquare[3], openSquare[2], openSquare[1], openSquare[0]};
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDAddContour(h, 4, reversed);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(Mask(0), std::vector<double>{1.0});
    EXPECT_EQ(Mask(1), std::vector<double>{1.0});
    EXPECT_EQ(Mask(2), std::vector<double>{-1.0});
}

TEST_F(Zvsd, ClearEmptiesTheStoreButKeepsSettings) {
    UseCallbacks();
    ZVSDAddContour(h, 4, openSquare);
    ZVSDClear(h);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(ZVSDGetMask(h, 0, nullptr), -1);
    TZVSDData d;
    _ZVSDGetData(h, &d);
    EXPECT_EQ(d.ProjectProc, Project);
    EXPECT_EQ(ZVSDAddContour(h, 4, openSquare), 0);
}

TEST_F(Zvsd, UnknownHandlesAndIndexesAreHarmless) {
    ZVSDAddContour(h, 4, openSquare);
    auto bogus = reinterpret_cast<ZVSDHandle>(&log);
    double buffer[4];
    EXPECT_EQ(_ZVSDGetData(bogus, nullptr), -1);
    EXPECT_EQ(ZVSDAddContour(bogus, 4, openSquare), -1);
    EXPECT_EQ(ZVSDGetMask(bogus, 0, buffer), -1);
    EXPECT_EQ(ZVSDGetMask(h, 1, buffer), -1);
    EXPECT_EQ(ZVSDGetMask(h, -1, buffer), -1);
    EXPECT_EQ(ZVSDGetArray2d(h, 5, nullptr), -1);
    EXPECT_EQ(ZVSDGetArray3d(nullptr, 0, nullptr), -1);
    ZVSDSetChanging(bogus, 0);
    ZVSDChanged(bogus);
    ZVSDDraw(bogus, 0);
    ZVSDClear(bogus);
    ZVSDFree(bogus);
    ZVSDFree(nullptr);
    _ZVSDSetData(bogus, nullptr);
    ZVSDHandle freed = ZVSDCreate();
    ZVSDFree(freed);
    EXPECT_EQ(ZVSDAddContour(freed, 4, openSquare), -1);
    ZVSDFree(freed);  // a second free is ignored
    EXPECT_EQ(ItemCount(), 1);
}

TEST_F(Zvsd, DrawWalksTheMaskThroughTheCallbacks) {
    UseCallbacks();
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDSetChanging(h, 0);
    ZVSDDraw(h, 12345);
    EXPECT_EQ(log.drawn, (std::vector<int>{2, 1, 1, 1, 1}));
}

TEST_F(Zvsd, AbortOnTheFirstQueryLeavesFullMasks) {
    UseCallbacks();
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.QueryAbortProc = AbortAtOnce;
    _ZVSDSetData(h, &d);
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(log.aborts, 1);
    EXPECT_EQ(log.ends, 1);
    EXPECT_EQ(Mask(0), std::vector<double>{1.0});
    EXPECT_EQ(Mask(1), std::vector<double>{1.0});
}

TEST_F(Zvsd, EditsFromInsideACalculationAreRefused) {
    UseCallbacks();
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDSetChanging(h, 0);
    int begins = log.begins;
    std::vector<int32_t> results;
    log.inCallback = [&](ZVSDHandle handle) {
        results.push_back(ZVSDAddContour(handle, 4, openSquare));
        results.push_back(ZVSDAddHole(handle, 4, openSquare));
        ZVSDClear(handle);
        ZVSDChanged(handle);  // re-entry: returns at once
        ZVSDDraw(handle, 0);  // nothing while calculating
    };
    ZVSDChanged(h);
    log.inCallback = nullptr;
    EXPECT_EQ(log.begins, begins + 1);
    EXPECT_EQ(ItemCount(), 2);
    for (int32_t r : results) EXPECT_EQ(r, 1);
    EXPECT_TRUE(log.drawn.empty());
    EXPECT_EQ(Mask(0).size(), 3u);
}

TEST_F(Zvsd, FreeFromInsideACalculationWaitsForItsEnd) {
    UseCallbacks();
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    ZVSDSetChanging(h, 0);
    ZVSDHandle victim = h;
    int freeCalls = 0;
    log.inCallback = [&](ZVSDHandle handle) {
        ++freeCalls;
        ZVSDFree(handle);
    };
    int projections = log.projections;
    ZVSDChanged(victim);
    log.inCallback = nullptr;
    EXPECT_EQ(log.projections - projections, 10);  // the calculation ran to its end
    EXPECT_EQ(log.ends, log.begins);
    EXPECT_GT(freeCalls, 0);
    EXPECT_EQ(_ZVSDGetData(victim, nullptr), -1);  // and then the handle was freed
    h = nullptr;
}

TEST_F(Zvsd, EditsAndFreeFromInsideADrawingAreSafe) {
    UseCallbacks();
    ZVSDAddContour(h, 4, openSquare);
    ZVSDAddContour(h, 4, frontSquare);
    int calls = 0;
    log.inCallback = [&](ZVSDHandle handle) {
        ++calls;
        ZVSDClear(handle);
        ZVSDAddContour(handle, 4, openSquare);
        ZVSDChanged(handle);
        ZVSDFree(handle);
    };
    int begins = log.begins;
    ZVSDDraw(h, 0);
    log.inCallback = nullptr;
    EXPECT_GT(calls, 0);
    EXPECT_EQ(log.begins, begins);
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);
    h = nullptr;
}

}  // namespace

namespace {

// A contour of n points on a circle (clockwise seen from +Z) at height z.
std::vector<TXYZ> Circle(int n, double cx, double cy, double r, double z) {
    std::vector<TXYZ> points;
    for (int k = 0; k < n; ++k) {
        double a = -2 * 3.14159265358979323846 * k / n;
        points.push_back(TXYZ{cx + r * std::cos(a), cy + r * std::sin(a), z});
    }
    return points;
}

ZVSDHandle messageTarget = nullptr;
int messagesSeen = 0;

// A message handler that calls back into the library with the buffer being cleared.
void CallBackIntoTheLibrary(int32_t kind, const char*, void*) {
    if (kind != ZV_MESSAGE_BOX || !messageTarget) return;
    ++messagesSeen;
    TXYZ points[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    ZVSDGetArray3d(messageTarget, 0, nullptr);
    ZVSDAddContour(messageTarget, 4, points);
    ZVSDChanged(messageTarget);
    ZVSDDraw(messageTarget, 0);
    ZVSDFree(messageTarget);
}

TEST(ZvsdMessages, AHandlerMayCallBackWhileTheStoreIsCleared) {
    ZVSDHandle h = ZVSDCreate();
    std::vector<TXYZ> big = Circle(5000, 0, 0, 100, 0);  // more than 100000 bytes: a message when freed
    ZVSDAddContour(h, static_cast<int32_t>(big.size()), big.data());
    ZVSDAddContour(h, static_cast<int32_t>(big.size()), big.data());
    messageTarget = h;
    messagesSeen = 0;
    ZVSetMessageHandler(CallBackIntoTheLibrary, nullptr);
    ZVSDClear(h);
    ZVSetMessageHandler(nullptr, nullptr);
    messageTarget = nullptr;
    EXPECT_GT(messagesSeen, 0);
    EXPECT_EQ(_ZVSDGetData(h, nullptr), -1);  // the free asked for by the handler was carried out after the clear
}

ZVSDHandle runningHandle = nullptr;
std::vector<int32_t> answersDuringRun;

void AskWhileRunning(ZVSDHandle h, int16_t*) {
    answersDuringRun.push_back(ZVSDGetMask(h, 0, nullptr));
    answersDuringRun.push_back(ZVSDGetArray2d(h, 0, nullptr));
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.FrontPositiveFlag = 0;  // ignored while helper threads run
    _ZVSDSetData(h, &d);
}

TEST(ZvsdThreads, ResultsAndSettingsAreOutOfReachWhileHelperThreadsRun) {
    ZVSDHandle h = ZVSDCreate();
    const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_EQ(ZVSDSetView(h, base, 0), 0);
    ASSERT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 2), 0);
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.QueryAbortProc = AskWhileRunning;
    _ZVSDSetData(h, &d);
    ZVSDSetChanging(h, 1);
    for (int k = 0; k < 400; ++k) {
        std::vector<TXYZ> c = Circle(8, (k % 20) * 3.0, (k / 20) * 3.0, 2.0, k * 0.01);
        ZVSDAddContour(h, 8, c.data());
    }
    answersDuringRun.clear();
    ZVSDSetChanging(h, 0);
    ASSERT_FALSE(answersDuringRun.empty());
    for (int32_t answer : answersDuringRun) EXPECT_EQ(answer, -1);
    _ZVSDGetData(h, &d);
    EXPECT_EQ(d.FrontPositiveFlag, -1);
    EXPECT_GT(ZVSDGetMask(h, 0, nullptr), 0);  // readable again once the run has ended
    ZVSDFree(h);
}

void ProjectFarOut(ZVSDHandle, const TXYZ* p, TXY* out) {
    out->X = p->X * 1e306;
    out->Y = p->Y;
}

TEST(ZvsdIndex, ProjectionsAtTheEdgeOfTheDoubleRangeGiveTheSameMasksAsThePlainLoop) {
    std::vector<std::vector<double>> masks[2];
    MessageCapture capture;
    for (int mode = 0; mode < 2; ++mode) {
        ZVSDHandle h = ZVSDCreate();
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.ProjectProc = ProjectFarOut;
        _ZVSDSetData(h, &d);
        ZVSDSetOptions(h, mode == 0 ? 0 : ZVSD_OPTION_INDEX, 1);
        const TXYZ left[4] = {{-160, 0, 0}, {-160, 1, 0}, {-150, 1, 0}, {-150, 0, 0}};
        const TXYZ right[4] = {{150, 0, 0}, {150, 1, 0}, {160, 1, 0}, {160, 0, 0}};
        ZVSDSetChanging(h, 1);
        ZVSDAddContour(h, 4, left);
        ZVSDAddContour(h, 4, right);
        ZVSDSetChanging(h, 0);
        for (int32_t i = 0; i < 2; ++i) {
            std::vector<double> mask(ZVSDGetMask(h, i, nullptr));
            ZVSDGetMask(h, i, mask.data());
            masks[mode].push_back(mask);
        }
        if (mode == 1) {
            int64_t counts[2] = {-1, -1};
            EXPECT_EQ(ZVSDGetStatistics(h, counts), 0);
        }
        ZVSDFree(h);
    }
    EXPECT_EQ(masks[0], masks[1]);
    EXPECT_TRUE(capture.Texts().empty());
}

}  // namespace
