#include "edge_table.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zv::tool {

namespace {

const Ring& RingOf(const Polygon& polygon, int ring) { return ring == 0 ? polygon.outer : polygon.holes[ring - 1]; }

}  // namespace

int EdgeTable::WeldedIndex(Vec3 p) {
    auto key = std::make_tuple(p.x + 0.0, p.y + 0.0, p.z + 0.0);
    auto [it, added] = weld_.emplace(key, static_cast<int>(weld_.size()));
    return it->second;
}

EdgeTable::EdgeTable(const std::vector<Polygon>& polygons, double smoothAngleDegrees) {
    std::vector<Vec3> normals;
    for (int p = 0; p < static_cast<int>(polygons.size()); ++p) {
        const Polygon& polygon = polygons[p];
        normals.push_back(Normalized(RingNormal(polygon.outer)));
        for (int r = 0; r <= static_cast<int>(polygon.holes.size()); ++r) {
            const Ring& ring = RingOf(polygon, r);
            for (int e = 0; e < static_cast<int>(ring.size()); ++e) {
                int a = WeldedIndex(ring[e]), b = WeldedIndex(ring[(e + 1) % ring.size()]);
                Key key{std::min(a, b), std::max(a, b)};
                keyOf_[{p, r, e}] = key;
                shared_[key].users.push_back({p, r, e});
            }
        }
    }
    const double cosSmooth = std::cos(smoothAngleDegrees * std::numbers::pi / 180.0);
    for (auto& [key, shared] : shared_) {
        if (smoothAngleDegrees <= 0 || shared.users.size() != 2) continue;
        const EdgeRef& a = shared.users[0];
        const EdgeRef& b = shared.users[1];
        if (a.polygon == b.polygon) continue;
        shared.smooth = Dot(normals[a.polygon], normals[b.polygon]) > cosSmooth;
    }
}

const EdgeTable::Shared& EdgeTable::SharedOf(const EdgeRef& ref) const {
    return shared_.at(keyOf_.at({ref.polygon, ref.ring, ref.edge}));
}

bool EdgeTable::IsSmooth(const EdgeRef& ref) const { return SharedOf(ref).smooth; }

bool EdgeTable::HasOpenEdge() const {
    return std::any_of(shared_.begin(), shared_.end(), [](const auto& entry) { return entry.second.users.size() == 1; });
}

bool EdgeTable::Draws(const EdgeRef& ref, const std::vector<bool>& present,
                      const std::vector<bool>& facesViewer) const {
    const Shared& shared = SharedOf(ref);
    if (shared.smooth && facesViewer[shared.users[0].polygon] == facesViewer[shared.users[1].polygon]) return false;
    const EdgeRef* drawer = nullptr;
    for (const EdgeRef& user : shared.users) {
        if (!present[user.polygon]) continue;
        if (!drawer) drawer = &user;
        if (facesViewer[user.polygon]) {
            drawer = &user;
            break;
        }
    }
    return drawer && drawer->polygon == ref.polygon && drawer->ring == ref.ring && drawer->edge == ref.edge;
}

}  // namespace zv::tool
