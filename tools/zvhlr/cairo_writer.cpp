#include "cairo_writer.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "output_file.h"

namespace zv::tool {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
    return static_cast<OutputFile*>(closure)->Write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// A failed write is reported with the system's reason by the file itself.
void Check(cairo_status_t status, OutputFile& file) {
    if (status == CAIRO_STATUS_WRITE_ERROR) file.Close();
    if (status != CAIRO_STATUS_SUCCESS) file.Fail(cairo_status_to_string(status));
}

Surface CreateSurface(OutputFile& file, CairoFormat format, const CairoStyle& style) {
    const double w = style.page.widthPt, h = style.page.heightPt;
    switch (format) {
        case CairoFormat::Svg:
            return Surface(cairo_svg_surface_create_for_stream(WriteToFile, &file, w, h));
        case CairoFormat::Pdf:
            return Surface(cairo_pdf_surface_create_for_stream(WriteToFile, &file, w, h));
        case CairoFormat::Png: {
            int pw = std::max(1, static_cast<int>(std::lround(w / 72.0 * style.dpi)));
            int ph = std::max(1, static_cast<int>(std::lround(h / 72.0 * style.dpi)));
            return Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph));
        }
    }
    return nullptr;
}

void StrokeLines(cairo_t* cr, const std::vector<Polyline>& lines, const PageFit& fit) {
    for (const Polyline& line : lines) {
        cairo_new_sub_path(cr);
        cairo_move_to(cr, fit.X(line[0]), fit.Y(line[0]));
        for (size_t k = 1; k < line.size(); ++k) cairo_line_to(cr, fit.X(line[k]), fit.Y(line[k]));
        cairo_stroke(cr);
    }
}

void Paint(cairo_t* cr, const Drawing& drawing, const CairoStyle& style) {
    const double margin = style.marginMm * kPointsPerMm;
    const double stroke = style.strokeMm * kPointsPerMm;
    PageFit fit = FitToPage(ExtentOf(drawing, style.withHidden), style.page.widthPt, style.page.heightPt, margin);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (style.withHidden) {
        const double dashes[] = {3 * kPointsPerMm, 1.5 * kPointsPerMm};
        cairo_set_dash(cr, dashes, 2, 0);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
        cairo_set_line_width(cr, stroke * 0.7);
        StrokeLines(cr, drawing.hidden, fit);
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, stroke);
    StrokeLines(cr, drawing.visible, fit);
    cairo_set_line_width(cr, stroke * 0.7);
    StrokeLines(cr, drawing.text, fit);
}

}  // namespace

PageFit FitToPage(const Extent& extent, double pageWidthPt, double pageHeightPt, double marginPt) {
    PageFit fit;
    const double availableW = std::max(pageWidthPt - 2 * marginPt, 1.0);
    const double availableH = std::max(pageHeightPt - 2 * marginPt, 1.0);
    if (extent.empty) return fit;
    const double w = extent.max.x - extent.min.x, h = extent.max.y - extent.min.y;
    if (w > 0 && h > 0) fit.scale = std::min(availableW / w, availableH / h);
    else if (w > 0) fit.scale = availableW / w;
    else if (h > 0) fit.scale = availableH / h;
    const double cx = (extent.min.x + extent.max.x) / 2, cy = (extent.min.y + extent.max.y) / 2;
    fit.offsetX = pageWidthPt / 2 - fit.scale * cx;
    fit.offsetY = pageHeightPt / 2 + fit.scale * cy;
    return fit;
}

void WriteCairoDrawing(const Drawing& drawing, const std::string& path, CairoFormat format, const CairoStyle& style) {
    OutputFile file(path);
    Surface surface = CreateSurface(file, format, style);
    Check(cairo_surface_status(surface.get()), file);
    Context cr(cairo_create(surface.get()));
    // SVG and PNG pages are white like paper, so that black lines stay
    // readable in viewers with a dark background.  (A page-sized first
    // operation also keeps Cairo's analysis of every later stroke on an SVG
    // page cheap.)
    if (format != CairoFormat::Pdf) {
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
    }
    if (format == CairoFormat::Png) cairo_scale(cr.get(), style.dpi / 72.0, style.dpi / 72.0);
    Paint(cr.get(), drawing, style);
    Check(cairo_status(cr.get()), file);
    cr.reset();
    if (format == CairoFormat::Png) {
        Check(cairo_surface_write_to_png_stream(surface.get(), WriteToFile, &file), file);
    } else {
        cairo_surface_finish(surface.get());
    }
    Check(cairo_surface_status(surface.get()), file);
    surface.reset();
    file.Close();
}

}  // namespace zv::tool
