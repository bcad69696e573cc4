// ZVSDSetOptions, ZVSDSetView and ZVSDGetStatistics through the C interface:
// their answers to bad arguments, and the built-in parallel and perspective
// views against a host that computes the same view through its callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "zvhlr.h"

namespace {

const double Pi = 3.14159265358979323846;

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Of(const TXYZ& p) { return {p.X, p.Y, p.Z}; }

// A camera as a host would write it: an eye, the screen axes right and up,
// the direction back towards the viewer, and a focal distance (0: parallel,
// projecting onto the plane through `origin`).
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
        if (std::fabs(nr) < 1e-12) return 0.0;
        const double lambda = Dot(n, o - Eye()) / nr;
        return (lambda - 1.0) * std::sqrt(Dot(ray, ray));
    }
    V3 Interpolate(V3 a, V3 b, double t) const {
        if (focal == 0) return a + (b - a) * t;
        const double wa = -Dot(a - Eye(), back), wb = -Dot(b - Eye(), back);
        return a + (b - a) * (t * wa / ((1 - t) * wb + t * wa));
    }
    void Base(double base[12]) const {
        const double values[12] = {origin.x, origin.y, origin.z, right.x, right.y, right.z,
                                   up.x,     up.y,     up.z,     back.x,  back.y,  back.z};
        for (int k = 0; k < 12; ++k) base[k] = values[k];
    }
};

std::map<ZVSDHandle, const Camera*> cameras;

extern "C" void ProjectCb(ZVSDHandle h, const TXYZ* p, TXY* out) { *out = cameras[h]->Project(Of(*p)); }
extern "C" double DepthCb(ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ*) {
    return cameras[h]->Depth(Of(*p), Of(plane->Origin), Of(plane->Normal));
}
extern "C" void InterpolateCb(ZVSDHandle h, const TXYZ* a, const TXYZ* b, double t, TXYZ* out) {
    const V3 r = cameras[h]->Interpolate(Of(*a), Of(*b), t);
    *out = {r.x, r.y, r.z};
}

using Face = std::vector<TXYZ>;

// Faces listed clockwise as seen from +z (the viewer of the default base):
// a large square in front, a smaller one behind it that sticks out to the
// right, a square with a hole in the back.
std::vector<std::vector<Face>> Scene() {
    return {
        {{{-20, -20, 10}, {-20, 20, 10}, {20, 20, 10}, {20, -20, 10}}},
        {{{0, -10, -10}, {0, 10, -10}, {60, 10, -10}, {60, -10, -10}}},
        {{{-50, -50, -40}, {-50, 50, -40}, {50, 50, -40}, {50, -50, -40}},
         {{-5, -5, -40}, {5, -5, -40}, {5, 5, -40}, {-5, 5, -40}}},
    };
}

void Load(ZVSDHandle h, const std::vector<std::vector<Face>>& groups) {
    ZVSDSetChanging(h, 1);
    for (const auto& g : groups)
        for (size_t k = 0; k < g.size(); ++k) {
            if (k == 0)
                ZVSDAddContour(h, static_cast<int32_t>(g[k].size()), g[k].data());
            else
                ZVSDAddHole(h, static_cast<int32_t>(g[k].size()), g[k].data());
        }
    ZVSDSetChanging(h, 0);
}

struct Result {
    std::vector<std::vector<TXY>> outlines;
    std::vector<std::vector<double>> masks;
};

Result Read(ZVSDHandle h) {
    TZVSDData d;
    _ZVSDGetData(h, &d);
    Result r;
    for (int i = 0; i < d.ItemCount; ++i) {
        std::vector<TXY> outline(static_cast<size_t>(ZVSDGetArray2d(h, i, nullptr)));
        ZVSDGetArray2d(h, i, outline.data());
        std::vector<double> mask(static_cast<size_t>(ZVSDGetMask(h, i, nullptr)));
        ZVSDGetMask(h, i, mask.data());
        r.outlines.push_back(outline);
        r.masks.push_back(mask);
    }
    return r;
}

