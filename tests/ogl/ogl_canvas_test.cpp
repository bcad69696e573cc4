// The OpenGL canvas painting on an X window (skipped without X server or GL).
// Scenes are given in window pixels; one world unit is 16 pixels and the
// window centre is the world origin.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

#include "device/ground.h"
#include "fonts/surface_patch.h"
#include "message_capture.h"
#include "ogl/gl_entry_points.h"
#include "ogl/ogl_canvas.h"
#include "ogl/ogl_light.h"
#include "ogl/opengl_unit.h"
#include "ogl/x11_context.h"
#include "platform/bitmap.h"
// Xlib last: its macros (None, Bool, KeyPress) clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zv {
namespace {

constexpr int size = 64;
constexpr TColor white = 0xFFFFFF, black = 0, red = 0x0000FF;

// Mesa unloads its driver when the library's X connection closes at
// shut-down, and LeakSanitizer would count the allocations that the
// driver's globals keep as leaks: the loaded driver is kept mapped.
void PinMesaDriver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (std::strstr(info->dlpi_name, "/dri/")) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

// A grob that draws what the test gives it.
class SceneGrob : public TZvGrob {
public:
    std::function<void(TZVDevice&)> draw;
    int draws = 0;

protected:
    friend class TComponent;
    explicit SceneGrob(TComponent* owner) : TZvGrob(owner) {}
    void DrawContents(TZVDevice& device) override {
        ++draws;
        if (draw) draw(device);
    }
};

// A rectangle between two pixel corners at depth z, counter-clockwise as seen.
TXYZArray* AddRect(TlistOFxyzArray& list, double x1, double y1, double x2, double y2, double z) {
    auto w = [](double px) { return (px - size / 2.0) / 16; };
    auto h = [](double py) { return (size / 2.0 - py) / 16; };
    const TXYZ points[4] = {{w(x1), h(y2), z}, {w(x2), h(y2), z}, {w(x2), h(y1), z}, {w(x1), h(y1), z}};
    TXYZArray* a = list.AddNew();
    for (const TXYZ& p : points) ArrayAdd(*a, &p);
    return a;
}

class OglCanvas : public testing::Test {
protected:
    void SetUp() override {
        if (!OpenGLAvailable()) GTEST_SKIP() << OpenGLUnavailableReason();
        if (!(display = LibraryDisplay())) GTEST_SKIP() << "no X server ($DISPLAY)";
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, size, size, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        canvas = TComponent::Create<TZvOglCanvas>(nullptr);
        canvas->SetHandle(reinterpret_cast<void*>(window));
        ASSERT_TRUE(canvas->HandleValid());
        PinMesaDriver();
        canvas->SetViewport({0, 0, size, size});
        canvas->SetUnitsPerCM(16);
        canvas->SetBackgroundColor(white);
        canvas->SetClockwise(false);
        canvas->SetLighting(false);
        canvas->SetPenColor(black);
    }
    void TearDown() override {
        // A grob is measured once more as it leaves the canvas; the test's
        // drawing closures may refer to locals that are gone by now.
        for (SceneGrob* grob : grobs) grob->draw = nullptr;
        for (SceneGrob* grob : grobs) grob->Free();
        if (canvas) canvas->Free();
        if (window) XDestroyWindow(display, window);
    }
    SceneGrob* AddGrob(std::function<void(TZVDevice&)> draw) {
        auto* grob = TComponent::Create<SceneGrob>(nullptr);
        grob->draw = std::move(draw);
        grob->SetParentEntity(canvas->StdGround());
        grobs.push_back(grob);
        return grob;
    }
    SceneGrob* AddFaces(const TlistOFxyzArray& faces) {
        return AddGrob([&faces](TZVDevice& d) { d.DrawPolylines(faces); });
    }
    // A grob of one rectangle, kept by the fixture.
    SceneGrob* AddRectGrob(double x1, double y1, double x2, double y2, double z) {
        AddRect(faces.emplace_back(), x1, y1, x2, y2, z);
        return AddFaces(faces.back());
    }
    // Paints a frame and returns the window's pixels as 0xRRGGBB.
    std::vector<unsigned long> Paint() {
        canvas->Paint();
        glFinish();
        XImage* image = XGetImage(display, window, 0, 0, size, size, AllPlanes, ZPixmap);
        std::vector<unsigned long> pixels;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return pixels;
    }
    static unsigned long At(const std::vector<unsigned long>& pixels, int x, int y) { return pixels[y * size + x]; }

