// A line of text under the drawing, as stroke-font polylines in drawing
// coordinates, so that every writer and every pen draws it like the model.
#pragma once

#include <string>
#include <vector>

#include "drawing.h"

namespace zv::tool {

// The Windows-1252 codes of a UTF-8 text; characters that code page lacks
// become '?', bytes that are not UTF-8 are taken as they are.
std::string AnsiOfUtf8(const std::string& text);

struct Label {
    std::vector<Polyline> lines;
    std::string family;  // the font the outlines come from; empty when none was found
};

// The text in the stroke font of that family, centred under the extent with
// a gap of half its height; its height is a twentieth of the extent's larger
// side (1 for an empty extent).
Label LabelUnder(const std::string& text, const std::string& fontName, const Extent& extent);

}  // namespace zv::tool
