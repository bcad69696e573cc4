// The ZVOD exports on a window of the test's X server (skipped without one).
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) clash with GoogleTest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "message_capture.h"
#include "ogl/opengl_unit.h"
#include "zvhlr.h"

namespace {

constexpr int kSize = 120;
constexpr double kIdentityBase[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};

// A square of the plane z, clockwise seen from +Z.
std::vector<TXYZ> Square(double x1, double y1, double x2, double y2, double z) {
    return {{x1, y1, z}, {x1, y2, z}, {x2, y2, z}, {x2, y1, z}};
}

class Zvod : public testing::Test {
protected:
    void SetUp() override {
        if (!zv::OpenGLAvailable()) GTEST_SKIP() << zv::OpenGLUnavailableReason();
        if (!(display = XOpenDisplay(nullptr))) GTEST_SKIP() << "no X server ($DISPLAY)";
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kSize, kSize, 0, 0,
                                     WhitePixel(display, DefaultScreen(display)));
        XSelectInput(display, window, ExposureMask);
        XMapWindow(display, window);
        XSync(display, False);
        h = ZVODCreate(window);
        ASSERT_NE(h, nullptr);
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
        XEvent event;
        while (XCheckTypedWindowEvent(display, window, Expose, &event)) ++count;
        return count;
    }
    unsigned long Pixel(int x, int y) {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
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

    Display* display = nullptr;
    Window window = 0;
    ZVODHandle h = nullptr;
};

TEST_F(Zvod, FreshHandleReportsTheDefaults) {
    EXPECT_EQ(_ZVODGetData(h, nullptr), 24);
    TZVODData d = Data();
    EXPECT_EQ(d.UnitsPerCM, 30.0f);
    EXPECT_EQ(d.Clockwise, -1);
    EXPECT_EQ(d.HiddenLines, 0);
    EXPECT_EQ(d.LineColor, 0u);
    EXPECT_EQ(d.HostValue1 | d.HostValue2 | d.Reserved, 0);
}

// What _ZVODSetData takes and what _ZVODGetData gives back.
TEST_F(Zvod, SettingsReadBackNormalised) {
    struct Case {
        double units;
        int16_t clockwise, hidden;
        float unitsBack;
        int16_t clockwiseBack, hiddenBack;
    };
    const Case cases[] = {
        {0.1, 1, 1, 0.1f, -1, -1},
        {12.345678901, 0, 0x100, 12.345678901f, 0, -1},
        {-5, 0x7FFF, 0, 12.345678901f, -1, 0},    // a negative scale is refused
        {NAN, 0, 1, 12.345678901f, 0, -1},        // so is one that is not a number
    };
    for (const Case& c : cases) {
        TZVODData d = Data();
        d.UnitsPerCM = static_cast<float>(c.units);
        d.Clockwise = c.clockwise;
        d.HiddenLines = c.hidden;
        d.LineColor = 0x123456;
        d.HostValue1 = -7;
        d.HostValue2 = 1 << 30;
        d.Reserved = 99;
        _ZVODSetData(h, &d);
        TZVODData back = Data();
        EXPECT_EQ(back.UnitsPerCM, c.unitsBack) << c.units;
        EXPECT_EQ(back.Clockwise, c.clockwiseBack) << c.units;
        EXPECT_EQ(back.HiddenLines, c.hiddenBack) << c.units;
        EXPECT_EQ(back.LineColor, 0x123456u);
        EXPECT_EQ(back.HostValue1, -7);
        EXPECT_EQ(back.HostValue2, 1 << 30);
        EXPECT_EQ(back.Reserved, 0);
    }
}

TEST_F(Zvod, AddResultsCountEntriesAndRefuseWhatCannotBeDrawn) {
    const std::vector<TXYZ> square = Square(0, 0, 1, 1, 0);
    std::vector<TXYZ> notFinite = square;
    notFinite[2].Y = INFINITY;
    EXPECT_EQ(Add(square, true), -1);  // a hole before any face
    EXPECT_EQ(Add(square), 0);
    EXPECT_EQ(Add(square), 1);
    EXPECT_EQ(Add(square, true), 2);
    EXPECT_EQ(Add(square, true), 3);
    EXPECT_EQ(Add({square[0]}), 3);
    EXPECT_EQ(Add(notFinite), 3);
    EXPECT_EQ(Add(notFinite, true), 3);
    EXPECT_EQ(ZVODAddContour(h, 4, nullptr), 3);
    EXPECT_EQ(ZVODAddContour(h, -4, square.data()), 3);
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

// A large square at z = 0 whose lower edge runs behind a small one at z = 1:
// with hidden lines on, that stretch is painted over in white; with them
// off the faces are painted filled.
TEST_F(Zvod, HiddenStretchPaintedOverInHiddenLineMode) {
    const int centre = kSize / 2;
    EXPECT_EQ(Pixel(centre, centre), 0xFFFFFFu);
    ZVODDraw(h, 12345);
    EXPECT_EQ(Pixel(centre, centre), 0xFFFFFFu);  // white before any face
    Add(Square(-1.5, -1.5, 1.5, 1.5, 0));
    Add(Square(-0.5, -2, 0.5, -1, 1));
    const int hiddenRow = centre + 45, besideColumn = centre - 30;  // y = -1.5; x = -1
    for (bool hidden : {false, true}) {
        TZVODData d = Data();
        d.HiddenLines = hidden ? 1 : 0;
        d.LineColor = 0x00FF00;  // green
        _ZVODSetData(h, &d);
        ZVODDraw(h, 0);
        EXPECT_EQ(Pixel(centre, centre) == 0xFFFFFFu, hidden);
        if (!hidden) continue;
        EXPECT_EQ(Pixel(centre, hiddenRow), 0xFFFFFFu);
        EXPECT_EQ(Pixel(besideColumn, hiddenRow), 0x00FF00u);
    }
}

TEST_F(Zvod, CreateWithoutAWindowGivesNoHandle) {
    MessageCapture messages;
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(ZVODCreate(0), nullptr);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(ZVODCreate(0x7FFFFFF0ul), nullptr);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("no window 0x7ffffff0"), std::string::npos);
}

TEST_F(Zvod, UnknownHandlesAreIgnored) {
    int local = 0;
    auto* bogus = reinterpret_cast<ZVODHandle>(&local);
    const TXYZ p[3] = {};
    const int32_t rect[4] = {0, 0, 10, 10};
    TZVODData d{};
    EXPECT_EQ(_ZVODGetData(bogus, nullptr), -1);
    EXPECT_EQ(_ZVODGetData(bogus, &d), -1);
    EXPECT_EQ(ZVODAddContour(bogus, 3, p), -1);
    EXPECT_EQ(ZVODAddHole(bogus, 3, p), -1);
    EXPECT_EQ(ZVODPick(bogus, 1, 1), -1);
    _ZVODSetData(bogus, &d);
    ZVODSetChanging(bogus, 0);
    ZVODChanged(bogus);
    ZVODDraw(bogus, 0);
    ZVODClear(bogus);
    ZVODSetViewPort(bogus, rect);
    ZVODProjectionBaseChanged(bogus, kIdentityBase);
    ZVODFree(bogus);
    ZVODFree(nullptr);
    EXPECT_EQ(local, 0);
    ZVODFree(h);
    EXPECT_EQ(ZVODAddContour(h, 3, p), -1);  // freed
    h = nullptr;
}

}  // namespace
