// The window-system side of the OpenGL canvas on X11: the library's own
// display connection, a window's "device context", its pixel format, GLX
// rendering contexts, buffer swapping, and the window services the canvas
// needs (client rectangle, active window, invalidation, synchronous repaint).
//
// Windows are X window ids of the X server named by $DISPLAY; the library
// draws on them through its own connection to that server. Calls that take a
// window id survive a window that does not exist (they fail as documented
// instead of ending the process through Xlib's default error handler).
// GLX is reached only through the loaded entry points: without OpenGL every
// function here fails quietly.
#pragma once

#include "geometry/space.h"

struct _XDisplay;
struct __GLXcontextRec;

namespace zv {

using XDisplay = ::_XDisplay;
using XWindow = unsigned long;  // an X window id; 0 is no window
using GLContext = ::__GLXcontextRec*;

// The library's connection to $DISPLAY, opened on first use; nullptr when
// there is no X server. Closed by CloseLibraryDisplay (at unload).
XDisplay* LibraryDisplay();
void CloseLibraryDisplay();

// A window's device context: the connection it is drawn through and the window.
struct TDeviceContext {
    XDisplay* display = nullptr;
    XWindow window = 0;
    explicit operator bool() const { return display && window; }
    bool operator==(const TDeviceContext&) const = default;
};

// The device context of an existing window; empty for 0, for a window that
// does not exist and when there is no X server.
TDeviceContext GetDC(XWindow window);

// Adopts the window's visual as the pixel format. It must offer OpenGL with
// RGBA colour (so no palette is ever needed), double buffering and a depth
// buffer; otherwise shows "error SetPixelFormat" and returns false.
bool SetupPixelFormat(const TDeviceContext& dc);

// A direct rendering context on the window's visual; nullptr on failure.
GLContext CreateContext(const TDeviceContext& dc);
// Makes the context current on this thread for the window; a nullptr
// context releases the current one. False on failure.
bool MakeCurrent(const TDeviceContext& dc, GLContext context);
// The calling thread's current context and the window it draws on.
GLContext CurrentContext();
XWindow CurrentWindow();
// Releases the context first when it is current; nullptr is ignored.
void DeleteContext(const TDeviceContext& dc, GLContext context);
void SwapBuffers(const TDeviceContext& dc);

// (0, 0, width, height) of the window; all zero when it does not exist.
TRectI ClientRect(XWindow window);

// The window that has the keyboard focus, or 0 when there is none (no focus
// or focus following the pointer).
XWindow ActiveWindow();

// Asks the window's owner to repaint the rectangle (the whole client area
// when rect is nullptr) by sending it an Expose event; the window's content
// is not erased.
void InvalidateRect(XWindow window, const TRectI* rect);

// A synchronous repaint: X11 has no call that makes another client paint at
// once, so the owner of the painting code registers this hook and
// UpdateWindow runs it for the window. Returns false when no hook is set.
using RepaintHook = void (*)(XWindow window, void* user);
void SetRepaintHook(RepaintHook hook, void* user);
bool UpdateWindow(XWindow window);

}  // namespace zv
