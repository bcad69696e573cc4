#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cairo_writer.h"
#include "dxf_writer.h"
#include "output_file.h"

namespace zv::tool {
namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("zvtool_" + std::to_string(getpid()) + "_" + name)).string();
}

std::string ReadAndRemove(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::filesystem::remove(path);
    return content.str();
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

Drawing Sample() {
    Drawing drawing;
    drawing.visible = {{{0, 0}, {0.1, 0}, {0.1, 2.5}}, {{0, 1}, {0, 2}}};
    drawing.hidden = {{{-1, -1}, {1e-7, 3}}};
    return drawing;
}

std::string Written(CairoFormat format, const std::string& name, bool hidden, const char* page = "a4-landscape") {
    CairoStyle style;
    style.page = *ParsePageSize(page);
    style.withHidden = hidden;
    style.dpi = 254;  // 10 pixels per millimetre
    const std::string path = TempPath(name);
    WriteCairoDrawing(Sample(), path, format, style);
    return ReadAndRemove(path);
}

TEST(CairoWriter, PathsPerPolylineDashesOnlyForHiddenAndEveryFormat) {
    for (bool hidden : {false, true}) {
        const std::string svg = Written(CairoFormat::Svg, "d.svg", hidden);
        EXPECT_EQ(Occurrences(svg, "<path"), hidden ? 3 : 2);
        EXPECT_EQ(svg.find("stroke-dasharray") != std::string::npos, hidden);
        EXPECT_EQ(Occurrences(svg, "<rect"), 1);  // the white page
    }
    EXPECT_EQ(Written(CairoFormat::Pdf, "d.pdf", true).rfind("%PDF", 0), 0u);
    // The PNG header's width and height, big-endian: 1000 x 500 pixels.
    const std::string png = Written(CairoFormat::Png, "p.png", true, "100x50mm");
    EXPECT_EQ(png.substr(0, 24), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x03\xe8\0\0\x01\xf4", 24));
}

TEST(DxfWriter, R12SectionsLayersAndExactLines) {
    for (bool hidden : {false, true}) {
        std::ostringstream out;
        WriteDxf(Sample(), hidden, out);
        const std::string text = out.str();
        EXPECT_EQ(Occurrences(text, "\nLINE\n"), hidden ? 4 : 3);
        EXPECT_EQ(Occurrences(text, "  8\nHIDDEN\n"), hidden ? 1 : 0);
        for (const char* part : {"  1\nAC1009\n", "  2\nHIDDEN\n 70\n0\n 62\n8\n  6\nDASHED\n",
                                 " 10\n0.1\n 20\n0\n 30\n0\n 11\n0.1\n 21\n2.5\n"})
            EXPECT_NE(text.find(part), std::string::npos) << part;
        EXPECT_EQ(text.substr(text.size() - 4), "EOF\n");
    }
    for (double v : {0.1, -0.0, 1234.567, 1.0 / 3.0, 1e-7}) EXPECT_EQ(std::stod(ExactNumber(v)), v);
    EXPECT_EQ(ExactNumber(-0.0), "0");
}

// Failures name the file and give the system's reason, for every format.
TEST(OutputFile, ProblemsAreFoundBeforehandAndWriteErrorsGiveTheReason) {
    EXPECT_TRUE(OutputProblem(TempPath("new.svg")).empty() && !std::filesystem::exists(TempPath("new.svg")));
    EXPECT_EQ(OutputProblem("/nonexistent/dir/x.svg"), "the folder '/nonexistent/dir' does not exist");
    EXPECT_EQ(OutputProblem(std::filesystem::temp_directory_path().string()), "is a folder");
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string full = TempPath("full");
    const std::pair<const char*, std::optional<CairoFormat>> formats[] = {
        {".svg", CairoFormat::Svg}, {".pdf", CairoFormat::Pdf}, {".png", CairoFormat::Png}, {".dxf", std::nullopt}};
    for (const auto& [extension, format] : formats) {
        const std::string path = full + extension;
        std::filesystem::create_symlink("/dev/full", path);
        CairoStyle style;
        style.page = *ParsePageSize("a4");
        try {
            format ? WriteCairoDrawing(Sample(), path, *format, style) : WriteDxfFile(Sample(), true, path);
            ADD_FAILURE() << extension << " written to a full device";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), path + ": cannot write the drawing: No space left on device");
        }
        std::filesystem::remove(path);
    }
}

TEST(PageSize, NamesDimensionsAndOrientation) {
    PageSize a4 = *ParsePageSize("A4");
    EXPECT_NEAR(a4.widthPt, 595.276, 1e-3);
    EXPECT_GT(OrientedFor(a4, 300, 100).widthPt, a4.widthPt);
    PageSize portrait = *ParsePageSize("a4-portrait");
    EXPECT_LT(OrientedFor(portrait, 300, 100).widthPt, portrait.heightPt);
    EXPECT_DOUBLE_EQ(ParsePageSize("2x1in")->widthPt, 144);
    EXPECT_DOUBLE_EQ(ParsePageSize("800x600px")->heightPt, 450);
    for (const char* bad : {"a9", "0x10", "10x10furlong"}) EXPECT_FALSE(ParsePageSize(bad)) << bad;
}

}  // namespace
}  // namespace zv::tool
