#include "ogl/gl_entry_points.h"

#include <dlfcn.h>

#include "ogl/glx_entry_points.h"
#include "runtime/exception.h"

namespace zv {

#define ZV_DEFINE_ENTRY_POINT(name) decltype(&::name) name = nullptr;
ZV_GL_ENTRY_POINTS(ZV_DEFINE_ENTRY_POINT)
ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_DEFINE_ENTRY_POINT)
ZV_GLX_ENTRY_POINTS(ZV_DEFINE_ENTRY_POINT)
ZV_GLU_ENTRY_POINTS(ZV_DEFINE_ENTRY_POINT)
#undef ZV_DEFINE_ENTRY_POINT

namespace {

void* glLibrary = nullptr;
void* gluLibrary = nullptr;

#define ZV_RESOLVE(name) name = reinterpret_cast<decltype(name)>(dlsym(library, #name));
#define ZV_CLEAR(name) name = nullptr;
#define ZV_CHECK_PRESENT(name) \
    if (!name) return #name;

// An empty name would open the program itself. The libraries stay mapped
// after their last dlclose: an OpenGL driver leaves thread-exit handlers,
// worker threads and hooks in other libraries behind, which must not point
// into unmapped code; loading again finds them as they were.
void* OpenLibrary(const std::string& name) {
    return name.empty() ? nullptr : dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

void ResolveOpenGL(void* library) {
    ZV_GL_ENTRY_POINTS(ZV_RESOLVE)
    ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_RESOLVE)
    ZV_GLX_ENTRY_POINTS(ZV_RESOLVE)
}

void ResolveGLU(void* library) { ZV_GLU_ENTRY_POINTS(ZV_RESOLVE) }

// The first entry point the library calls without testing that is missing,
// or nullptr when all are there.
const char* MissingOpenGLEntryPoint() {
    ZV_GL_ENTRY_POINTS(ZV_CHECK_PRESENT)
    ZV_GLX_ENTRY_POINTS(ZV_CHECK_PRESENT)
    return nullptr;
}

const char* MissingGLUEntryPoint() {
    ZV_GLU_ENTRY_POINTS(ZV_CHECK_PRESENT)
    return nullptr;
}

}  // namespace

// Every called entry point belongs to OpenGL 1.1, GLX 1.3 or GLU 1.2; a
// library without one of them is not one we can draw with, and accepting it
// would leave a null pointer to be called later.
void LoadOpenGL(const std::string& name) {
    UnloadOpenGL();
    void* library = OpenLibrary(name);
    if (!library) throw Exception("Could not load OpenGL from " + name);
    glLibrary = library;
    ResolveOpenGL(library);
    if (const char* missing = MissingOpenGLEntryPoint()) {
        UnloadOpenGL();
        throw Exception("Could not load OpenGL from " + name + ": " + missing + " is missing");
    }
}

void LoadGLU(const std::string& name) {
    UnloadGLU();
    void* library = OpenLibrary(name);
    if (!library) throw Exception("Could not load GLu from " + name);
    gluLibrary = library;
    ResolveGLU(library);
    if (const char* missing = MissingGLUEntryPoint()) {
        UnloadGLU();
        throw Exception("Could not load GLu from " + name + ": " + missing + " is missing");
    }
}

void UnloadOpenGL() {
    ZV_GL_ENTRY_POINTS(ZV_CLEAR)
    ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_CLEAR)
    ZV_GLX_ENTRY_POINTS(ZV_CLEAR)
    if (glLibrary) dlclose(glLibrary);
    glLibrary = nullptr;
}

void UnloadGLU() {
    ZV_GLU_ENTRY_POINTS(ZV_CLEAR)
    if (gluLibrary) dlclose(gluLibrary);
    gluLibrary = nullptr;
}

bool OpenGLLoaded() { return glLibrary != nullptr; }
bool GLULoaded() { return gluLibrary != nullptr; }

}  // namespace zv
