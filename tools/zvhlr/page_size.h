// Page sizes for the drawing writers: paper names and explicit dimensions.
#pragma once

#include <optional>
#include <string>

namespace zv::tool {

struct PageSize {
    double widthPt = 0, heightPt = 0;  // in points (1/72 inch)
    bool fixedOrientation = false;     // false: may be turned to suit the drawing
};

// Parses "a4", "a3", "letter", ... (optionally with "-portrait" or
// "-landscape"), or "WxH" with an optional unit: mm (the default), cm, in, pt
// or px (1/96 inch).  Nothing for text it does not understand.
std::optional<PageSize> ParsePageSize(const std::string& text);

// The page turned so that its longer side runs like the drawing's longer side,
// unless its orientation is fixed.
PageSize OrientedFor(PageSize page, double drawingWidth, double drawingHeight);

constexpr double kPointsPerMm = 72.0 / 25.4;

}  // namespace zv::tool
