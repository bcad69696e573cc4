#include "coplanar_merge.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hidden_line_run.h"
#include "model_file.h"

namespace zv::tool {
namespace {

// A unit cube made of 12 triangles, counter-clockwise seen from outside.
Mesh TriangulatedCube() {
    Mesh mesh;
    for (int k = 0; k < 8; ++k) mesh.vertices.push_back({double(k & 1), double((k >> 1) & 1), double((k >> 2) & 1)});
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        mesh.faces.push_back({{q[0], q[1], q[2]}, 0});
        mesh.faces.push_back({{q[0], q[2], q[3]}, 0});
    }
    return mesh;
}

Mesh Square(Vec3 fourth, std::vector<MeshFace> faces) {
    return Mesh{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, fourth}, std::move(faces), {}};
}

TEST(CoplanarMerge, MergesOnlyFlatConsistentNeighboursOfOneGroup) {
    struct Case {
        const char* what;
        Mesh mesh;
        size_t merged, all;
    } const cases[] = {
        {"cube", TriangulatedCube(), 6, 12},
        {"folded", Square({0, 1, 0.1}, {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}}), 2, 2},
        {"within tolerance", Square({0, 1, 1e-9}, {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}}), 1, 2},
        {"two groups", Square({0, 1, 0}, {{{0, 1, 2}, 0}, {{0, 2, 3}, 1}}), 2, 2},
        {"opposite winding", Square({0, 1, 0}, {{{0, 1, 2}, 0}, {{0, 3, 2}, 0}}), 2, 2},
        {"no area", Mesh{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}, 0}, {{0, 1, 3}, 0}}, {}}, 1, 1},
        {"warped quad", Square({0, 1, 0.5}, {{{0, 1, 2, 3}, 0}}), 2, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeCoplanarFaces(c.mesh).size(), c.merged) << c.what;
        EXPECT_EQ(FacesAsPolygons(c.mesh).size(), c.all) << c.what;
    }
    for (const Polygon& polygon : MergeCoplanarFaces(TriangulatedCube())) {
        EXPECT_EQ(polygon.outer.size(), 4u);
        Vec3 centre = (polygon.outer[0] + polygon.outer[2]) * 0.5;  // still counter-clockwise from outside
        EXPECT_GT(Dot(RingNormal(polygon.outer), centre - Vec3{0.5, 0.5, 0.5}), 0);
    }
}

TEST(CoplanarMerge, RegionWithAHoleGivesOuterAndHoleLoops) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}, {1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
    for (int k = 0; k < 4; ++k) {
        mesh.faces.push_back({{k, (k + 1) % 4, 4 + (k + 1) % 4}, 0});
        mesh.faces.push_back({{k, 4 + (k + 1) % 4, 4 + k}, 0});
    }
    std::vector<Polygon> polygons = MergeCoplanarFaces(mesh);
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(polygons[0].holes.size(), 1u);
    EXPECT_DOUBLE_EQ(RingNormal(polygons[0].outer).z, 18);
    EXPECT_DOUBLE_EQ(RingNormal(polygons[0].holes[0]).z, -2);
}

// A part moved far from the origin or scaled up, with its corners rounded to
// float32 as STL stores them, merges into the same faces and draws the same
// picture (lengths relative to the part's size).
TEST(CoplanarMerge, FloatRoundingFarFromTheOriginMergesTheSameFaces) {
    for (const char* file : {"/bushing.stl", "/plate_with_hole.stl"}) {
        const Mesh mesh = LoadModelFile(std::string(ZVHLR_TEST_DATA) + file);
        auto draw = [](const Mesh& m, double scale) {
            std::vector<Polygon> polygons = MergeCoplanarFaces(m);
            RunResult run = RemoveHiddenLines(polygons, Camera(*NamedView("iso"), BoundsOf(polygons)));
            return std::pair{polygons.size(), LengthOf(run.drawing.visible) / scale};
        };
        const auto [faces, length] = draw(mesh, 1);
        for (auto [offset, scale] : {std::pair{1e5, 1.0}, std::pair{0.0, 1000.0}}) {
            Mesh moved = mesh;
            for (Vec3& v : moved.vertices) {
                v = {float(v.x * scale + offset), float(v.y * scale + offset), float(v.z * scale + offset)};
            }
            const auto [movedFaces, movedLength] = draw(moved, scale);
            EXPECT_EQ(movedFaces, faces) << file << " offset " << offset << " scale " << scale;
            EXPECT_NEAR(movedLength, length, 1e-3 * length) << file << " offset " << offset << " scale " << scale;
        }
    }
}

}  // namespace
}  // namespace zv::tool
