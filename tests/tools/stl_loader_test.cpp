#include "stl_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "load_error.h"

namespace zv::tool {
namespace {

std::string BinaryStl(const std::vector<std::array<float, 9>>& triangles, const std::string& header = "binary",
                      int announced = -1) {
    std::string data(80, '\0');
    data.replace(0, header.size(), header);
    std::uint32_t count = announced < 0 ? triangles.size() : announced;
    data.append(reinterpret_cast<const char*>(&count), 4);
    for (const auto& t : triangles) {
        float normal[3] = {0, 0, 1};
        data.append(reinterpret_cast<const char*>(normal), 12);
        data.append(reinterpret_cast<const char*>(t.data()), 36);
        data.append(2, '\0');
    }
    return data;
}

const std::vector<std::array<float, 9>> kSquare = {{0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 0}};

std::string ErrorOf(const std::string& data) {
    try {
        ParseStl(data, "model.stl");
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

TEST(StlLoader, BinaryTrianglesShareWeldedVertices) {
    Mesh mesh = ParseStl(BinaryStl(kSquare), "model.stl");
    ASSERT_EQ(mesh.faces.size(), 2u);
    EXPECT_EQ(mesh.vertices.size(), 4u);
    EXPECT_EQ(mesh.faces[0].loop[0], mesh.faces[1].loop[0]);
    EXPECT_EQ(mesh.faces[0].loop[2], mesh.faces[1].loop[1]);
    EXPECT_EQ(mesh.vertices[mesh.faces[0].loop[1]].x, 1.0);
}

TEST(StlLoader, BinaryWhoseHeaderSaysSolidIsReadAsBinary) {
    std::string data = BinaryStl(kSquare, "solid exported by a CAD program");
    EXPECT_TRUE(LooksLikeBinaryStl(data));
    EXPECT_EQ(ParseStl(data, "model.stl").faces.size(), 2u);
}

TEST(StlLoader, AsciiIsRecognisedAndRead) {
    std::string text =
        "solid part\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1.5 0 0\n"
        "   vertex 1.5 2.25e1 0\n  endloop\n endfacet\nendsolid part\n";
    EXPECT_FALSE(LooksLikeBinaryStl(text));
    Mesh mesh = ParseStl(text, "model.stl");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.vertices[mesh.faces[0].loop[2]].y, 22.5);
    EXPECT_EQ(mesh.groups, std::vector<std::string>{"part"});
}

TEST(StlLoader, DegenerateTrianglesAreLeftOut) {
    Mesh mesh = ParseStl(BinaryStl({{0, 0, 0, 1, 0, 0, 1, 0, 0}, kSquare[0]}), "model.stl");
    EXPECT_EQ(mesh.faces.size(), 1u);
}

TEST(StlLoader, TruncatedBinaryNamesFileAndOffsetOfTheIncompleteTriangle) {
    std::string data = BinaryStl(kSquare);
    data.resize(data.size() - 10);
    std::string error = ErrorOf(data);
    EXPECT_NE(error.find("model.stl: byte 134"), std::string::npos) << error;
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST(StlLoader, TooShortForAHeaderIsAnError) {
    EXPECT_NE(ErrorOf("abc").find("byte 3"), std::string::npos);
    EXPECT_NE(ErrorOf("").find("truncated"), std::string::npos);
}

TEST(StlLoader, NonFiniteBinaryCoordinateIsAnError) {
    std::array<float, 9> bad = kSquare[0];
    bad[4] = std::numeric_limits<float>::quiet_NaN();
    std::string error = ErrorOf(BinaryStl({kSquare[0], bad}));
    EXPECT_NE(error.find("byte " + std::to_string(84 + 50 + 12 + 12)), std::string::npos) << error;
}

TEST(StlLoader, AsciiFaultsNameTheLine) {
    const std::string head = "solid s\nfacet normal 0 0 1\nouter loop\n";
    EXPECT_NE(ErrorOf(head + "vertex 0 0 x\n").find("model.stl:4: 'x' is not a finite number"), std::string::npos);
    EXPECT_NE(ErrorOf(head + "vertex 0 0\n").find(":4:"), std::string::npos);
    EXPECT_NE(ErrorOf(head + "vertex 0 0 0\nendloop\n").find(":5: a facet needs at least three vertices"),
              std::string::npos);
    EXPECT_NE(ErrorOf(head + "vertex 0 0 0\n").find("ends inside a facet"), std::string::npos);
    EXPECT_NE(ErrorOf("solid s\nfacet normal 0 0 1\nendfacet\n").find(":3: unexpected 'endfacet'"), std::string::npos);
    EXPECT_NE(ErrorOf("solid s\nbogus\n").find(":2: unknown keyword 'bogus'"), std::string::npos);
}

TEST(StlLoader, MissingFileIsReportedWithItsName) {
    try {
        LoadStlFile("/nonexistent/part.stl");
        FAIL();
    } catch (const LoadError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/part.stl: cannot open"), std::string::npos);
    }
}

TEST(StlLoader, SampleFileLoads) {
    auto path = std::filesystem::path(__FILE__).parent_path() / "data" / "plate_with_hole.stl";
    Mesh mesh = LoadStlFile(path.string());
    EXPECT_EQ(mesh.faces.size(), 32u);
    EXPECT_EQ(mesh.vertices.size(), 16u);
}

}  // namespace
}  // namespace zv::tool
