// ZVSDSetOptions, ZVSDSetView and ZVSDGetStatistics: their answers to bad
// arguments, and the built-in parallel and perspective views against a host
// that computes the same view through its callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <algorithm>
#include <numbers>

#include "hidden/test_host.h"

namespace {

using namespace zvsdtest;
using zvtest::Vec3;
using zvtest::View;

Vec3 Of(const TXYZ& p) { return zvtest::ToVec(p); }

// The base of the built-in view that shows what the host's view shows.
void Base(const View& v, double base[12]) {
    const Vec3 o = v.perspective ? v.eye - v.toward * v.focal : Vec3{};
    const double values[12] = {o.x,       o.y,       o.z,       v.right.x,  v.right.y,  v.right.z,
                               v.up.x,    v.up.y,    v.up.z,    v.toward.x, v.toward.y, v.toward.z};
    std::copy(values, values + 12, base);
}

const double unitBase[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};

// A large square in front, a smaller one behind it that sticks out to the
// right, a square with a hole in the back.
void LoadScene(ZVSDHandle h) {
    ZVSDSetChanging(h, 1);
    Add(h, Square(-20, -20, 20, 20, 10));
    Add(h, Square(0, -10, 60, 10, -10));
    Add(h, Square(-50, -50, 50, 50, -40));
    Points hole = Square(-5, -5, 5, 5, -40);
    Add(h, {hole.rbegin(), hole.rend()}, true);
    ZVSDSetChanging(h, 0);
}

// The scene computed once through the host's callbacks and once with the
// built-in view of the same camera.
void ExpectSameAsCallbacks(const View& camera, double angle, bool frontPositive) {
    Host host;
    host.project = [&](ZVSDHandle, const TXYZ& p, TXY& q) { q = camera.Project(Of(p)); };
    host.depth = [&](ZVSDHandle, const TXYZ& p, const TPlane& plane) {
        return camera.Depth(Of(p), Of(plane.Origin), Of(plane.Normal));
    };
    host.interpolate = [&](ZVSDHandle, const TXYZ& a, const TXYZ& b, double t, TXYZ& out) {
        out = zvtest::ToXYZ(camera.Interpolate(Of(a), Of(b), t));
    };
    ZVSDHandle handles[2] = {host.NewHandle(), ZVSDCreate()};
    double base[12];
    Base(camera, base);
    ASSERT_EQ(ZVSDSetView(handles[1], base, angle), 0);
    ASSERT_EQ(ZVSDSetOptions(handles[1], ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 2), 0);
    for (ZVSDHandle h : handles) {
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.FrontPositiveFlag = frontPositive ? 1 : 0;
        _ZVSDSetData(h, &d);
        LoadScene(h);
    }
    for (int32_t i = 0; i < 4; ++i) {
        std::vector<TXY> want = Outline(handles[0], i), got = Outline(handles[1], i);
        ASSERT_EQ(got.size(), want.size()) << i;
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].X, want[k].X, 1e-9) << i << "/" << k;
            EXPECT_NEAR(got[k].Y, want[k].Y, 1e-9) << i << "/" << k;
        }
    }
    const Masks masks = AllMasks(handles[1]);
    ExpectMasksNear(masks, AllMasks(handles[0]), 1e-9);
    EXPECT_GE(std::count_if(masks.begin(), masks.end(), [](const auto& m) { return m.size() > 1 || m[0] < 0; }), 2)
        << "the view hides something";
    for (ZVSDHandle h : handles) ZVSDFree(h);
}

TEST(ViewExports, RejectBadArguments) {
    ZVSDHandle h = ZVSDCreate();
    int bogus = 0;
    ZVSDHandle unknown = reinterpret_cast<ZVSDHandle>(&bogus);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ZVSDSetOptions(unknown, ZVSD_OPTION_INDEX, 1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, 8, 1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX, -1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 1000), 0);
    double inPlane[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, undefined[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, nan, 0, 1};
    struct Case { ZVSDHandle h; const double* base; double angle; int32_t result; } cases[] = {
        {unknown, unitBase, 0, -1}, {h, nullptr, 0, -1}, {h, unitBase, -1, -1}, {h, unitBase, 180.5, -1},
        {h, unitBase, nan, -1},     {h, inPlane, 0, -1}, {h, undefined, 0, -1}, {h, unitBase, 180, 0},
        {h, unitBase, 45, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ZVSDSetView(c.h, c.base, c.angle), c.result) << c.angle;
    int64_t counts[2] = {7, 7};
    EXPECT_EQ(ZVSDGetStatistics(unknown, counts), -1);
    EXPECT_EQ(ZVSDGetStatistics(h, nullptr), -1);
    EXPECT_EQ(ZVSDGetStatistics(h, counts), -1) << "no calculation yet";
    ZVSDFree(h);
}

TEST(ViewExports, StatisticsComeFromRunsWithOptionsOnly) {
    ZVSDHandle h = ZVSDCreate();
    ZVSDSetView(h, unitBase, 0);
    ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 1);
    LoadScene(h);
    int64_t counts[2] = {-1, -1};
    ASSERT_EQ(ZVSDGetStatistics(h, counts), 0);
    // Items 0, 1 and the group of 2 and 3 all overlap (nine pairs), but in a
    // parallel view an item lying wholly in front of a group's plane is not
    // asked about it, and an item hidden whole stops: three pairs remain.
    EXPECT_EQ(counts[0], 3);
    EXPECT_GT(counts[1], 0);
    ZVSDSetOptions(h, 0, 1);
    ZVSDChanged(h);
    EXPECT_EQ(ZVSDGetStatistics(h, counts), -1);
    ZVSDFree(h);
}

