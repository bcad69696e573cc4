// A plane with a 2-D coordinate system in it, for working on planar rings.
#pragma once

#include <vector>

#include "vec3.h"

namespace zv::tool {

struct Point2 {
    double x = 0, y = 0;
};

class PlaneFrame {
public:
    // The plane through origin with the unit normal normal; its axes u and v
    // satisfy u x v = normal.
    PlaneFrame(Vec3 origin, Vec3 normal);

    Point2 Map(Vec3 p) const { return {Dot(p - origin_, u_), Dot(p - origin_, v_)}; }
    double Distance(Vec3 p) const { return Dot(p - origin_, normal_); }
    Vec3 Normal() const { return normal_; }

private:
    Vec3 origin_, normal_, u_, v_;
};

// Twice the signed area of a closed 2-D ring: positive counter-clockwise.
double SignedArea2(const std::vector<Point2>& ring);

// True when p lies strictly inside the ring (even-odd rule); points on the
// boundary count as outside.
bool Contains(const std::vector<Point2>& ring, Point2 p);

}  // namespace zv::tool
