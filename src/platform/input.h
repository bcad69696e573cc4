// Keyboard and mouse input as a window hands it to the framework.
#pragma once

#include <cstdint>

namespace zv {

// Modifier keys and mouse buttons held during an input event (a bit set).
using TShiftState = uint8_t;
enum TShiftBit : uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

}  // namespace zv
