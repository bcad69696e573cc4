#include "ogl/opengl_unit.h"

#include <algorithm>
#include <cstdlib>

#include "ogl/gl_entry_points.h"
#include "ogl/x11_context.h"
#include "runtime/exception.h"
#include "runtime/message.h"

namespace zv {
namespace {

// Kept in a fixed buffer: a heap string would outlive an unloaded library.
char reason[512] = "";

void SetReason(const std::string& text) {
    text.copy(reason, sizeof reason - 1);
    reason[std::min(text.size(), sizeof reason - 1)] = '\0';
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
    SetReason("");
    try {
        LoadOpenGL(LibraryName("ZVHLR_LIBGL", "libGL.so.1"));
        LoadGLU(LibraryName("ZVHLR_LIBGLU", "libGLU.so.1"));
    } catch (const Exception& e) {
        UnloadGLU();
        UnloadOpenGL();
        SetReason(e.Message());
        ShowMessage(e.Message());
    }
}

void FinalizeOpenGLUnit() {
    CloseLibraryDisplay();
    UnloadGLU();
    UnloadOpenGL();
}

bool OpenGLAvailable() { return OpenGLLoaded() && GLULoaded(); }

const char* OpenGLUnavailableReason() { return reason; }

}  // namespace zv
