// DXF drawings (R12, ASCII): lines on the layers VISIBLE and HIDDEN, hidden
// ones on the linetype DASHED, lettering as polylines on the layer TEXT, in drawing coordinates (model units of the
// view plane), every number written exactly.
#pragma once

#include <ostream>
#include <string>

#include "drawing.h"

namespace zv::tool {

void WriteDxf(const Drawing& drawing, bool withHidden, std::ostream& out);

// Writes the file; throws std::runtime_error naming the file when it cannot.
void WriteDxfFile(const Drawing& drawing, bool withHidden, const std::string& path);

// The shortest text that reads back as exactly value ("0" for -0).
std::string ExactNumber(double value);

}  // namespace zv::tool
