#include "runtime/units.h"

#include "geometry/point_array.h"
#include "ogl/opengl_unit.h"
#include "platform/application.h"

namespace zv {
namespace {

struct Unit {
    const char* name;
    void (*initialize)();
    void (*finalize)();
};

// Start-up order of the library's units; shut-down runs in reverse.
// Later units take their place in this list:
//   point arrays; component platform (application object, root containers,
//   servers); OpenGL loader; graphic attributes; hatch table; device;
//   OpenGL canvas.
const Unit units[] = {
    {"point arrays", InitPointArrayUnit, FinalizePointArrayUnit},
    {"component platform", InitApplicationUnit, FinalizeApplicationUnit},
    {"OpenGL loader", InitOpenGLUnit, FinalizeOpenGLUnit},
};

constexpr int unitCount = sizeof units / sizeof units[0];
int initialized = 0;

}  // namespace

void InitializeUnits() {
    if (initialized > 0) return;
    for (const Unit& unit : units) {
        unit.initialize();
        ++initialized;
    }
}

void FinalizeUnits() {
    while (initialized > 0) {
        --initialized;
        units[initialized].finalize();
    }
}

bool UnitsInitialized() { return initialized == unitCount; }

}  // namespace zv