// The scene computed once through the host's callbacks and once with the
// built-in view of the same camera.
void ExpectSameAsCallbacks(const Camera& camera, double angle, bool frontPositive) {
    ZVSDHandle host = ZVSDCreate();
    cameras[host] = &camera;
    TZVSDData d;
    _ZVSDGetData(host, &d);
    d.ProjectProc = ProjectCb;
    d.DepthProc = DepthCb;
    d.InterpolateProc = InterpolateCb;
    d.FrontPositiveFlag = frontPositive ? 1 : 0;
    _ZVSDSetData(host, &d);
    Load(host, Scene());
    const Result expected = Read(host);

    ZVSDHandle builtin = ZVSDCreate();
    TZVSDData plain;
    _ZVSDGetData(builtin, &plain);
    plain.FrontPositiveFlag = frontPositive ? 1 : 0;
    _ZVSDSetData(builtin, &plain);
    double base[12];
    camera.Base(base);
    ASSERT_EQ(ZVSDSetView(builtin, base, angle), 0);
    ASSERT_EQ(ZVSDSetOptions(builtin, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 2), 0);
    Load(builtin, Scene());
    const Result got = Read(builtin);

    ASSERT_EQ(got.masks.size(), expected.masks.size());
    int hidden = 0;
    for (size_t i = 0; i < got.masks.size(); ++i) {
        ASSERT_EQ(got.outlines[i].size(), expected.outlines[i].size()) << i;
        for (size_t k = 0; k < got.outlines[i].size(); ++k) {
            EXPECT_NEAR(got.outlines[i][k].X, expected.outlines[i][k].X, 1e-9) << i << "/" << k;
            EXPECT_NEAR(got.outlines[i][k].Y, expected.outlines[i][k].Y, 1e-9) << i << "/" << k;
        }
        ASSERT_EQ(got.masks[i].size(), expected.masks[i].size()) << "item " << i;
        for (size_t k = 0; k < got.masks[i].size(); ++k) EXPECT_NEAR(got.masks[i][k], expected.masks[i][k], 1e-9);
        hidden += got.masks[i].size() > 1 || got.masks[i][0] < 0;
    }
    EXPECT_GE(hidden, 2) << "the view hides something";
    cameras.erase(host);
    ZVSDFree(host);
    ZVSDFree(builtin);
}

TEST(ViewExports, RejectBadArguments) {
    ZVSDHandle h = ZVSDCreate();
    int bogus = 0;
    ZVSDHandle unknown = reinterpret_cast<ZVSDHandle>(&bogus);
    const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double nan = std::numeric_limits<double>::quiet_NaN();

    EXPECT_EQ(ZVSDSetOptions(unknown, ZVSD_OPTION_INDEX, 1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, 8, 1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX, -1), -1);
    EXPECT_EQ(ZVSDSetOptions(h, 0, 0), 0);
    EXPECT_EQ(ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 1000), 0);

    EXPECT_EQ(ZVSDSetView(unknown, base, 0), -1);
    EXPECT_EQ(ZVSDSetView(h, nullptr, 0), -1);
    EXPECT_EQ(ZVSDSetView(h, base, -1), -1);
    EXPECT_EQ(ZVSDSetView(h, base, 180.5), -1);
    EXPECT_EQ(ZVSDSetView(h, base, nan), -1);
    double bad[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};  // Z axis in the plane of X and Y
    EXPECT_EQ(ZVSDSetView(h, bad, 0), -1);
    bad[9] = nan;
    EXPECT_EQ(ZVSDSetView(h, bad, 0), -1);
    EXPECT_EQ(ZVSDSetView(h, base, 0), 0);
    EXPECT_EQ(ZVSDSetView(h, base, 180), 0);
    EXPECT_EQ(ZVSDSetView(h, base, 45), 0);

    int64_t counts[2] = {7, 7};
    EXPECT_EQ(ZVSDGetStatistics(unknown, counts), -1);
    EXPECT_EQ(ZVSDGetStatistics(h, nullptr), -1);
    EXPECT_EQ(ZVSDGetStatistics(h, counts), -1) << "no calculation yet";
    ZVSDFree(h);
}

