// ZVSDSetOptions, ZVSDSetView and ZVSDGetStatistics: their answers to bad
// arguments, and the built-in parallel and perspective views against a host
// that computes the same view through its callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "zvsd_host.h"

namespace {

using namespace zvsdtest;

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Of(const TXYZ& p) { return {p.X, p.Y, p.Z}; }

// A camera as a host would write it: the screen axes right and up, the
// direction back towards the viewer, and a focal distance (0: parallel,
// projecting onto the plane through `origin`; else the eye is at origin + back * focal).
struct Camera {
    V3 origin{0, 0, 0};
    V3 right{1, 0, 0}, up{0, 1, 0}, back{0, 0, 1};
    double focal = 0;

    V3 Eye() const { return origin + back * focal; }
    TXY Project(V3 p) const {
        if (focal == 0) return {Dot(p - origin, right), Dot(p - origin, up)};
        const V3 d = p - Eye();
        const double ahead = -Dot(d, back);
        return {focal * Dot(d, right) / ahead, focal * Dot(d, up) / ahead};
    }
    // Euclidean distance along the viewing ray from the plane to p, positive on the viewer's side.
    double Depth(V3 p, V3 o, V3 n) const {
        if (focal == 0) {
            const double nz = Dot(n, back);
            return std::fabs(nz) < 1e-12 ? 0.0 : Dot(p - o, n) / nz;
        }
        const V3 ray = p - Eye();
        const double nr = Dot(n, ray);
        return std::fabs(nr) < 1e-12 ? 0.0 : (Dot(n, o - Eye()) / nr - 1.0) * std::sqrt(Dot(ray, ray));
    }
    V3 Interpolate(V3 a, V3 b, double t) const {
        if (focal == 0) return a + (b - a) * t;
        const double wa = -Dot(a - Eye(), back), wb = -Dot(b - Eye(), back);
        return a + (b - a) * (t * wa / ((1 - t) * wb + t * wa));
    }
    void Base(double base[12]) const {
        const double values[12] = {origin.x, origin.y, origin.z, right.x, right.y, right.z,
                                   up.x,     up.y,     up.z,     back.x,  back.y,  back.z};
        std::copy(values, values + 12, base);
    }
};

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
void ExpectSameAsCallbacks(const Camera& camera, double angle, bool frontPositive) {
    Host host;
    host.project = [&](ZVSDHandle, const TXYZ& p, TXY& q) { q = camera.Project(Of(p)); };
    host.depth = [&](ZVSDHandle, const TXYZ& p, const TPlane& plane) {
        return camera.Depth(Of(p), Of(plane.Origin), Of(plane.Normal));
    };
    host.interpolate = [&](ZVSDHandle, const TXYZ& a, const TXYZ& b, double t, TXYZ& out) {
        const V3 r = camera.Interpolate(Of(a), Of(b), t);
        out = {r.x, r.y, r.z};
    };
    ZVSDHandle handles[2] = {host.NewHandle(), ZVSDCreate()};
    double base[12];
    camera.Base(base);
    ASSERT_EQ(ZVSDSetView(handles[1], base, angle), 0);
    ASSERT_EQ(ZVSDSetOptions(handles[1], ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 2), 0);
    for (ZVSDHandle h : handles) {
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.FrontPositiveFlag = frontPositive ? 1 : 0;
        _ZVSDSetData(h, &d);
        LoadScene(h);
    }
    int hidden = 0;
    for (int32_t i = 0; i < 4; ++i) {
        std::vector<TXY> want = Outline(handles[0], i), got = Outline(handles[1], i);
        ASSERT_EQ(got.size(), want.size()) << i;
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].X, want[k].X, 1e-9) << i << "/" << k;
            EXPECT_NEAR(got[k].Y, want[k].Y, 1e-9) << i << "/" << k;
        }
        std::vector<double> wantMask = Mask(handles[0], i), gotMask = Mask(handles[1], i);
        ASSERT_EQ(gotMask.size(), wantMask.size()) << "item " << i;
        for (size_t k = 0; k < gotMask.size(); ++k) EXPECT_NEAR(gotMask[k], wantMask[k], 1e-9);
        hidden += gotMask.size() > 1 || gotMask[0] < 0;
    }
    EXPECT_GE(hidden, 2) << "the view hides something";
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
    // Items 0, 1 and the group of 2 and 3 all overlap: pairs (0,1) (0,2) (0,3) (1,0) (1,2) (1,3) (2,0) (2,1) (3,0);
    // the hole 3 lies whole behind square 0, so square 1 is not asked about it.
    EXPECT_EQ(counts[0], 9);
    EXPECT_GT(counts[1], 0);
    ZVSDSetOptions(h, 0, 1);
    ZVSDChanged(h);
    EXPECT_EQ(ZVSDGetStatistics(h, counts), -1);
    ZVSDFree(h);
}

TEST(ViewExports, ParallelAndPerspectiveViewsMatchTheHostsCallbacks) {
    Camera front, tilted, behind;
    const double a = 0.3;
    tilted.origin = {3, -2, 1};
    tilted.right = {std::cos(a), 0, -std::sin(a)};
    tilted.back = {std::sin(a), 0, std::cos(a)};
    behind.right = {-1, 0, 0};
    behind.back = {0, 0, -1};
    ExpectSameAsCallbacks(front, 0, true);
    ExpectSameAsCallbacks(front, 180, true);
    ExpectSameAsCallbacks(tilted, 0, true);
    ExpectSameAsCallbacks(behind, 0, false);  // seen from behind, counter-clockwise faces face the viewer
    for (double angle : {30.0, 60.0, 90.0}) {
        SCOPED_TRACE(angle);
        Camera camera;
        camera.focal = 500.0 / std::tan(angle * std::numbers::pi / 360.0);
        camera.origin = {5, 3, 40};
        ExpectSameAsCallbacks(camera, angle, true);
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

}  // namespace

namespace {

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

}  // namespace

TEST(ViewExports, PairsDoNotDependOnTheScenesSize) {
    Camera oblique;
    oblique.back = {0.35 / 1.0, -0.6, 0.72};
    oblique.back = oblique.back * (1 / std::sqrt(Dot(oblique.back, oblique.back)));
    oblique.right = V3{0.6, 0.35, 0} * (1 / std::sqrt(0.6 * 0.6 + 0.35 * 0.35));
    const V3 b = oblique.back, r = oblique.right;
    oblique.up = {b.y * r.z - b.z * r.y, b.z * r.x - b.x * r.z, b.x * r.y - b.y * r.x};
    double base[12];
    oblique.Base(base);
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