    Display* display = nullptr;
    XWindow window = 0;
    TZvOglCanvas* canvas = nullptr;
    std::vector<SceneGrob*> grobs;
    std::deque<TlistOFxyzArray> faces;
};

// The compiled display list replays the same pixels; OpenGL errors reach
// the message sink.
TEST_F(OglCanvas, FilledFaceKeepsItsHoleInTheBackgroundAndReplays) {
    TlistOFxyzArray face;
    AddRect(face, 8, 8, 56, 56, 0);
    AddRect(face, 24, 24, 40, 40, 0);
    SceneGrob* grob = AddFaces(face);
    canvas->SetBrushColor(red);
    MessageCapture messages;
    canvas->SetPolygonMode(0x1234);
    canvas->SetPolygonMode(GL_FILL);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error: GL_INVALID_ENUM"});
    ASSERT_TRUE(canvas->AutoCompile());
    const auto first = Paint();
    EXPECT_TRUE(At(first, 12, 12) == 0xFF0000u && At(first, 32, 32) == white && At(first, 2, 2) == white);
    const int draws = grob->draws;
    const auto replayed = Paint();
    EXPECT_EQ(grob->draws, draws) << "replayed, not drawn";
    canvas->SetAutoCompile(false);
    EXPECT_EQ(Paint(), replayed);
    EXPECT_EQ(grob->draws, draws + 1);
}

// A far face whose right edge (column 40) runs behind a near face from row
// 24 down; the near face's left edge (column 24) crosses in front of it.
TEST_F(OglCanvas, HiddenLineModePaintsOverLinesBehindFaces) {
    AddRectGrob(24.5, 8.5, 56.5, 40.5, 1);
    AddRectGrob(8.5, 24.5, 40.5, 56.5, -1);
    canvas->SetPolygonMode(GL_LINE);
    // Without hidden-line mode an outline that does not repeat its first
    // point is an open strip: the near face's left edge is its closing edge.
    for (bool hidden : {true, false}) {
        canvas->SetHiddenLineMode(hidden);
        MessageCapture messages;
        const auto pixels = Paint();
        EXPECT_EQ(At(pixels, 40, 32), hidden ? white : black) << hidden;
        EXPECT_EQ(At(pixels, 40, 48), black) << "visible part of the far edge";
        EXPECT_EQ(At(pixels, 24, 32), hidden ? black : white) << "the near face's own edge";
        EXPECT_TRUE(At(pixels, 48, 16) == white && messages.Texts().empty());
        EXPECT_TRUE(canvas->PolygonMode() == GL_LINE && !canvas->Lighting() && !canvas->AttributesLocked());
        EXPECT_EQ(canvas->PenColor(), black);
    }
}

TEST_F(OglCanvas, PickReturnsTheFacesUnderThePixelByDepth) {
    SceneGrob* grobLower = AddRectGrob(8, 8, 56, 56, -1);
    SceneGrob* grobMiddle = AddRectGrob(16, 16, 48, 48, 0.5);
    AddRectGrob(40, 40, 56, 56, 1);
    canvas->SetPickAperture(1);
    THittypeList hits;
    ASSERT_TRUE(canvas->Pick(28, 40, nullptr, hits));
    ASSERT_EQ(hits.Count(), 2);
    // The device's order: the deepest first.
    EXPECT_TRUE(hits.Items(0)->Target() == grobLower && hits.Items(1)->Target() == grobMiddle);
    EXPECT_EQ(canvas->GetRenderMode(), kRenderMode);
    THittypeList none;
    EXPECT_FALSE(canvas->Pick(2, 60, nullptr, none));
}

TEST_F(OglCanvas, TextDrawsGlyphStrokes) {
    std::string text;
    AddGrob([&text](TZVDevice& d) { d.DrawText({-1.5, -0.5, 0}, text); });
    canvas->SetFontHeight(24);
    canvas->SetAutoCompile(false);
    for (const char* t : {"H", " ", "HH"}) {
        text = t;
        const auto pixels = Paint();
        const auto inked = std::count(pixels.begin(), pixels.end(), 0ul);
        if (text == " ") EXPECT_EQ(inked, 0);
        else EXPECT_GT(inked, 20) << text;
    }
    EXPECT_NE(canvas->GlyphBase(), 0u);
}

// A 2 x 2 texture over the rectangle (-1, -1)..(1, 1) (pixels 16..48); the
// face drawn after it (pixels 52..60) is untextured again.
TEST_F(OglCanvas, TexturedRectangleShowsItsTexels) {
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    auto* pixels = TComponent::Create<TzvbitmapData>(nullptr, 16);
    std::copy(texels, texels + 16, pixels->Data());
    auto* texture = TComponent::Create<Tzvbitmap>(nullptr);
    texture->SetSettings({kGLNearest, 2, 2, 0, 2.0, 2.0, pixels});
    const TTexturedRect rect{-1, -1, 1, 1, texture};
    TlistOFxyzArray face;
    AddRect(face, 52, 52, 60, 60, 0);
    AddGrob([&](TZVDevice& d) {
        d.ExtendedPrimitive2(kTexturedRectKind, &rect);
        d.DrawPolylines(face);
    });
    canvas->SetCullFace(false);  // the rectangle runs clockwise
    canvas->SetPenColor(white);
    canvas->SetBackgroundColor(black);
    const auto image = Paint();
    const int at[5][3] = {{20, 44, 0xFF0000}, {44, 44, 0x00FF00}, {20, 20, 0x0000FF}, {44, 20, white}, {56, 56, white}};
    for (const auto& [x, y, expected] : at) EXPECT_EQ(At(image, x, y), unsigned(expected)) << x << "," << y;
    EXPECT_EQ(canvas->Texture(), nullptr);
    texture->Free();
    pixels->Free();
}

TEST_F(OglCanvas, LightsAreNumberedUpToTheLimitAndShadeFaces) {
    ASSERT_EQ(canvas->GetLights().Count(), 2);  // the two default lights, switched off here
    GLint maxLights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    for (int32_t i = 0; i <= maxLights; ++i) {
        if (i >= 2) canvas->AddLight(TComponent::Create<TZVOglLight>(nullptr));
        auto* light = dynamic_cast<TZVOglLight*>(canvas->GetLights().Items(i));
        EXPECT_EQ(light->ZvOglCanvas(), canvas);
        EXPECT_EQ(light->LightIndex(), i < maxLights ? GL_LIGHT0 + i : -1);
        if (i < 2) light->SetEnabled(false);
    }
    auto* light = dynamic_cast<TZVOglLight*>(canvas->GetLights().Items(2));
    AddRectGrob(8, 8, 56, 56, 0);
    canvas->SetAutoCompile(false);
    canvas->SetLighting(true);
    MessageCapture messages;
    unsigned long previous = 0;
    for (TColor ambient : {0x000000u, 0x404040u, 0xC0C0C0u}) {
        light->SetAmbient(ambient);
        light->SetEnabled(ambient != 0);
        const unsigned long shade = At(Paint(), 32, 32) & 0xFF;
        if (ambient != 0) EXPECT_GT(shade, previous) << std::hex << ambient;
        previous = shade;
    }
    EXPECT_TRUE(messages.Texts().empty());
    // A spot light makes filled faces subdivided; values are stored unclamped.
    for (const auto& [cutOff, resolution] : {std::pair{120.0, 0.0}, {45.0, 2.0}, {90.0, 0.0}}) {
        light->SetSpotCutOff(cutOff);
        EXPECT_EQ(canvas->TriangleResolution(), resolution) << cutOff;
    }
}

// Without a usable window every OpenGL part is skipped; the state is kept.
TEST_F(OglCanvas, WithoutAWindowOnlyTheStateChanges) {
    for (void* handle : {static_cast<void*>(nullptr), reinterpret_cast<void*>(uintptr_t{0x7FFFFFF})}) {
        canvas->SetHandle(handle);
        EXPECT_TRUE(!canvas->HandleValid() && canvas->RC() == nullptr);
        AddRectGrob(8, 8, 56, 56, 0);
        canvas->SetPenColor(red);
        canvas->SetPolygonMode(GL_LINE);
        canvas->SetHiddenLineMode(true);
        canvas->Paint();
        canvas->Invalidate();
        EXPECT_TRUE(canvas->PenColor() == red && canvas->PolygonMode() == GL_LINE);
        THittypeList hits;
        EXPECT_FALSE(canvas->Pick(32, 32, nullptr, hits));
    }
    canvas->SetHandle(reinterpret_cast<void*>(window));
    EXPECT_TRUE(canvas->HandleValid());
}

// A flat bilinear patch over the pixel square (8, 8)-(56, 56) in 2 x 2 cells,
// u running up and v to the right (the evaluated mesh then faces the viewer):
// it fills its square, and a pick names the patch and the cell (row along v,
// column along u) under the pixel.
TEST_F(OglCanvas, SurfacePatchFillsItsGridAndPicksByCell) {
    auto* patch = TComponent::Create<TSurfacePatch>(nullptr);
    patch->SetControlPoints(2, 2, {{-1.5, -1.5, 0}, {-1.5, 1.5, 0}, {1.5, -1.5, 0}, {1.5, 1.5, 0}});
    patch->SetGrid({2, 2, 0, 1, 0, 1});
    EXPECT_THROW(patch->SetControlPoints(2, 2, {{0, 0, 0}}), Exception);
    EXPECT_THROW(patch->SetGrid({0, 2, 0, 1, 0, 1}), Exception);
    AddGrob([patch](TZVDevice& d) { d.DrawSymbolHook(patch); });
    canvas->SetBrushColor(red);
    const auto pixels = Paint();
    EXPECT_TRUE(At(pixels, 12, 50) == 0xFF0000u && At(pixels, 2, 2) == white);
    canvas->SetPickAperture(1);
    THittypeList hits;
    ASSERT_TRUE(canvas->Pick(44, 44, nullptr, hits));
    ASSERT_EQ(hits.Count(), 1);
    const auto* hit = dynamic_cast<TPickHit*>(hits.Items(0));
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit->HasValue);
    EXPECT_EQ(std::pair(hit->Param1, hit->Param2), std::pair(1.0, 0.0)) << "row 1, column 0";
    patch->Free();
}

