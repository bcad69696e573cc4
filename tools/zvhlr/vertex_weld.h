// Joining equal corner points into shared vertices.
#pragma once

#include <unordered_map>
#include <vector>

#include "mesh.h"

namespace zv::tool {

class VertexWeld {
public:
    explicit VertexWeld(std::vector<Vec3>& vertices) : vertices_(vertices) {}

    // The index of the vertex at exactly p, added when there is none yet
    // (-0.0 and 0.0 are the same point).
    int IndexOf(Vec3 p);

    // Room for this many distinct points without rehashing.
    void Reserve(size_t points) { index_.reserve(points); }

private:
    struct PointHash {
        size_t operator()(const Vec3& p) const;
    };
    struct SamePoint {
        bool operator()(const Vec3& a, const Vec3& b) const { return a.x == b.x && a.y == b.y && a.z == b.z; }
    };

    std::vector<Vec3>& vertices_;
    std::unordered_map<Vec3, int, PointHash, SamePoint> index_;
};

}  // namespace zv::tool
