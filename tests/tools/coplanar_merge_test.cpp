#include "coplanar_merge.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace zv::tool
