#include "cairo_writer.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zv::tool {
namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("zvtool_" + std::to_string(getpid()) + "_" + name)).string();
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

Drawing Sample() {
    Drawing drawing;
    drawing.visible = {{{0, 0}, {100, 0}, {100, 50}}, {{0, 10}, {0, 50}}};
    drawing.hidden = {{{10, 10}, {90, 40}}};
    return drawing;
}

CairoStyle Style(bool hidden) {
    CairoStyle style;
    style.page = *ParsePageSize("a4-landscape");
    style.withHidden = hidden;
    return style;
}

TEST(CairoWriter, SvgHasAPathPerPolylineAndDashesForHidden) {
    std::string path = TempPath("drawing.svg");
    WriteCairoDrawing(Sample(), path, CairoFormat::Svg, Style(true));
    std::string svg = Read(path);
    std::filesystem::remove(path);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_EQ(Occurrences(svg, "<path"), 3);
    EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
}

TEST(CairoWriter, SvgWithoutHiddenLeavesThemOut) {
    std::string path = TempPath("visible.svg");
    WriteCairoDrawing(Sample(), path, CairoFormat::Svg, Style(false));
    std::string svg = Read(path);
    std::filesystem::remove(path);
    EXPECT_EQ(Occurrences(svg, "<path"), 2);
    EXPECT_EQ(svg.find("stroke-dasharray"), std::string::npos);
}

TEST(CairoWriter, PngHasThePageSizeAtTheResolution) {
    std::string path = TempPath("drawing.png");
    CairoStyle style = Style(true);
    style.page = *ParsePageSize("100x50mm");
    style.dpi = 254;  // 10 pixels per millimetre
    WriteCairoDrawing(Sample(), path, CairoFormat::Png, style);
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    std::filesystem::remove(path);
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 1000);
    EXPECT_EQ(cairo_image_surface_get_height(image), 500);
    cairo_surface_destroy(image);
}

TEST(CairoWriter, PdfIsWritten) {
    std::string path = TempPath("drawing.pdf");
    WriteCairoDrawing(Sample(), path, CairoFormat::Pdf, Style(true));
    std::string pdf = Read(path);
    std::filesystem::remove(path);
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
}

TEST(CairoWriter, UnwritablePathThrows) {
    EXPECT_THROW(WriteCairoDrawing(Sample(), "/nonexistent/dir/x.png", CairoFormat::Png, Style(false)),
                 std::runtime_error);
    EXPECT_THROW(WriteCairoDrawing(Sample(), "/nonexistent/dir/x.svg", CairoFormat::Svg, Style(false)),
                 std::runtime_error);
}

TEST(PageFit, CentresAndFlipsYAndKeepsTheAspect) {
    Extent extent{{0, 0}, {200, 100}, false};
    PageFit fit = FitToPage(extent, 300, 300, 50);
    EXPECT_DOUBLE_EQ(fit.scale, 1.0);
    EXPECT_DOUBLE_EQ(fit.X({0, 0}), 50);
    EXPECT_DOUBLE_EQ(fit.X({200, 0}), 250);
    EXPECT_DOUBLE_EQ(fit.Y({0, 100}), 100);  // top of the drawing is higher on the page
    EXPECT_DOUBLE_EQ(fit.Y({0, 0}), 200);
}

TEST(PageFit, DegenerateExtentsDoNotDivideByZero) {
    PageFit point = FitToPage({{5, 5}, {5, 5}, false}, 100, 100, 10);
    EXPECT_TRUE(std::isfinite(point.scale));
    EXPECT_DOUBLE_EQ(point.X({5, 5}), 50);
    PageFit line = FitToPage({{0, 0}, {0, 40}, false}, 100, 100, 10);
    EXPECT_DOUBLE_EQ(line.scale, 2.0);
}

TEST(PageSize, NamesDimensionsAndOrientation) {
    PageSize a4 = *ParsePageSize("A4");
    EXPECT_NEAR(a4.widthPt, 595.276, 1e-3);
    EXPECT_FALSE(a4.fixedOrientation);
    PageSize turned = OrientedFor(a4, 300, 100);
    EXPECT_GT(turned.widthPt, turned.heightPt);
    PageSize portrait = *ParsePageSize("a4-portrait");
    EXPECT_LT(OrientedFor(portrait, 300, 100).widthPt, portrait.heightPt);
    EXPECT_DOUBLE_EQ(ParsePageSize("2x1in")->widthPt, 144);
    EXPECT_DOUBLE_EQ(ParsePageSize("800x600px")->heightPt, 450);
    EXPECT_FALSE(ParsePageSize("a9"));
    EXPECT_FALSE(ParsePageSize("0x10"));
    EXPECT_FALSE(ParsePageSize("10x10furlong"));
}

}  // namespace
}  // namespace zv::tool
