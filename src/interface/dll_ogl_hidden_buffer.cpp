#include "interface/dll_ogl_hidden_buffer.h"

#include <cmath>
#include <cstring>

namespace zv {
namespace {

int16_t Flag(bool value) { return value ? int16_t{-1} : int16_t{0}; }

}  // namespace

void TDLLOglHiddenbuffer::GetData(TZVODData& data) const {
    std::memset(&data, 0, sizeof data);
    data.UnitsPerCM = static_cast<float>(Canvas()->UnitsPerCM());
    data.Clockwise = Flag(Clockwise());
    data.HiddenLines = Flag(HiddenLines());
    data.LineColor = Canvas()->PenColor();
    data.HostValue1 = HostValue1;
    data.HostValue2 = HostValue2;
}

// A scale that is not a finite positive number would make the view matrix
// singular: it is left as it was.
void TDLLOglHiddenbuffer::SetData(const TZVODData& data) {
    const double units = data.UnitsPerCM;
    if (std::isfinite(units) && units > 0) Canvas()->SetUnitsPerCM(units);
    SetClockwise(data.Clockwise != 0);
    SetHiddenLines(data.HiddenLines != 0);
    Canvas()->SetPenColor(data.LineColor);
    HostValue2 = data.HostValue2;
    HostValue1 = data.HostValue1;
}

}  // namespace zv
