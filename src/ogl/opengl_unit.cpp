#include "ogl/opengl_unit.h"

#include <cstdlib>

#include "ogl/gl_entry_points.h"
#include "ogl/x11_context.h"
#include "runtime/exception.h"
#include "runtime/message.h"

namespace zv {
namespace {

std::string& Reason() {
    static auto& reason = *new std::string;
    return reason;
}

std::string LibraryName(const char* variable, const char* fallback) {
    const char* name = secure_getenv(variable);
    return name && *name ? name : fallback;
}

}  // namespace

// The floating-point state is left alone. The x87 control word $133F (every
// exception masked, 64-bit precision, round to nearest) is in effect the
// x87's start-up word on Linux, $037F, which differs only in bits without
// function; SSE arithmetic starts with every exception masked and rounding
// to nearest too. Changing either would change the host's arithmetic.
void InitOpenGLUnit() {
    Reason().clear();
    try {
        LoadOpenGL(LibraryName("ZVHLR_LIBGL", "libGL.so.1"));
        LoadGLU(LibraryName("ZVHLR_LIBGLU", "libGLU.so.1"));
    } catch (const Exception& e) {
        UnloadGLU();
        UnloadOpenGL();
        Reason() = e.Message();
        ShowMessage(Reason());
    }
}

void FinalizeOpenGLUnit() {
    CloseLibraryDisplay();
    UnloadGLU();
    UnloadOpenGL();
}

bool OpenGLAvailable() { return OpenGLLoaded() && GLULoaded(); }

const std::string& OpenGLUnavailableReason() { return Reason(); }

}  // namespace zv
