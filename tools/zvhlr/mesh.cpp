#include "mesh.h"

#include <algorithm>

namespace zv::tool {

Vec3 RingNormal(const Ring& ring) {
    Vec3 n;
    const size_t count = ring.size();
    for (size_t k = 0; k < count; ++k) {
        const Vec3& a = ring[k];
        const Vec3& b = ring[(k + 1) % count];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

void Box::Add(Vec3 p) {
    if (empty) {
        min = max = p;
        empty = false;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

Box BoundsOf(const std::vector<Polygon>& polygons) {
    Box box;
    for (const Polygon& polygon : polygons) {
        for (Vec3 p : polygon.outer) box.Add(p);
    }
    return box;
}

Box BoundsOf(const Mesh& mesh) {
    Box box;
    for (const MeshFace& face : mesh.faces) {
        for (int v : face.loop) box.Add(mesh.vertices[v]);
    }
    return box;
}

}  // namespace zv::tool
