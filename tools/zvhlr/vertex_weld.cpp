#include "vertex_weld.h"

namespace zv::tool {

int VertexWeld::IndexOf(Vec3 p) {
    // -0.0 and 0.0 are the same point.
    auto key = std::make_tuple(p.x + 0.0, p.y + 0.0, p.z + 0.0);
    auto found = index_.find(key);
    if (found != index_.end()) return found->second;
    int index = static_cast<int>(mesh_.vertices.size());
    mesh_.vertices.push_back(p);
    index_.emplace(key, index);
    return index;
}

}  // namespace zv::tool
