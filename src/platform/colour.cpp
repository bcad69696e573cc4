#include "platform/colour.h"

#include <cmath>

namespace zv {
namespace {

uint32_t Channel(double fraction) {
    if (!(fraction > 0.0)) return 0;  // also NaN
    if (fraction >= 1.0) return 255;
    return static_cast<uint32_t>(std::lround(fraction * 255.0));
}

}  // namespace

TColorFractions ColorToFractions(TColor color) {
    return TColorFractions{(color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0, 1.0};
}

TColor FractionsToColor(double r, double g, double b) { return Channel(r) | Channel(g) << 8 | Channel(b) << 16; }

}  // namespace zv
