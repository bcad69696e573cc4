// The OpenGL engine's exports on a window of the test's X server, and the
// two engines against each other: a scene painted by the OpenGL engine and
// the visible stretches of the software engine rasterised at the same size
// must agree on the line pixels up to one pixel of displacement. Skipped
// without an X server or OpenGL.
#include <gtest/gtest.h>
#include <zvhlr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../message_capture.h"
#include "camera.h"
#include "demo_model.h"
#include "mesh.h"
// Xlib last: its macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zv::tool {
namespace {

constexpr int kSize = 256;
using Raster = std::vector<char>;  // kSize * kSize, row by row from the top

struct View {
    std::array<double, 12> base;  // unit X and Y axes, Z as long as the scene
    double units;                 // pixels per model unit
};

View ViewOf(const std::vector<Polygon>& scene, Vec3 direction, Vec3 up) {
    const Box box = BoundsOf(scene);
    const Camera camera(ViewSpec{direction, up, 0}, box);
    const Vec3 c = box.Center(), r = camera.Right(), u = camera.Up(), z = camera.Forward() * -box.Diagonal();
    return {{c.x, c.y, c.z, r.x, r.y, r.z, u.x, u.y, u.z, z.x, z.y, z.z}, 0.85 * kSize / box.Diagonal()};
}

// Hands every face to an engine through its add functions.
template <class Handle>
void AddFaces(Handle h, const std::vector<Polygon>& scene, int32_t (*contour)(Handle, int32_t, const TXYZ*),
              int32_t (*hole)(Handle, int32_t, const TXYZ*)) {
    auto add = [h](auto function, const Ring& ring) {
        std::vector<TXYZ> points;
        for (const Vec3& p : ring) points.push_back({p.x, p.y, p.z});
        function(h, static_cast<int32_t>(points.size()), points.data());
    };
    for (const Polygon& polygon : scene) {
        add(contour, polygon.outer);
        for (const Ring& ring : polygon.holes) add(hole, ring);
    }
}

// Marks the pixel under every quarter pixel of the segment.
void RasteriseSegment(Raster& raster, TXY a, TXY b, double units) {
    const double x0 = kSize / 2.0 + a.X * units, y0 = kSize / 2.0 - a.Y * units;
    const double x1 = kSize / 2.0 + b.X * units, y1 = kSize / 2.0 - b.Y * units;
    const int steps = 1 + static_cast<int>(4 * std::hypot(x1 - x0, y1 - y0));
    for (int k = 0; k <= steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        const int x = static_cast<int>(std::floor(x0 + (x1 - x0) * t)), y = static_cast<int>(std::floor(y0 + (y1 - y0) * t));
        if (x >= 0 && x < kSize && y >= 0 && y < kSize) raster[static_cast<size_t>(y * kSize + x)] = 1;
    }
}

// The software engine's visible stretches, through its drawing callbacks.
Raster* penRaster = nullptr;
double penUnits = 1;
TXY penAt{};

void MoveTo(ZVSDHandle, const TXY* p) { penAt = *p; }
void LineTo(ZVSDHandle, int32_t visible, const TXY* p) {
    if (visible) RasteriseSegment(*penRaster, penAt, *p, penUnits);
    penAt = *p;
}

Raster SoftwareRaster(const std::vector<Polygon>& scene, const View& view) {
    Raster raster(kSize * kSize, 0);
    ZVSDHandle h = ZVSDCreate();
    TZVSDData data;
    _ZVSDGetData(h, &data);
    data.MoveToProc = MoveTo;
    data.LineToProc = LineTo;
    data.FrontPositiveFlag = 0;  // faces run counter-clockwise seen from outside
    data.DrawHiddenFlag = 0;
    _ZVSDSetData(h, &data);
    ZVSDSetOptions(h, ZVSD_OPTION_BUILTIN_VIEW | ZVSD_OPTION_SPLIT, 1);
    ZVSDSetView(h, view.base.data(), 0);
    ZVSDSetChanging(h, 1);
    AddFaces(h, scene, ZVSDAddContour, ZVSDAddHole);
    ZVSDSetChanging(h, 0);
    penRaster = &raster;
    penUnits = view.units;
    ZVSDDraw(h, 0);
    ZVSDFree(h);
    return raster;
}

constexpr double kIdentityBase[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};

// A square of the plane z, clockwise seen from +Z.
std::vector<TXYZ> Square(double x1, double y1, double x2, double y2, double z) {
    return {{x1, y1, z}, {x1, y2, z}, {x2, y2, z}, {x2, y1, z}};
}

class Zvod : public testing::Test {
protected:
    void SetUp() override {
        if (!(display = XOpenDisplay(nullptr))) GTEST_SKIP() << "no X server ($DISPLAY)";
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kSize, kSize, 0, 0,
                                     WhitePixel(display, DefaultScreen(display)));
        XSelectInput(display, window, ExposureMask);
        XMapWindow(display, window);
        XSync(display, False);
        h = ZVODCreate(window);
        if (!h) GTEST_SKIP() << "no OpenGL on this display";
        const int32_t viewport[4] = {0, 0, kSize, kSize};
        ZVODSetViewPort(h, viewport);
        ZVODProjectionBaseChanged(h, kIdentityBase);
        Exposes();
    }
    void TearDown() override {
        if (h) ZVODFree(h);
        if (display) XCloseDisplay(display);
    }
    // Expose events that reached the window since the last call.
    int Exposes() {
        XSync(display, False);
        int count = 0;
        for (XEvent event; XCheckTypedWindowEvent(display, window, Expose, &event);) ++count;
        return count;
    }
    int32_t Add(const std::vector<TXYZ>& points, bool hole = false) {
        auto count = static_cast<int32_t>(points.size());
        return hole ? ZVODAddHole(h, count, points.data()) : ZVODAddContour(h, count, points.data());
    }
    TZVODData Data() {
        TZVODData data;
        std::memset(&data, 0x5A, sizeof data);
        EXPECT_EQ(_ZVODGetData(h, &data), 0);
        return data;
    }

