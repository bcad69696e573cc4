// The GLX functions of the loaded OpenGL library (see gl_entry_points.h):
// the window-system binding used by the X11 layer. They are resolved and
// cleared together with the OpenGL group.
#pragma once

#include <GL/glx.h>

#define ZV_GLX_ENTRY_POINTS(X)                                                                     \
    X(glXQueryExtension) X(glXGetConfig) X(glXCreateContext) X(glXDestroyContext)                  \
    X(glXMakeCurrent) X(glXGetCurrentContext) X(glXGetCurrentDrawable) X(glXSwapBuffers)

namespace zv {

#define ZV_DECLARE_ENTRY_POINT(name) extern decltype(&::name) name;
ZV_GLX_ENTRY_POINTS(ZV_DECLARE_ENTRY_POINT)
#undef ZV_DECLARE_ENTRY_POINT

}  // namespace zv
