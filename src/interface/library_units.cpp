#include "interface/library_units.h"

#include "device/device.h"
#include "fonts/stroke_font.h"
#include "geometry/point_array.h"
#include "hatch/hatch_table.h"
#include "ogl/ogl_canvas.h"
#include "ogl/opengl_unit.h"
#include "platform/application.h"
#include "platform/attribute_unit.h"

namespace zv {
namespace {

struct Unit {
    const char* name;
    void (*initialize)();
    void (*finalize)();
};

// Start-up order of the library's units, bottom layer first; shut-down runs
// in reverse. The whole order is: point arrays; component platform; OpenGL
// loader; graphic attributes; hatch table; stroke fonts (before the device,
// which resolves its font); device; OpenGL canvas.
const Unit units[] = {
    {"point arrays", InitPointArrayUnit, FinalizePointArrayUnit},
    {"component platform", InitApplicationUnit, FinalizeApplicationUnit},
    {"OpenGL loader", InitOpenGLUnit, FinalizeOpenGLUnit},
    {"graphic attributes", InitGraphicAttributeUnit, FinalizeGraphicAttributeUnit},
    {"hatch table", InitHatchUnit, FinalizeHatchUnit},
    {"stroke fonts", InitFontUnit, FinalizeFontUnit},
    {"device", InitDeviceUnit, FinalizeDeviceUnit},
    {"OpenGL canvas", InitOglCanvasUnit, FinalizeOglCanvasUnit},
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
