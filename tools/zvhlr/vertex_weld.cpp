#include "vertex_weld.h"

#include <bit>
#include <cstdint>

namespace zv::tool {

// Points that compare equal hash alike: -0.0 is hashed as 0.0.
size_t VertexWeld::PointHash::operator()(const Vec3& p) const {
    uint64_t h = 0;
    for (double c : {p.x + 0.0, p.y + 0.0, p.z + 0.0}) h = (h ^ std::bit_cast<uint64_t>(c)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 29));
}

int VertexWeld::IndexOf(Vec3 p) {
    auto [it, added] = index_.emplace(p, static_cast<int>(vertices_.size()));
    if (added) vertices_.push_back(p);
    return it->second;
}

}  // namespace zv::tool
