#include "dxf_writer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zv::tool {
namespace {

struct Pair {
    std::string code, value;
};

// The file as its (code, value) pairs, codes trimmed.
std::vector<Pair> Pairs(const std::string& text) {
    std::istringstream in(text);
    std::vector<Pair> pairs;
    std::string code, value;
    while (std::getline(in, code) && std::getline(in, value)) {
        code.erase(0, code.find_first_not_of(' '));
        pairs.push_back({code, value});
    }
    return pairs;
}

int Count(const std::vector<Pair>& pairs, const std::string& code, const std::string& value) {
    int n = 0;
    for (const Pair& p : pairs) n += p.code == code && p.value == value;
    return n;
}

Drawing Sample() {
    Drawing drawing;
    drawing.visible = {{{0, 0}, {0.1, 0}, {0.1, 2.5}}};
    drawing.hidden = {{{-1, -1}, {1e-7, 3}}};
    return drawing;
}

std::string Written(const Drawing& drawing, bool hidden) {
    std::ostringstream out;
    WriteDxf(drawing, hidden, out);
    return out.str();
}

TEST(DxfWriter, HasTheR12SectionsInOrderAndEndsWithEof) {
    std::vector<Pair> pairs = Pairs(Written(Sample(), true));
    std::vector<std::string> sections;
    for (size_t k = 0; k + 1 < pairs.size(); ++k) {
        if (pairs[k].code == "0" && pairs[k].value == "SECTION") sections.push_back(pairs[k + 1].value);
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "TABLES", "ENTITIES"}));
    EXPECT_EQ(Count(pairs, "1", "AC1009"), 1);
    ASSERT_FALSE(pairs.empty());
    EXPECT_EQ(pairs.back().value, "EOF");
}

TEST(DxfWriter, DeclaresLayersAndTheDashedLinetype) {
    std::string text = Written(Sample(), true);
    std::vector<Pair> pairs = Pairs(text);
    EXPECT_EQ(Count(pairs, "2", "DASHED"), 1);
    EXPECT_EQ(Count(pairs, "2", "VISIBLE"), 1);
    EXPECT_EQ(Count(pairs, "2", "HIDDEN"), 1);
    EXPECT_NE(text.find("  2\nHIDDEN\n 70\n0\n 62\n8\n  6\nDASHED\n"), std::string::npos);
}

TEST(DxfWriter, OneLinePerSegmentOnItsLayerWithExactCoordinates) {
    std::string text = Written(Sample(), true);
    std::vector<Pair> pairs = Pairs(text);
    EXPECT_EQ(Count(pairs, "0", "LINE"), 3);
    EXPECT_EQ(Count(pairs, "8", "VISIBLE"), 2);
    EXPECT_EQ(Count(pairs, "8", "HIDDEN"), 1);
    EXPECT_NE(text.find(" 10\n0.1\n 20\n0\n 30\n0\n 11\n0.1\n 21\n2.5\n"), std::string::npos);
    EXPECT_NE(text.find(" 11\n1e-07\n"), std::string::npos);
}

TEST(DxfWriter, HiddenLinesOnlyWhenAskedFor) {
    std::vector<Pair> pairs = Pairs(Written(Sample(), false));
    EXPECT_EQ(Count(pairs, "0", "LINE"), 2);
    EXPECT_EQ(Count(pairs, "8", "HIDDEN"), 0);
}

TEST(DxfWriter, EmptyDrawingIsStillAValidFile) {
    std::vector<Pair> pairs = Pairs(Written(Drawing{}, true));
    EXPECT_EQ(Count(pairs, "0", "LINE"), 0);
    EXPECT_EQ(pairs.back().value, "EOF");
}

TEST(DxfWriter, ExactNumberRoundTrips) {
    EXPECT_EQ(ExactNumber(0.1), "0.1");
    EXPECT_EQ(ExactNumber(-0.0), "0");
    EXPECT_EQ(ExactNumber(1234.567), "1234.567");
    double third = 1.0 / 3.0;
    EXPECT_EQ(std::stod(ExactNumber(third)), third);
}

TEST(DxfWriter, UnwritablePathThrowsWithTheName) {
    try {
        WriteDxfFile(Sample(), true, "/nonexistent/dir/out.dxf");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/dir/out.dxf"), std::string::npos);
    }
}

}  // namespace
}  // namespace zv::tool
