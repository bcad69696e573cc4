// The OpenGL unit: binds OpenGL and GLU when the library starts.
//
// A shared library's load constructor cannot fail the load safely, so a
// missing or unusable OpenGL makes only the OpenGL engine unavailable: the
// reason is kept and shown through the message sink, and the software engine
// works as before.
#pragma once

namespace zv {

// Loads the libraries named by $ZVHLR_LIBGL and $ZVHLR_LIBGLU, by default
// "libGL.so.1" and "libGLU.so.1".
void InitOpenGLUnit();
// Closes the library's display connection, then unloads GLU and OpenGL.
void FinalizeOpenGLUnit();

// True when both libraries are loaded with every entry point the canvas calls.
bool OpenGLAvailable();
// Why OpenGL is not available (the load failure's message, at most 511
// bytes); empty when it is.
const char* OpenGLUnavailableReason();

}  // namespace zv