    Raster OpenGLRaster(const std::vector<Polygon>& scene, const View& view) {
        ZVODProjectionBaseChanged(h, view.base.data());
        TZVODData data;
        _ZVODGetData(h, &data);
        data.UnitsPerCM = static_cast<float>(view.units);
        data.Clockwise = 0;
        data.HiddenLines = 1;
        _ZVODSetData(h, &data);
        ZVODClear(h);
        AddFaces(h, scene, ZVODAddContour, ZVODAddHole);
        ZVODDraw(h, 0);
        XImage* image = XGetImage(display, window, 0, 0, kSize, kSize, AllPlanes, ZPixmap);
        Raster raster(kSize * kSize, 0);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) raster[static_cast<size_t>(y * kSize + x)] = (XGetPixel(image, x, y) & 0xFFFFFF) != 0xFFFFFF;
        XDestroyImage(image);
        return raster;
    }

    // Line pixels of a with no line pixel of b in the 3 x 3 block around them.
    static int Unmatched(const Raster& a, const Raster& b) {
        auto line = [](const Raster& r, int x, int y) {
            return x >= 0 && x < kSize && y >= 0 && y < kSize && r[static_cast<size_t>(y * kSize + x)];
        };
        int count = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                bool near = false;
                for (int k = 0; k < 9; ++k) near = near || line(b, x + k % 3 - 1, y + k / 3 - 1);
                count += line(a, x, y) && !near;
            }
        return count;
    }

    void ExpectAgreement(const std::vector<Polygon>& scene, Vec3 direction, Vec3 up, const std::string& what) {
        const View view = ViewOf(scene, direction, up);
        const Raster gl = OpenGLRaster(scene, view), sw = SoftwareRaster(scene, view);
        const auto glLines = std::count(gl.begin(), gl.end(), 1), swLines = std::count(sw.begin(), sw.end(), 1);
        const int onlyGL = Unmatched(gl, sw), onlySW = Unmatched(sw, gl);
        EXPECT_GT(swLines, 0) << what;
        // Where an edge passes through a face at a shallow angle, OpenGL keeps
        // it visible for a few pixels past the piercing point: the polygon
        // offset pushes the fill back by 1.5 times its depth slope.
        EXPECT_LE(onlyGL, glLines / 100) << what << ": OpenGL line pixels the software engine has not";
        EXPECT_LE(onlySW, swLines / 100) << what << ": software line pixels OpenGL has not";
    }

    Display* display = nullptr;
    Window window = 0;
    ZVODHandle h = nullptr;
};

// What _ZVODSetData takes and what _ZVODGetData gives back: Booleans as
// -1 or 0, the scale rounded to single precision, a scale that is not a
// finite positive number refused, the reserved field 0.
TEST_F(Zvod, SettingsReadBackNormalised) {
    const struct {
        double units;
        int16_t clockwise, hidden;
        TZVODData back;
    } cases[] = {
        {0.1, 1, 1, {0.1f, -1, -1, 0x123456, -7, 1 << 30, 0}},
        {12.345678901, 0, 0x100, {12.345678901f, 0, -1, 0x123456, -7, 1 << 30, 0}},
        {-5, 0x7FFF, 0, {12.345678901f, -1, 0, 0x123456, -7, 1 << 30, 0}},
        {NAN, 0, 1, {12.345678901f, 0, -1, 0x123456, -7, 1 << 30, 0}},
    };
    for (const auto& c : cases) {
        TZVODData d = {static_cast<float>(c.units), c.clockwise, c.hidden, 0x123456, -7, 1 << 30, 99};
        _ZVODSetData(h, &d);
        TZVODData back = Data();
        EXPECT_EQ(std::memcmp(&back, &c.back, sizeof back), 0) << c.units;
    }
}

