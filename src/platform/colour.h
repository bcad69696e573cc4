// TColor: a 32-bit colour in the layout 0x00BBGGRR, and its conversion to and
// from fractions of 0..1 per channel.
#pragma once

#include <cstdint>

namespace zv {

using TColor = uint32_t;

struct TColorFractions {
    double R, G, B, A;
};

// Each channel divided by 255; A is 1.0.
TColorFractions ColorToFractions(TColor color);
// Each fraction (clamped to 0..1) times 255, rounded to the nearest integer.
TColor FractionsToColor(double r, double g, double b);

}  // namespace zv
