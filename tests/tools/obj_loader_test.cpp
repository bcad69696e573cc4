#include "obj_loader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "load_error.h"

namespace zv::tool {
namespace {

const std::string kVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n";

std::string ErrorOf(const std::string& text) {
    try {
        ParseObj(text, "part.obj");
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

TEST(ObjLoader, EveryIndexFormGivesTheSameFace) {
    for (const std::string face : {"f 1 2 3", "f 1/1 2/2 3/3", "f 1//1 2//1 3//1", "f 1/1/1 2/2/1 3/3/1", "f -4 -3 -2",
                                   "f -4/-3/-1 -3/-2/-1 -2/-1/-1"}) {
        Mesh mesh = ParseObj(kVertices + face + "\n", "part.obj");
        ASSERT_EQ(mesh.faces.size(), 1u) << face;
        EXPECT_EQ(mesh.faces[0].loop, (std::vector<int>{0, 1, 2})) << face;
    }
}

TEST(ObjLoader, ALoneCarriageReturnEndsALineAsForTheReaderLibrary) {
    // "s\rv 4e44" is a smoothing statement and a vertex that does not fit a float.
    std::string error = ErrorOf("s\rv 4e44\n");
    EXPECT_NE(error, "");
    Mesh mesh = ParseObj("v 0 0 0\rv 1 0 0\r\nv 1 1 0\rf 1 2 3\r", "part.obj");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    ASSERT_EQ(mesh.faces.size(), 1u);
    for (const auto& v : mesh.vertices) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST(ObjLoader, NegativeIndexesCountFromTheVerticesDefinedSoFar) {
    Mesh mesh = ParseObj("v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nf -4 -2 -1\n", "part.obj");
    ASSERT_EQ(mesh.faces.size(), 2u);
    EXPECT_EQ(mesh.faces[1].loop, (std::vector<int>{0, 2, 3}));
}

TEST(ObjLoader, PolygonsKeepAllTheirCorners) {
    std::string text;
    for (int k = 0; k < 300; ++k) text += "v " + std::to_string(k) + " " + std::to_string(k * k % 7) + " 0\n";
    text += "f";
    for (int k = 1; k <= 300; ++k) text += " " + std::to_string(k);
    Mesh mesh = ParseObj(text + "\n", "part.obj");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].loop.size(), 300u);
    EXPECT_EQ(mesh.faces[0].loop.back(), 299);
}

TEST(ObjLoader, ObjectsAndGroupsSeparateFaces) {
    Mesh mesh = ParseObj(kVertices + "f 1 2 3\no lid\nf 1 3 4\ng rim edge\nf 2 3 4\n", "part.obj");
    ASSERT_EQ(mesh.faces.size(), 3u);
    EXPECT_NE(mesh.faces[0].group, mesh.faces[1].group);
    EXPECT_NE(mesh.faces[1].group, mesh.faces[2].group);
    EXPECT_EQ(mesh.groups[mesh.faces[1].group], "lid");
    EXPECT_EQ(mesh.groups[mesh.faces[2].group], "rim edge");
}

TEST(ObjLoader, CoordinatesAreExact) {
    Mesh mesh = ParseObj("v 1234.567 0.1 -1e-3\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "part.obj");
    EXPECT_EQ(mesh.vertices[0].x, 1234.567);
    EXPECT_EQ(mesh.vertices[0].y, 0.1);
    EXPECT_EQ(mesh.vertices[0].z, -1e-3);
}

TEST(ObjLoader, OtherStatementsAreIgnored) {
    Mesh mesh = ParseObj("# comment\nmtllib x.mtl\nusemtl steel\ns 1\n" + kVertices + "l 1 2\np 3\nf 1 2 3 4\n", "part.obj");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].loop.size(), 4u);
}

TEST(ObjLoader, RepeatedCornersAreDroppedAndDegenerateFacesSkipped) {
    Mesh mesh = ParseObj(kVertices + "f 1 2 2 3\nf 1 1 2\n", "part.obj");
    ASSERT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(mesh.faces[0].loop, (std::vector<int>{0, 1, 2}));
}

TEST(ObjLoader, MalformedLinesAreReportedWithLineAndFault) {
    EXPECT_NE(ErrorOf("v 0 0 0\nv 1 zero 0\n").find("part.obj:2: 'v': 'zero' is not a finite number"), std::string::npos);
    EXPECT_NE(ErrorOf("v 0 0\n").find("part.obj:1: a vertex needs three coordinates"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1 2 0\n").find("part.obj:9: face corner '0': index 0 is not allowed"),
              std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1 2 5\n").find("part.obj:9: face corner '5': vertex index 5 is out of range (4"),
              std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1 2 -5\n").find(":9: face corner '-5'"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1/9 2/1 3/1\n").find(":9: face corner '1/9': texture index 9"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1//2 2//1 3//1\n").find("normal index 2"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1 2\n").find(":9: a face needs at least three corners"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f a b c\n").find("'a' is not an index"), std::string::npos);
    EXPECT_NE(ErrorOf(kVertices + "f 1/1/1/1 2 3\n").find("more than three parts"), std::string::npos);
}

TEST(ObjLoader, IndexReferringToALaterVertexIsAnError) {
    EXPECT_NE(ErrorOf("v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n").find("part.obj:3:"), std::string::npos);
}

TEST(ObjLoader, CrlfLineEndsAreAccepted) {
    Mesh mesh = ParseObj("v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\n", "part.obj");
    EXPECT_EQ(mesh.faces.size(), 1u);
}

}  // namespace
}  // namespace zv::tool