TEST(ViewExports, ParallelAndPerspectiveViewsMatchTheHostsCallbacks) {
    const View front = View::Parallel({0, 0, 1}), tilted = View::Parallel({std::sin(0.3), 0, std::cos(0.3)});
    ExpectSameAsCallbacks(front, 0, true);
    ExpectSameAsCallbacks(front, 180, true);
    ExpectSameAsCallbacks(tilted, 0, true);
    ExpectSameAsCallbacks(View::Parallel({0, 0, -1}), 0, false);  // from behind, counter-clockwise faces face the viewer
    for (double angle : {30.0, 60.0, 90.0}) {
        SCOPED_TRACE(angle);
        const double focal = 500.0 / std::tan(angle * std::numbers::pi / 360.0);
        ExpectSameAsCallbacks(View::Perspective({5, 3, 40 + focal}, {5, 3, 40}, focal), angle, true);
    }
}

TEST(ViewExports, ScaledAxesScaleTheDrawingAndContoursAtTheEyeTakeNoPart) {
    ZVSDHandle h = ZVSDCreate();
    const double base[12] = {10, 0, 0, 2, 0, 0, 0, 0.5, 0, 0, 0, 1};
    ASSERT_EQ(ZVSDSetView(h, base, 0), 0);
    ZVSDSetOptions(h, ZVSD_OPTION_BUILTIN_VIEW, 1);
    Add(h, Square(10, 0, 14, 1, 0));
    std::vector<TXY> outline = Outline(h, 0);
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_DOUBLE_EQ(outline[1].Y, 2.0);  // 1 / 0.5
    EXPECT_DOUBLE_EQ(outline[2].X, 2.0);  // (14 - 10) / 2
    EXPECT_EQ(Mask(h, 0), std::vector<double>{1.0});
    ZVSDClear(h);
    ASSERT_EQ(ZVSDSetView(h, unitBase, 90), 0);  // eye at z = 500
    ZVSDSetChanging(h, 1);
    Add(h, Square(-10, -10, 10, 10, 0));
    Add(h, {{-10, -10, 400}, {-10, 10, 400}, {10, 10, 600}, {10, -10, 600}});
    ZVSDSetChanging(h, 0);
    EXPECT_EQ(Mask(h, 0), std::vector<double>{1.0});
    EXPECT_EQ(Mask(h, 1), std::vector<double>{-1.0});
    ZVSDFree(h);
}

// Boxes of 10 units on a grid with gaps of 4, of varying height, all scaled by s.
std::vector<Points> ScaledBlocks(double s) {
    std::vector<Points> groups;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) {
            const double x = 14.0 * i, y = 14.0 * j, h = 5.0 + 5 * ((i * 7 + j * 3) % 6);
            auto p = [&](int a, int b, int c) { return TXYZ{(x + 10 * a) * s, (y + 10 * b) * s, h * c * s}; };
            groups.push_back({p(0, 0, 0), p(0, 1, 0), p(1, 1, 0), p(1, 0, 0)});  // bottom
            groups.push_back({p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1)});  // top
            groups.push_back({p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1)});  // front
            groups.push_back({p(0, 1, 0), p(0, 1, 1), p(1, 1, 1), p(1, 1, 0)});  // back
            groups.push_back({p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), p(0, 1, 0)});  // left
            groups.push_back({p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1)});  // right
        }
    return groups;
}

TEST(ViewExports, PairsDoNotDependOnTheScenesSize) {
    View oblique = View::Parallel({0.35, -0.6, 0.72});
    oblique.right = zvtest::Normalized({0.6, 0.35, 0});
    oblique.up = Cross(oblique.toward, oblique.right);
    double base[12];
    Base(oblique, base);
    int64_t pairsAtOne = -1;
    for (double scale : {1.0, 1e-3, 1e-2, 1e-1, 1e1, 1e2, 1e3}) {
        SCOPED_TRACE(scale);
        ZVSDHandle h = ZVSDCreate();
        ZVSDSetView(h, base, 0);
        ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 1);
        AddScene(h, ScaledBlocks(scale));
        int64_t counts[2] = {-1, -1};
        ASSERT_EQ(ZVSDGetStatistics(h, counts), 0);
        if (pairsAtOne < 0) pairsAtOne = counts[0];
        EXPECT_GT(counts[0], 0);
        EXPECT_EQ(counts[0], pairsAtOne);
        ZVSDFree(h);
    }
}

}  // namespace
