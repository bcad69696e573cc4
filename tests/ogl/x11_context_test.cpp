// Needs an X server with GLX (scripts/test.sh starts Xvfb); skipped without.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) clash with GoogleTest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstring>

#include "message_capture.h"
#include "ogl/gl_entry_points.h"
#include "ogl/opengl_unit.h"
#include "ogl/x11_context.h"
#include "pin_mesa_driver.h"

namespace zv {
namespace {

constexpr int width = 64, height = 48;

class X11Context : public testing::Test {
protected:
    void SetUp() override {
        if (!OpenGLAvailable()) GTEST_SKIP() << OpenGLUnavailableReason();
        if (!(display = LibraryDisplay())) GTEST_SKIP() << "no X server ($DISPLAY)";
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
        XSelectInput(display, window, ExposureMask);
        XMapWindow(display, window);
        dc = GetDC(window);
        DeleteContext(dc, CreateContext(dc));
        PinMesaDriver();
    }
    void TearDown() override {
        if (window) XDestroyWindow(display, window);
    }
    Display* display = nullptr;
    XWindow window = 0;
    TDeviceContext dc;
};

// Drawing through the context is checked by the canvas's pixel tests.
TEST_F(X11Context, ContextsFocusInvalidationAndMissingWindows) {
    ASSERT_TRUE(dc && SetupPixelFormat(dc));
    GLContext current = CreateContext(dc);
    ASSERT_TRUE(current && MakeCurrent(dc, current));
    EXPECT_TRUE(CurrentContext() == current && CurrentWindow() == window);
    EXPECT_TRUE(ClientRect(window).X2 == width && ClientRect(window).Y2 == height);
    DeleteContext(dc, current);
    EXPECT_EQ(CurrentContext(), nullptr);
    XSetInputFocus(display, window, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), window);
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), 0u);
    XSync(display, True);  // drops the Expose of the mapping
    const TRectI rect{10, -5, 20, 30};
    InvalidateRect(window, &rect);
    XEvent e;
    XSync(display, False);
    ASSERT_TRUE(XCheckTypedWindowEvent(display, window, Expose, &e));
    EXPECT_EQ((std::array{e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height}), (std::array{10, 0, 10, 30}));

    GLContext context = CreateContext(dc);
    XDestroyWindow(display, window);
    window = 0;
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
