#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "load_error.h"
#include "model_file.h"
#include "obj_loader.h"
#include "stl_loader.h"

namespace zv::tool {
namespace {

const std::string kVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n";

template <typename Parse>
std::string ErrorOf(Parse parse, const std::string& text) {
    try {
        parse(text);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}
std::string ObjError(const std::string& text) { return ErrorOf([](auto& t) { ParseObj(t, "part.obj"); }, text); }
std::string StlError(const std::string& data) { return ErrorOf([](auto& t) { ParseStl(t, "model.stl"); }, data); }

std::string BinaryStl(const std::vector<std::array<float, 9>>& triangles, const std::string& header = "binary") {
    std::string data(80, '\0');
    data.replace(0, header.size(), header);
    std::uint32_t count = triangles.size();
    data.append(reinterpret_cast<const char*>(&count), 4);
    for (const auto& t : triangles) {
        data.append(12, '\0');
        data.append(reinterpret_cast<const char*>(t.data()), 36);
        data.append(2, '\0');
    }
    return data;
}
const std::vector<std::array<float, 9>> kSquare = {{0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 0}};

TEST(ObjLoader, EveryIndexFormGivesTheSameFace) {
    for (const std::string face : {"f 1 2 3", "f 1/1 2/2 3/3", "f 1//1 2//1 3//1", "f 1/1/1 2/2/1 3/3/1", "f -4 -3 -2",
                                   "f 1 2 2 3", "f 1 2 3 1", "f -4/-3/-1 -3/-2/-1 -2/-1/-1"}) {
        Mesh mesh = ParseObj("# c\rmtllib x.mtl\ns 1\n" + kVertices + "l 1 2\no lid\n" + face + "\r\nf 1 1 2\n", "part.obj");
        ASSERT_EQ(mesh.faces.size(), 1u) << face;
        EXPECT_EQ(mesh.faces[0].loop, (std::vector<int>{0, 1, 2})) << face;
        EXPECT_EQ(mesh.groups[mesh.faces[0].group], "lid");
    }
}

TEST(ObjLoader, MalformedLinesNameTheLineAndTheFault) {
    const std::pair<std::string, std::string> cases[] = {
        {"v 0 0 0\nv 1 zero 0\n", "part.obj:2: 'v': 'zero' is not a finite number"},
        {"v 0 0\n", "part.obj:1: a vertex needs three coordinates"},
        {kVertices + "f 1 2 0\n", "part.obj:9: face corner '0': index 0 is not allowed"},
        {kVertices + "f 1 2 5\n", "part.obj:9: face corner '5': vertex index 5 is out of range (4"},
        {kVertices + "f 1/9 2/1 3/1\n", ":9: face corner '1/9': texture index 9"},
        {kVertices + "f 1//2 2//1 3//1\n", "normal index 2"},
        {kVertices + "f 1 2\n", ":9: a face needs at least three corners"},
        {kVertices + "f a b c\n", "'a' is not an index"},
        {kVertices + "f 1/1/1/1 2 3\n", "more than three parts"},
        {"v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n", "part.obj:3:"},
    };
    for (const auto& [text, message] : cases) EXPECT_NE(ObjError(text).find(message), std::string::npos) << text;
}

TEST(StlLoader, BinaryAndAsciiGiveWeldedTriangles) {
    for (const std::string& data : {BinaryStl(kSquare), BinaryStl(kSquare, "solid exported by a CAD program"),
                                    std::string("solid part\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                                                "vertex 1 1 0\nendloop\nendfacet\nfacet normal 0 0 1\nouter loop\n"
                                                "vertex 0 0 0\nvertex 1 1 0\nvertex 0 1 0\nendloop\nendfacet\n"
                                                "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                                                "vertex 1 0 0\nendloop\nendfacet\nendsolid part\n")}) {
        Mesh mesh = ParseStl(data, "model.stl");
        ASSERT_EQ(mesh.faces.size(), 2u);
        EXPECT_EQ(mesh.vertices.size(), 4u);
        EXPECT_EQ(mesh.faces[0].loop[2], mesh.faces[1].loop[1]);
    }
}

TEST(StlLoader, FaultsNameTheByteOrLine) {
    std::string truncated = BinaryStl(kSquare);
    truncated.resize(truncated.size() - 10);
    std::array<float, 9> bad = kSquare[0];
    bad[4] = std::numeric_limits<float>::quiet_NaN();
    const std::string head = "solid s\nfacet normal 0 0 1\nouter loop\n";
    const std::pair<std::string, std::string> cases[] = {
        {truncated, "model.stl: byte 134: truncated"},
        {"abc", "byte 3"},
        {BinaryStl({kSquare[0], bad}), "byte " + std::to_string(84 + 50 + 12 + 12)},
        {head + "vertex 0 0 x\n", "model.stl:4: 'x' is not a finite number"},
        {head + "vertex 0 0 0\nendloop\n", ":5: a facet needs at least three vertices"},
        {head + "vertex 0 0 0\n", "ends inside a facet"},
        {"solid s\nfacet normal 0 0 1\nendfacet\n", ":3: unexpected 'endfacet'"},
        {"solid s\nbogus\n", ":2: unknown keyword 'bogus'"},
    };
    for (const auto& [data, message] : cases) EXPECT_NE(StlError(data).find(message), std::string::npos) << message;
}

// Files are read by extension, and by content when the name does not say.
TEST(ModelFile, FormatFromTheNameOrTheContent) {
    const auto folder = std::filesystem::temp_directory_path() / ("zvtool_models_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto write = [&](const std::string& name, const std::string& data) {
        std::ofstream(folder / name, std::ios::binary) << data;
        return (folder / name).string();
    };
    EXPECT_EQ(LoadModelFile(write("binary", BinaryStl(kSquare))).faces.size(), 2u);
    EXPECT_EQ(LoadModelFile(write("part.model", kVertices + "f 1 2 3 4\n")).faces.size(), 1u);
    EXPECT_EQ(LoadModelFile(ZVHLR_TEST_DATA "/plate_with_hole.stl").faces.size(), 32u);
    auto error = [](const std::string& path) { return ErrorOf([](auto& p) { LoadModelFile(p); }, path); };
    EXPECT_NE(error(write("notes", "hello")).find("not a model zvhlr can read"), std::string::npos);
    EXPECT_NE(error("/nonexistent/part.stl").find("/nonexistent/part.stl: cannot open"), std::string::npos);
    EXPECT_NE(error("/nonexistent/part").find("/nonexistent/part: cannot open"), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zv::tool
