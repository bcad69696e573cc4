// SVG, PDF and PNG drawings through Cairo: visible lines solid, hidden lines
// dashed in a lighter grey, the drawing scaled to fit the page inside a margin.
#pragma once

#include <string>

#include "drawing.h"
#include "page_size.h"

namespace zv::tool {

enum class CairoFormat { Svg, Pdf, Png };

struct CairoStyle {
    PageSize page;              // already oriented
    double marginMm = 10;
    double strokeMm = 0.35;     // visible lines; hidden ones are drawn thinner
    bool withHidden = false;
    double dpi = 150;           // PNG only
};

// Writes the drawing; throws std::runtime_error naming the file when Cairo fails.
void WriteCairoDrawing(const Drawing& drawing, const std::string& path, CairoFormat format, const CairoStyle& style);

// The mapping of drawing coordinates (y-up) onto the page (y-down, points).
struct PageFit {
    double scale = 1;       // points per drawing unit
    double offsetX = 0, offsetY = 0;
    double X(Point2 p) const { return offsetX + scale * p.x; }
    double Y(Point2 p) const { return offsetY - scale * p.y; }
};

// Centres the extent on the page and scales it to fill the page inside the margin.
PageFit FitToPage(const Extent& extent, double pageWidthPt, double pageHeightPt, double marginPt);

}  // namespace zv::tool