TEST(ViewExports, StatisticsComeFromRunsWithOptionsOnly) {
    ZVSDHandle h = ZVSDCreate();
    const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    ZVSDSetView(h, base, 0);
    ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW, 1);
    Load(h, Scene());
    int64_t counts[2] = {-1, -1};
    ASSERT_EQ(ZVSDGetStatistics(h, counts), 0);
    // Items 0, 1 and the group of 2 and 3 all overlap: pairs (0,1) (0,2) (0,3) (1,0) (1,2) (1,3) (2,0) (2,1) (3,0) (3,1).
    EXPECT_EQ(counts[0], 10);
    EXPECT_GT(counts[1], 0);
    ZVSDSetOptions(h, 0, 1);
    ZVSDChanged(h);
    EXPECT_EQ(ZVSDGetStatistics(h, counts), -1);
    ZVSDFree(h);
}

TEST(ViewExports, ParallelViewMatchesTheHostsCallbacks) {
    Camera front;  // looking down the z axis
    ExpectSameAsCallbacks(front, 0, true);
    ExpectSameAsCallbacks(front, 180, true);
    Camera tilted;
    const double a = 0.3;
    tilted.origin = {3, -2, 1};
    tilted.right = {std::cos(a), 0, -std::sin(a)};
    tilted.up = {0, 1, 0};
    tilted.back = {std::sin(a), 0, std::cos(a)};
    ExpectSameAsCallbacks(tilted, 0, true);
    // Seen from behind, the counter-clockwise faces face the viewer.
    Camera behind;
    behind.right = {-1, 0, 0};
    behind.back = {0, 0, -1};
    ExpectSameAsCallbacks(behind, 0, false);
}

TEST(ViewExports, PerspectiveViewMatchesTheHostsCallbacks) {
    for (double angle : {30.0, 60.0, 90.0}) {
        SCOPED_TRACE(angle);
        Camera camera;
        camera.focal = 500.0 / std::tan(angle * Pi / 360.0);
        camera.origin = {5, 3, 40};  // the eye lies at origin + back * focal
        ExpectSameAsCallbacks(camera, angle, true);
    }
}

TEST(ViewExports, ScaledAxesScaleTheDrawingThroughTheInverse) {
    ZVSDHandle h = ZVSDCreate();
    const double base[12] = {10, 0, 0, 2, 0, 0, 0, 0.5, 0, 0, 0, 1};
    ASSERT_EQ(ZVSDSetView(h, base, 0), 0);
    ZVSDSetOptions(h, ZVSD_OPTION_BUILTIN_VIEW, 1);
    const Face square = {{10, 0, 0}, {10, 1, 0}, {14, 1, 0}, {14, 0, 0}};
    ZVSDAddContour(h, 4, square.data());
    TXY outline[5];
    ASSERT_EQ(ZVSDGetArray2d(h, 0, nullptr), 5);
    ZVSDGetArray2d(h, 0, outline);
    EXPECT_DOUBLE_EQ(outline[1].X, 0.0);
    EXPECT_DOUBLE_EQ(outline[1].Y, 2.0);  // 1 / 0.5
    EXPECT_DOUBLE_EQ(outline[2].X, 2.0);  // (14 - 10) / 2
    double mask[1];
    ZVSDGetMask(h, 0, mask);
    EXPECT_EQ(mask[0], 1.0) << "clockwise as seen by the viewer: it faces the viewer";
    ZVSDFree(h);
}

TEST(ViewExports, ContoursAtOrBehindTheEyeTakeNoPart) {
    ZVSDHandle h = ZVSDCreate();
    const double base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_EQ(ZVSDSetView(h, base, 90), 0);  // eye at z = 500
    ZVSDSetOptions(h, ZVSD_OPTION_BUILTIN_VIEW, 1);
    ZVSDSetChanging(h, 1);
    const Face visible = {{-10, -10, 0}, {-10, 10, 0}, {10, 10, 0}, {10, -10, 0}};
    const Face straddling = {{-10, -10, 400}, {-10, 10, 400}, {10, 10, 600}, {10, -10, 600}};
    ZVSDAddContour(h, 4, visible.data());
    ZVSDAddContour(h, 4, straddling.data());
    ZVSDSetChanging(h, 0);
    double mask[4];
    ZVSDGetMask(h, 0, mask);
    EXPECT_EQ(mask[0], 1.0);
    ASSERT_EQ(ZVSDGetMask(h, 1, nullptr), 1);
    ZVSDGetMask(h, 1, mask);
    EXPECT_EQ(mask[0], -1.0);
    ZVSDFree(h);
}

}  // namespace
