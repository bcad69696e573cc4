#include "ogl/x11_context.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "ogl/glx_entry_points.h"
#include "runtime/message.h"

namespace zv {
namespace {

Display* libraryDisplay = nullptr;
RepaintHook repaintHook = nullptr;
void* repaintUser = nullptr;
int trappedError = 0;

int RecordXError(Display*, XErrorEvent* event) {
    trappedError = event->error_code;
    return 0;
}

// While it lives, X errors of requests made on the display are recorded
// instead of reaching the process's error handler, whose default ends the
// process. Everything runs on the host's user-interface thread.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        trappedError = 0;
        previous_ = XSetErrorHandler(RecordXError);
    }
    ~XErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    bool Failed() {
        XSync(display_, False);
        return trappedError != 0;
    }

private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

bool WindowAttributes(Display* display, XWindow window, XWindowAttributes& attributes) {
    if (!display || window == 0) return false;
    XErrorTrap trap(display);
    return XGetWindowAttributes(display, window, &attributes) != 0 && !trap.Failed();
}

bool WindowVisual(const TDeviceContext& dc, XVisualInfo& visual) {
    XWindowAttributes attributes;
    if (!WindowAttributes(dc.display, dc.window, attributes)) return false;
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(dc.display, VisualIDMask, &wanted, &count);
    if (!found) return false;
    visual = found[0];
    XFree(found);
    return true;
}

int VisualConfig(Display* display, XVisualInfo& visual, int attribute) {
    int value = 0;
    return glXGetConfig(display, &visual, attribute, &value) == 0 ? value : 0;
}

bool GLXReady(Display* display) {
    int errorBase, eventBase;
    return display && glXQueryExtension && glXQueryExtension(display, &errorBase, &eventBase);
}

}  // namespace

XDisplay* LibraryDisplay() {
    if (!libraryDisplay) libraryDisplay = XOpenDisplay(nullptr);
    return libraryDisplay;
}

// GLX hooks the connection's close: this must run while libGL is loaded.
void CloseLibraryDisplay() {
    if (libraryDisplay) XCloseDisplay(libraryDisplay);
    libraryDisplay = nullptr;
}

TDeviceContext GetDC(XWindow window) {
    XWindowAttributes attributes;
    if (window == 0 || !WindowAttributes(LibraryDisplay(), window, attributes)) return {};
    return {LibraryDisplay(), window};
}

bool SetupPixelFormat(const TDeviceContext& dc) {
    XVisualInfo visual;
    bool usable = GLXReady(dc.display) && WindowVisual(dc, visual) &&
                  VisualConfig(dc.display, visual, GLX_USE_GL) && VisualConfig(dc.display, visual, GLX_RGBA) &&
                  VisualConfig(dc.display, visual, GLX_DOUBLEBUFFER) &&
                  VisualConfig(dc.display, visual, GLX_DEPTH_SIZE) > 0;
    if (!usable) ShowMessage("error SetPixelFormat");
    return usable;
}

GLContext CreateContext(const TDeviceContext& dc) {
    XVisualInfo visual;
    if (!GLXReady(dc.display) || !WindowVisual(dc, visual)) return nullptr;
    XErrorTrap trap(dc.display);
    GLXContext context = glXCreateContext(dc.display, &visual, nullptr, True);
    if (trap.Failed() && context) {
        glXDestroyContext(dc.display, context);
        context = nullptr;
    }
    return context;
}

bool MakeCurrent(const TDeviceContext& dc, GLContext context) {
    if (!GLXReady(dc.display)) return false;
    XErrorTrap trap(dc.display);
    bool made = context ? glXMakeCurrent(dc.display, dc.window, context) : glXMakeCurrent(dc.display, None, nullptr);
    return made && !trap.Failed();
}

GLContext CurrentContext() { return glXGetCurrentContext ? glXGetCurrentContext() : nullptr; }

XWindow CurrentWindow() { return glXGetCurrentDrawable ? glXGetCurrentDrawable() : 0; }

void DeleteContext(const TDeviceContext& dc, GLContext context) {
    if (!context || !GLXReady(dc.display)) return;
    if (CurrentContext() == context) MakeCurrent(dc, nullptr);
    XErrorTrap trap(dc.display);
    glXDestroyContext(dc.display, context);
}

void SwapBuffers(const TDeviceContext& dc) {
    if (!dc || !GLXReady(dc.display)) return;
    XErrorTrap trap(dc.display);
    glXSwapBuffers(dc.display, dc.window);
}

TRectI ClientRect(XWindow window) {
    XWindowAttributes attributes;
    if (!WindowAttributes(LibraryDisplay(), window, attributes)) return {0, 0, 0, 0};
    return {0, 0, attributes.width, attributes.height};
}

XWindow ActiveWindow() {
    Display* display = LibraryDisplay();
    if (!display) return 0;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == None || focus == PointerRoot ? 0 : focus;
}

void InvalidateRect(XWindow window, const TRectI* rect) {
    Display* display = LibraryDisplay();
    TRectI area = ClientRect(window);
    if (rect) area = {std::max(area.X1, rect->X1), std::max(area.Y1, rect->Y1), std::min(area.X2, rect->X2),
                      std::min(area.Y2, rect->Y2)};
    if (!display || area.X2 <= area.X1 || area.Y2 <= area.Y1) return;
    XEvent event{};
    event.xexpose.type = Expose;
    event.xexpose.display = display;
    event.xexpose.window = window;
    event.xexpose.x = area.X1;
    event.xexpose.y = area.Y1;
    event.xexpose.width = area.X2 - area.X1;
    event.xexpose.height = area.Y2 - area.Y1;
    XErrorTrap trap(display);
    XSendEvent(display, window, False, ExposureMask, &event);
}

void SetRepaintHook(RepaintHook hook, void* user) {
    repaintHook = hook;
    repaintUser = hook ? user : nullptr;
}

bool UpdateWindow(XWindow window) {
    if (!repaintHook) return false;
    repaintHook(window, repaintUser);
    return true;
}

}  // namespace zv
