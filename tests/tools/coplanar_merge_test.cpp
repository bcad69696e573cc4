#include "coplanar_merge.h"

#include <gtest/gtest.h>

#include "plane_frame.h"

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

// A 3 x 3 square with a 1 x 1 square hole in the middle, in 8 triangles (z = 0, facing +z).
Mesh SquareWithHole() {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}, {1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
    for (int k = 0; k < 4; ++k) {
        int o0 = k, o1 = (k + 1) % 4, i0 = 4 + k, i1 = 4 + (k + 1) % 4;
        mesh.faces.push_back({{o0, o1, i1}, 0});
        mesh.faces.push_back({{o0, i1, i0}, 0});
    }
    return mesh;
}

double AreaAround(const Ring& ring, Vec3 normal) { return Dot(RingNormal(ring), normal) / 2; }

TEST(CoplanarMerge, TriangulatedCubeGivesSixQuads) {
    std::vector<Polygon> polygons = MergeCoplanarFaces(TriangulatedCube());
    ASSERT_EQ(polygons.size(), 6u);
    for (const Polygon& polygon : polygons) {
        EXPECT_EQ(polygon.outer.size(), 4u);
        EXPECT_TRUE(polygon.holes.empty());
        // Still counter-clockwise seen from outside: the normal points away from the centre.
        Vec3 centre = (polygon.outer[0] + polygon.outer[2]) * 0.5;
        EXPECT_GT(Dot(RingNormal(polygon.outer), centre - Vec3{0.5, 0.5, 0.5}), 0);
    }
}

TEST(CoplanarMerge, SquareWithHoleGivesOuterAndHoleLoops) {
    std::vector<Polygon> polygons = MergeCoplanarFaces(SquareWithHole());
    ASSERT_EQ(polygons.size(), 1u);
    const Polygon& polygon = polygons[0];
    ASSERT_EQ(polygon.outer.size(), 4u);
    ASSERT_EQ(polygon.holes.size(), 1u);
    EXPECT_EQ(polygon.holes[0].size(), 4u);
    EXPECT_DOUBLE_EQ(AreaAround(polygon.outer, {0, 0, 1}), 9);     // counter-clockwise
    EXPECT_DOUBLE_EQ(AreaAround(polygon.holes[0], {0, 0, 1}), -1);  // clockwise
    for (Vec3 p : polygon.holes[0]) {
        EXPECT_TRUE(p.x == 1 || p.x == 2);
        EXPECT_TRUE(p.y == 1 || p.y == 2);
    }
}

TEST(CoplanarMerge, FoldedFacesStaySeparate) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.1}};
    mesh.faces = {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}};
    EXPECT_EQ(MergeCoplanarFaces(mesh).size(), 2u);
}

TEST(CoplanarMerge, NearlyCoplanarFacesWithinToleranceMerge) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 1e-9}};
    mesh.faces = {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}};
    EXPECT_EQ(MergeCoplanarFaces(mesh).size(), 1u);
}

TEST(CoplanarMerge, FacesOfDifferentGroupsOrOppositeWindingStaySeparate) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.faces = {{{0, 1, 2}, 0}, {{0, 2, 3}, 1}};
    EXPECT_EQ(MergeCoplanarFaces(mesh).size(), 2u);
    mesh.faces = {{{0, 1, 2}, 0}, {{0, 3, 2}, 0}};
    EXPECT_EQ(MergeCoplanarFaces(mesh).size(), 2u);
}

TEST(CoplanarMerge, DegenerateFacesAreLeftOut) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}};
    mesh.faces = {{{0, 1, 2}, 0}, {{0, 1, 3}, 0}};
    EXPECT_EQ(MergeCoplanarFaces(mesh).size(), 1u);
    EXPECT_EQ(FacesAsPolygons(mesh).size(), 1u);
}

TEST(CoplanarMerge, WarpedQuadIsSplitIntoTriangles) {
    Mesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5}, {0, 1, 0}};
    mesh.faces = {{{0, 1, 2, 3}, 0}};
    std::vector<Polygon> polygons = MergeCoplanarFaces(mesh);
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0].outer.size(), 3u);
}

TEST(CoplanarMerge, AllEdgesKeepsEveryFace) {
    EXPECT_EQ(FacesAsPolygons(TriangulatedCube()).size(), 12u);
    EXPECT_EQ(FacesAsPolygons(SquareWithHole()).size(), 8u);
}

}  // namespace
}  // namespace zv::tool
