#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "message_capture.h"
#include "ogl/gl_entry_points.h"
#include "ogl/glx_entry_points.h"
#include "ogl/opengl_unit.h"
#include "runtime/exception.h"

namespace zv {
namespace {

#define ZV_COUNT_RESOLVED(name) resolved += name != nullptr;
int ResolvedEntryPoints() {
    int resolved = 0;
    ZV_GL_ENTRY_POINTS(ZV_COUNT_RESOLVED)
    ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_COUNT_RESOLVED)
    ZV_GLX_ENTRY_POINTS(ZV_COUNT_RESOLVED)
    ZV_GLU_ENTRY_POINTS(ZV_COUNT_RESOLVED)
    return resolved;
}
#define ZV_COUNT_ENTRY(name) +1
constexpr int allEntryPoints = 0 ZV_GL_ENTRY_POINTS(ZV_COUNT_ENTRY) ZV_GL_OPTIONAL_ENTRY_POINTS(ZV_COUNT_ENTRY)
    ZV_GLX_ENTRY_POINTS(ZV_COUNT_ENTRY) ZV_GLU_ENTRY_POINTS(ZV_COUNT_ENTRY);

// Each test leaves the unit as the start-up made it.
class OpenGLLoader : public testing::Test {
protected:
    void TearDown() override {
        unsetenv("ZVHLR_LIBGL");
        FinalizeOpenGLUnit();
        InitOpenGLUnit();
    }
};

TEST_F(OpenGLLoader, ResolvesEveryEntryPointAndClearsThemAtUnload) {
    if (!OpenGLAvailable()) GTEST_SKIP() << "no OpenGL: " << OpenGLUnavailableReason();
    EXPECT_EQ(ResolvedEntryPoints(), allEntryPoints);
    FinalizeOpenGLUnit();
    EXPECT_EQ(ResolvedEntryPoints(), 0);
    EXPECT_FALSE(OpenGLAvailable());
}

TEST_F(OpenGLLoader, UnusableLibrariesAreRefusedWithTheirReason) {
    const struct {
        void (*load)(const std::string&);
        std::string name, message;
    } cases[] = {
        {LoadOpenGL, "libzvhlr-missing.so", "Could not load OpenGL from libzvhlr-missing.so"},
        {LoadOpenGL, "", "Could not load OpenGL from "},
        {LoadOpenGL, "libm.so.6", "Could not load OpenGL from libm.so.6: glViewport is missing"},
        {LoadGLU, "libzvhlr-missing.so", "Could not load GLu from libzvhlr-missing.so"},
        {LoadGLU, "libm.so.6", "Could not load GLu from libm.so.6: gluPickMatrix is missing"},
    };
    for (const auto& c : cases) {
        try {
            c.load(c.name);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(OpenGLAvailable()) << c.name;
    }
    EXPECT_EQ(ResolvedEntryPoints(), 0);
}

TEST_F(OpenGLLoader, MissingOpenGLLeavesTheSoftwareEngineWorking) {
    setenv("ZVHLR_LIBGL", "/nonexistent/libGL.so.1", 1);
    FinalizeOpenGLUnit();
    MessageCapture messages;
    InitOpenGLUnit();
    EXPECT_FALSE(OpenGLAvailable());
    EXPECT_EQ(OpenGLUnavailableReason(), "Could not load OpenGL from /nonexistent/libGL.so.1");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{OpenGLUnavailableReason()});
    EXPECT_EQ(ResolvedEntryPoints(), 0);

    const TXYZ square[4] = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
    ZVSDHandle h = ZVSDCreate();
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, square);
    ZVSDSetChanging(h, 0);
    EXPECT_GE(ZVSDGetArray3d(h, 0, nullptr), 4);
    ZVSDFree(h);
}

// Loading OpenGL must not change the host's floating-point control words.
TEST_F(OpenGLLoader, LoadingKeepsTheFloatingPointControlWords) {
#if defined(__x86_64__) || defined(__i386__)
    auto controlWords = [] {
        unsigned short x87 = 0;
        unsigned int sse = 0;
        asm volatile("fnstcw %0" : "=m"(x87));
        asm volatile("stmxcsr %0" : "=m"(sse));
        return std::pair{x87, sse};
    };
    FinalizeOpenGLUnit();
    auto before = controlWords();
    InitOpenGLUnit();
    EXPECT_EQ(controlWords(), before);
#else
    GTEST_SKIP() << "x86 only";
#endif
}

}  // namespace
}  // namespace zv
