#include "demo_model.h"

#include <cmath>
#include <numbers>

namespace zv::tool {

namespace {

constexpr int kCircleSegments = 48;

struct Circle {
    double cx, cy, r;
};

const double kBlockX = 120, kBlockY = 80, kBlockZ = 20;
const Circle kHoleA{16, 16, 6}, kHoleB{16, 64, 6};
const Circle kBoss{92, 40, 15}, kBore{92, 40, 6};
const double kBossTop = 38;
const double kPocketX0 = 36, kPocketX1 = 68, kPocketY0 = 18, kPocketY1 = 62, kPocketFloor = 10;

// The ring turned so that it runs counter-clockwise around outward (or
// clockwise, for a hole).
Ring Oriented(Ring ring, Vec3 outward, bool hole) {
    bool counterClockwise = Dot(RingNormal(ring), outward) > 0;
    if (counterClockwise == hole) ring = Ring(ring.rbegin(), ring.rend());
    return ring;
}

Ring CircleAt(const Circle& c, double z) {
    Ring ring;
    for (int k = 0; k < kCircleSegments; ++k) {
        double a = 2 * std::numbers::pi * k / kCircleSegments;
        ring.push_back({c.cx + c.r * std::cos(a), c.cy + c.r * std::sin(a), z});
    }
    return ring;
}

Ring Rectangle(double x0, double y0, double x1, double y1, double z) {
    return {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
}

// The facets of a cylinder wall between z0 and z1; inward walls (holes) face the axis.
void AddCylinderWall(std::vector<Polygon>& out, const Circle& c, double z0, double z1, bool facesAxis, int group) {
    Ring bottom = CircleAt(c, z0), top = CircleAt(c, z1);
    for (int k = 0; k < kCircleSegments; ++k) {
        int next = (k + 1) % kCircleSegments;
        Ring quad{bottom[k], bottom[next], top[next], top[k]};
        Vec3 middle = (bottom[k] + bottom[next]) * 0.5;
        Vec3 radial{middle.x - c.cx, middle.y - c.cy, 0};
        out.push_back({Oriented(quad, facesAxis ? radial * -1.0 : radial, false), {}, group});
    }
}

// A planar face with holes, oriented for its outward normal.
Polygon Face(Ring outer, std::vector<Ring> holes, Vec3 outward, int group) {
    Polygon polygon{Oriented(std::move(outer), outward, false), {}, group};
    for (Ring& hole : holes) polygon.holes.push_back(Oriented(std::move(hole), outward, true));
    return polygon;
}

// A vertical wall rectangle from a to b (at z0) up to z1.
Polygon Wall(Vec3 a, Vec3 b, double z1, Vec3 outward, int group) {
    Ring ring{a, b, {b.x, b.y, z1}, {a.x, a.y, z1}};
    return Face(ring, {}, outward, group);
}

void AddBlock(std::vector<Polygon>& out) {
    const double X = kBlockX, Y = kBlockY, Z = kBlockZ;
    out.push_back(Face(Rectangle(0, 0, X, Y, Z),
                       {CircleAt(kHoleA, Z), CircleAt(kHoleB, Z), Rectangle(kPocketX0, kPocketY0, kPocketX1, kPocketY1, Z),
                        CircleAt(kBoss, Z)},
                       {0, 0, 1}, 0));
    out.push_back(Face(Rectangle(0, 0, X, Y, 0), {CircleAt(kHoleA, 0), CircleAt(kHoleB, 0), CircleAt(kBore, 0)},
                       {0, 0, -1}, 0));
    out.push_back(Wall({0, 0, 0}, {X, 0, 0}, Z, {0, -1, 0}, 0));
    out.push_back(Wall({X, 0, 0}, {X, Y, 0}, Z, {1, 0, 0}, 0));
    out.push_back(Wall({X, Y, 0}, {0, Y, 0}, Z, {0, 1, 0}, 0));
    out.push_back(Wall({0, Y, 0}, {0, 0, 0}, Z, {-1, 0, 0}, 0));
}

void AddPocket(std::vector<Polygon>& out) {
    const double f = kPocketFloor, z = kBlockZ;
    const int group = 1;
    out.push_back(Face(Rectangle(kPocketX0, kPocketY0, kPocketX1, kPocketY1, f), {}, {0, 0, 1}, group));
    out.push_back(Wall({kPocketX0, kPocketY0, f}, {kPocketX1, kPocketY0, f}, z, {0, 1, 0}, group));
    out.push_back(Wall({kPocketX1, kPocketY0, f}, {kPocketX1, kPocketY1, f}, z, {-1, 0, 0}, group));
    out.push_back(Wall({kPocketX1, kPocketY1, f}, {kPocketX0, kPocketY1, f}, z, {0, -1, 0}, group));
    out.push_back(Wall({kPocketX0, kPocketY1, f}, {kPocketX0, kPocketY0, f}, z, {1, 0, 0}, group));
}

void AddBoss(std::vector<Polygon>& out) {
    out.push_back(Face(CircleAt(kBoss, kBossTop), {CircleAt(kBore, kBossTop)}, {0, 0, 1}, 4));
    AddCylinderWall(out, kBoss, kBlockZ, kBossTop, false, 4);
    AddCylinderWall(out, kBore, 0, kBossTop, true, 5);
}

}  // namespace

std::vector<Polygon> DemoModel() {
    std::vector<Polygon> polygons;
    AddBlock(polygons);
    AddPocket(polygons);
    AddCylinderWall(polygons, kHoleA, 0, kBlockZ, true, 2);
    AddCylinderWall(polygons, kHoleB, 0, kBlockZ, true, 3);
    AddBoss(polygons);
    return polygons;
}

}  // namespace zv::tool
