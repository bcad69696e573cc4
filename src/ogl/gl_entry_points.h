// The OpenGL and GLU entry points, bound at run time.
//
// libGL.so.1 and libGLU.so.1 are opened with dlopen when the library starts
// and every entry point the canvas calls is resolved into a function-pointer
// variable of the same name inside namespace zv, so the library never links
// against OpenGL and never clashes with a host's own GL symbols. Code inside
// namespace zv calls them as usual: glBegin(GL_LINES) calls zv::glBegin.
// The variables are nullptr while their library is not loaded.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

// Entry points the library calls; loading fails when one of them is missing.
#define ZV_GL_ENTRY_POINTS(X)                                                                      \
    X(glViewport) X(glClearColor) X(glClear) X(glEnable) X(glDisable) X(glCullFace)                \
    X(glFrontFace) X(glShadeModel) X(glDepthFunc) X(glPolygonMode) X(glLineWidth)                  \
    X(glLineStipple) X(glLogicOp) X(glBlendFunc) X(glGetError) X(glGetIntegerv) X(glGetDoublev)    \
    X(glGetString) X(glMatrixMode) X(glLoadIdentity) X(glLoadMatrixd) X(glMultMatrixd)             \
    X(glPushMatrix) X(glPopMatrix) X(glScaled) X(glBegin) X(glEnd) X(glVertex2d) X(glVertex3d)     \
    X(glNormal3d) X(glTexCoord2d) X(glTexCoord2f) X(glColor4fv) X(glMap2d) X(glMapGrid2d)         \
    X(glEvalMesh2) X(glEvalCoord2d) X(glMaterialfv) X(glGetMaterialfv) X(glLightfv)                \
    X(glTexImage2D) X(glTexParameterf) X(glGenLists) X(glNewList) X(glEndList) X(glCallList)       \
    X(glIsList) X(glDeleteLists) X(glRenderMode) X(glSelectBuffer) X(glInitNames) X(glPushName)    \
    X(glPopName) X(glLoadName) X(glFinish) X(glReadBuffer) X(glReadPixels)

// OpenGL 1.1 entry points that may be missing: callers test them first.
#define ZV_GL_OPTIONAL_ENTRY_POINTS(X) X(glPolygonOffset)

#define ZV_GLU_ENTRY_POINTS(X)                                                                     \
    X(gluPickMatrix) X(gluNewQuadric) X(gluQuadricTexture) X(gluQuadricOrientation) X(gluSphere)   \
    X(gluDeleteQuadric)

namespace zv {

#define ZV_DECLARE_ENTRY_POINT(name) extern decltype(&::name) name;
ZV_GL_ENTRY_POINTS(ZV_DECLARE_ENTRY_POINT)
ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_DECLARE_ENTRY_POINT)
ZV_GLU_ENTRY_POINTS(ZV_DECLARE_ENTRY_POINT)
#undef ZV_DECLARE_ENTRY_POINT

// Opens the named OpenGL library (after unloading the current one) and
// resolves the OpenGL and GLX entry points. Raises Exception("Could not load
// OpenGL from " + name) when it cannot be opened, and the same text followed
// by the missing name when it lacks an entry point the library calls.
void LoadOpenGL(const std::string& name);
// The same for GLU: "Could not load GLu from " + name.
void LoadGLU(const std::string& name);
// Set every variable of the group to nullptr, then close the library.
void UnloadOpenGL();
void UnloadGLU();

bool OpenGLLoaded();
bool GLULoaded();

}  // namespace zv
