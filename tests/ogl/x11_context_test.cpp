// Needs an X server with GLX (scripts/test.sh starts Xvfb); skipped without.
#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) clash with GoogleTest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dlfcn.h>
#include <link.h>

#include <array>
#include <cstring>

#include "message_capture.h"
#include "ogl/gl_entry_points.h"
#include "ogl/opengl_unit.h"
#include "ogl/x11_context.h"

namespace zv {
namespace {

constexpr int width = 64, height = 48;

// Mesa unloads its driver when the library's X connection closes at
// shut-down; LeakSanitizer would then count the driver's one-time
// allocations as leaks. Keeping the loaded driver mapped avoids that.
void PinMesaDriver() {
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            if (std::strstr(info->dlpi_name, "/dri/"))
                static_cast<std::vector<std::string>*>(found)->push_back(info->dlpi_name);
            return 0;
        },
        &drivers);
    for (const std::string& driver : drivers) dlopen(driver.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

class X11Context : public testing::Test {
protected:
    void SetUp() override {
        if (!OpenGLAvailable()) GTEST_SKIP() << "no OpenGL: " << OpenGLUnavailableReason();
        display = LibraryDisplay();
        if (!display) GTEST_SKIP() << "no X server ($DISPLAY)";
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
        XSelectInput(display, window, ExposureMask);
        XMapWindow(display, window);
        XSync(display, False);
        DeleteContext(GetDC(window), CreateContext(GetDC(window)));
        PinMesaDriver();
    }
    void TearDown() override {
        if (window) XDestroyWindow(display, window);
    }
    // The colour of a window pixel (x from the left, y from the top) as 0xRRGGBB.
    unsigned long WindowPixel(int x, int y) {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel & 0xFFFFFF;
    }
    Display* display = nullptr;
    XWindow window = 0;
};

// A red triangle over the lower left half, on blue.
TEST_F(X11Context, DrawsThroughTheLoadedEntryPoints) {
    TDeviceContext dc = GetDC(window);
    ASSERT_TRUE(dc);
    ASSERT_TRUE(SetupPixelFormat(dc));
    GLContext context = CreateContext(dc);
    ASSERT_TRUE(context && MakeCurrent(dc, context));
    EXPECT_EQ(CurrentContext(), context);
    EXPECT_EQ(CurrentWindow(), window);
    const TRectI client = ClientRect(window);
    EXPECT_EQ((std::array{client.X1, client.Y1, client.X2, client.Y2}), (std::array{0, 0, width, height}));

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
    GLubyte inside[4], outside[4];
    glReadBuffer(GL_BACK);
    glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, inside);
    glReadPixels(width - 8, height - 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, outside);
    EXPECT_EQ((std::array{inside[0], inside[1], inside[2]}), (std::array<GLubyte, 3>{255, 0, 0}));
    EXPECT_EQ((std::array{outside[0], outside[1], outside[2]}), (std::array<GLubyte, 3>{0, 0, 255}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    SwapBuffers(dc);
    glFinish();
    EXPECT_EQ(WindowPixel(8, height - 1 - 8), 0xFF0000u);
    EXPECT_EQ(WindowPixel(width - 8, 8), 0x0000FFu);
    DeleteContext(dc, context);
    EXPECT_EQ(CurrentContext(), nullptr);
}

TEST_F(X11Context, WindowsThatDoNotExistFailQuietly) {
    TDeviceContext live = GetDC(window);
    GLContext context = CreateContext(live);
    XDestroyWindow(display, window);
    const XWindow gone = window;
    window = 0;
    MessageCapture messages;
    EXPECT_FALSE(GetDC(gone));
    EXPECT_FALSE(GetDC(0));
    EXPECT_EQ(ClientRect(gone).X2, 0);
    EXPECT_FALSE(SetupPixelFormat(live));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"error SetPixelFormat"});
    EXPECT_EQ(CreateContext(live), nullptr);
    EXPECT_FALSE(MakeCurrent(live, context));
    InvalidateRect(gone, nullptr);
    SwapBuffers(live);
    DeleteContext(live, context);
}

TEST_F(X11Context, ActiveWindowInvalidationAndRepaint) {
    XSetInputFocus(display, window, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), window);
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
    EXPECT_EQ(ActiveWindow(), 0u);

    XSync(display, True);  // drops the Expose of the mapping
    const TRectI rect{10, -5, 20, 30};
    InvalidateRect(window, &rect);
    XEvent event;
    XSync(display, False);
    ASSERT_TRUE(XCheckTypedWindowEvent(display, window, Expose, &event));
    EXPECT_TRUE(event.xexpose.send_event);
    EXPECT_EQ((std::array{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height}),
              (std::array{10, 0, 10, 30}));

    EXPECT_FALSE(UpdateWindow(window));
    XWindow repainted = 0;
    SetRepaintHook([](XWindow w, void* user) { *static_cast<XWindow*>(user) = w; }, &repainted);
    EXPECT_TRUE(UpdateWindow(window));
    SetRepaintHook(nullptr, nullptr);
    EXPECT_EQ(repainted, window);
}

}  // namespace
}  // namespace zv