// The window functions under the canvas, on a window of their own (contexts
// are checked by the drawing above): focus, invalidated areas, and a window
// that is gone.
TEST_F(OglCanvas, WindowFocusInvalidationAndMissingWindows) {
    XWindow own = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 48, 40, 0, 0, 0);
    XSelectInput(display, own, ExposureMask);
    XMapWindow(display, own);
    XSync(display, False);
    TDeviceContext dc = GetDC(own);
    ASSERT_TRUE(dc && SetupPixelFormat(dc));
    EXPECT_TRUE(ClientRect(own).X2 == 48 && ClientRect(own).Y2 == 40);
    XSetInputFocus(display, own, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), own);
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), 0u);
    XSync(display, True);  // drops the Expose of the mapping
    const TRectI rect{10, -5, 20, 30};
    InvalidateRect(own, &rect);
    XEvent e;
    XSync(display, False);
    ASSERT_TRUE(XCheckTypedWindowEvent(display, own, Expose, &e));
    EXPECT_EQ((std::array{e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height}), (std::array{10, 0, 10, 30}));

    GLContext context = CreateContext(dc);
    XDestroyWindow(display, own);
    MessageCapture messages;
    EXPECT_FALSE(GetDC(dc.window) || ClientRect(dc.window).X2 || SetupPixelFormat(dc) || CreateContext(dc) ||
                 MakeCurrent(dc, context));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"error SetPixelFormat"});
    InvalidateRect(dc.window, nullptr);
    SwapBuffers(dc);
    DeleteContext(dc, context);
}

}  // namespace
}  // namespace zv
