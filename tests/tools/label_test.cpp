#include "label.h"

#include <gtest/gtest.h>

#include <sstream>

#include "dxf_writer.h"

namespace zv::tool {
namespace {

TEST(Label, Utf8BecomesTheWindowsCodePage) {
    EXPECT_EQ(AnsiOfUtf8("Maß 3€ Ω"), "Ma\xDF 3\x80 ?");
    EXPECT_EQ(AnsiOfUtf8("\xFF" "a\xC3"), "\xFF" "a\xC3");  // not UTF-8: the bytes as they are
}

TEST(Label, LettersCentredUnderTheDrawingInEveryFormatsLines) {
    const Extent drawing{{0, 0}, {200, 100}, false};
    Label label = LabelUnder("Hi", "Arial", drawing);
    ASSERT_FALSE(label.family.empty());
    ASSERT_EQ(label.lines.size(), 3u);  // H, i and its dot
    Extent text = ExtentOf(Drawing{{}, {}, label.lines}, false);
    EXPECT_NEAR(text.max.y, -5, 1e-9);  // half the height (200 / 20) below
    EXPECT_NEAR((text.min.x + text.max.x) / 2, 100, 1e-9);
    EXPECT_LT(text.max.y - text.min.y, 10);
    std::ostringstream dxf;
    WriteDxf(Drawing{{}, {}, label.lines}, false, dxf);
    std::string written = dxf.str();
    size_t polylines = 0;
    for (size_t at = 0; (at = written.find("POLYLINE\n  8\nTEXT\n", at)) != std::string::npos; ++at) ++polylines;
    EXPECT_EQ(polylines, 3u);
    EXPECT_TRUE(LabelUnder("", "Arial", drawing).lines.empty());
}

}  // namespace
}  // namespace zv::tool
