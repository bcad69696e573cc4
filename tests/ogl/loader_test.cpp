#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "message_capture.h"
#include "ogl/gl_entry_points.h"
#include "ogl/glx_entry_points.h"
#include "ogl/opengl_unit.h"
#include "runtime/exception.h"

namespace zv {
namespace {

#define ZV_ALL_ENTRY_POINTS(X) \
    ZV_GL_ENTRY_POINTS(X) ZV_GL_OPTIONAL_ENTRY_POINTS(X) ZV_GLX_ENTRY_POINTS(X) ZV_GLU_ENTRY_POINTS(X)
#define ZV_IF_RESOLVED(name) +(name != nullptr)
#define ZV_ONE(name) +1
int Resolved() { return 0 ZV_ALL_ENTRY_POINTS(ZV_IF_RESOLVED); }

// Each test leaves the unit as the start-up made it.
class OpenGLLoader : public testing::Test {
protected:
    void TearDown() override {
        unsetenv("ZVHLR_LIBGL");
        FinalizeOpenGLUnit();
        InitOpenGLUnit();
    }
};

TEST_F(OpenGLLoader, UnusableLibrariesAreRefusedWithTheirReason) {
    const std::tuple<void (*)(const std::string&), std::string, std::string> cases[] = {
        {LoadOpenGL, "libzvhlr-missing.so", "Could not load OpenGL from libzvhlr-missing.so"},
        {LoadOpenGL, "libm.so.6", "Could not load OpenGL from libm.so.6: glViewport is missing"},
        {LoadGLU, "libm.so.6", "Could not load GLu from libm.so.6: gluPickMatrix is missing"},
    };
    if (OpenGLAvailable()) EXPECT_EQ(Resolved(), 0 ZV_ALL_ENTRY_POINTS(ZV_ONE));
    for (const auto& [load, name, message] : cases) {
        try {
            load(name);
            ADD_FAILURE() << name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    EXPECT_EQ(Resolved(), 0);  // every variable is cleared as its library is unloaded
}

TEST_F(OpenGLLoader, MissingOpenGLIsReportedOnceWithItsReason) {
    setenv("ZVHLR_LIBGL", "/nonexistent/libGL.so.1", 1);
    FinalizeOpenGLUnit();
    MessageCapture messages;
    InitOpenGLUnit();
    EXPECT_FALSE(OpenGLAvailable());
    EXPECT_STREQ(OpenGLUnavailableReason(), "Could not load OpenGL from /nonexistent/libGL.so.1");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{OpenGLUnavailableReason()});
}

#if defined(__x86_64__)
TEST_F(OpenGLLoader, LoadingKeepsTheFloatingPointControlWords) {
    auto controlWords = [] {
        unsigned short x87 = 0;
        unsigned int sse = 0;
        asm volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(x87), "=m"(sse));
        return std::pair{x87, sse};
    };
    FinalizeOpenGLUnit();
    auto before = controlWords();
    InitOpenGLUnit();
    EXPECT_EQ(controlWords(), before);
}
#endif

}  // namespace
}  // namespace zv