TEST_F(Zvod, AddResultsCountEntriesAndRefuseWhatCannotBeDrawn) {
    const std::vector<TXYZ> square = Square(0, 0, 1, 1, 0);
    std::vector<TXYZ> notFinite = square;
    notFinite[2].Y = INFINITY;
    EXPECT_EQ(Add(square, true), -1);  // a hole before any face
    const int32_t results[] = {Add(square), Add(square), Add(square, true), Add(square, true), Add({square[0]}),
                               Add(notFinite), Add(notFinite, true), ZVODAddContour(h, 4, nullptr)};
    EXPECT_EQ(std::vector<int32_t>(std::begin(results), std::end(results)), (std::vector<int32_t>{0, 1, 2, 3, 3, 3, 3, 3}));
    ZVODClear(h);
    EXPECT_EQ(Add(square, true), -1);  // the face went with Clear
    EXPECT_EQ(Add(square), 0);
    EXPECT_EQ(Exposes(), 0);  // adding and clearing ask for no repaint
}

TEST_F(Zvod, OneRepaintRequestPerClosedBracket) {
    ZVODSetChanging(h, 1);
    ZVODSetChanging(h, 1);
    Add(Square(0, 0, 1, 1, 0));
    ZVODProjectionBaseChanged(h, kIdentityBase);
    ZVODSetChanging(h, 0);
    EXPECT_EQ(Exposes(), 0);
    ZVODSetChanging(h, 0);
    EXPECT_EQ(Exposes(), 1);
    ZVODProjectionBaseChanged(h, kIdentityBase);
    EXPECT_EQ(Exposes(), 1);
    TZVODData d = Data();
    _ZVODSetData(h, &d);  // only setting HiddenLines repaints
    EXPECT_EQ(Exposes(), 1);
    d.Clockwise = 0;
    _ZVODSetData(h, &d);
    EXPECT_EQ(Exposes(), 2);
    ZVODChanged(h);
    EXPECT_EQ(Exposes(), 1);
}

// No handle without a window; unknown and freed handles are ignored.
TEST_F(Zvod, MissingWindowsAndUnknownHandles) {
    MessageCapture messages;
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(ZVODCreate(0), nullptr);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(ZVODCreate(0x7FFFFFF0ul), nullptr);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("no window 0x7ffffff0"), std::string::npos);
    int local = 0;
    auto* bogus = reinterpret_cast<ZVODHandle>(&local);
    const TXYZ p[3] = {};
    TZVODData d{};
    EXPECT_EQ(_ZVODGetData(bogus, nullptr) + _ZVODGetData(bogus, &d), -2);
    EXPECT_EQ(ZVODAddContour(bogus, 3, p) + ZVODAddHole(bogus, 3, p) + ZVODPick(bogus, 1, 1), -3);
    _ZVODSetData(bogus, &d);
    ZVODDraw(bogus, 0);
    ZVODFree(bogus);
    EXPECT_EQ(local, 0);
    ZVODFree(h);
    EXPECT_EQ(ZVODAddContour(h, 3, p), -1);  // freed
    h = nullptr;
}

// Quads of random size, place and tilt, each turned to face the viewer
// (the engines differ by design on faces seen from behind: the software
// engine hides them, OpenGL still draws their outlines where nothing covers
// them).
std::vector<Polygon> RandomScene(unsigned seed, Vec3 towards) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coordinate(-10, 10), size(1, 6), angle(-1.2, 1.2);
    std::vector<Polygon> scene;
    for (int i = 0; i < 12; ++i) {
        const Vec3 centre{coordinate(random), coordinate(random), coordinate(random) / 2};
        const double a = angle(random), b = angle(random), w = size(random), l = size(random);
        const Vec3 u{std::cos(a), std::sin(a), 0};
        const Vec3 v = Normalized(Vec3{-std::sin(a) * std::cos(b), std::cos(a) * std::cos(b), std::sin(b)});
        Ring ring{centre - u * w - v * l, centre + u * w - v * l, centre + u * w + v * l, centre - u * w + v * l};
        if (Dot(RingNormal(ring), towards) < 0) ring = {ring[3], ring[2], ring[1], ring[0]};
        if (std::abs(Dot(Normalized(RingNormal(ring)), towards)) < 0.2) continue;  // nearly edge-on
        scene.push_back({ring, {}, 0});
    }
    return scene;
}

TEST_F(Zvod, EnginesAgreeOnTheDemoPartAndSeededRandomScenes) {
    for (const Vec3& d : {Vec3{-1, 1, -1}, {1, -1, -1}, {-1, 1, 1}, {-0.3, 1, -0.45}, {0.2, 0.35, -1}})
        ExpectAgreement(DemoModel(), d, {0, 0, 1}, std::to_string(d.x) + " " + std::to_string(d.y));
    const Vec3 direction{-0.4, 0.5, -1};
    for (unsigned seed = 1; seed <= 4; ++seed)
        ExpectAgreement(RandomScene(seed, direction * -1.0), direction, {0, 0, 1}, "seed " + std::to_string(seed));
}

}  // namespace
}  // namespace zv::tool
