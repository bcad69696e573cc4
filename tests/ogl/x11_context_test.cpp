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
    // The window's pixel (x from the left, y from the top) as 0xRRGGBB.
    unsigned long WindowPixel(int x, int y) {
            XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }
    Display* display = nullptr;
    XWindow window = 0;
    TDeviceContext dc;
};

// A red triangle over the lower left half, on blue.
TEST_F(X11Context, DrawsThroughTheLoadedEntryPoints) {
    ASSERT_TRUE(dc && SetupPixelFormat(dc));
    GLContext context = CreateContext(dc);
    ASSERT_TRUE(context && MakeCurrent(dc, context));
    EXPECT_TRUE(CurrentContext() == context && CurrentWindow() == window);
    EXPECT_TRUE(ClientRect(window).X2 == width && ClientRect(window).Y2 == height);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLfloat red[4] = {1, 0, 0, 1};
    glColor4fv(red);
    glBegin(GL_TRIANGLES);
    glVertex2d(-1, -1);
    glVertex2d(1, -1);
    glVertex2d(-1, 1);
    glEnd();
    std::array<GLubyte, 4> inside{};
    glReadBuffer(GL_BACK);
    glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, inside.data());
    EXPECT_EQ(inside, (std::array<GLubyte, 4>{255, 0, 0, 255}));
    SwapBuffers(dc);
    glFinish();
    EXPECT_EQ(WindowPixel(8, height - 1 - 8), 0xFF0000u);
    EXPECT_EQ(WindowPixel(width - 8, 8), 0x0000FFu);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    DeleteContext(dc, context);
    EXPECT_EQ(CurrentContext(), nullptr);
}

TEST_F(X11Context, FocusInvalidationAndMissingWindows) {
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
