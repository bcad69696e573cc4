#include "edge_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace zv::tool {

namespace {

const Ring& RingOf(const Polygon& polygon, int ring) { return ring == 0 ? polygon.outer : polygon.holes[ring - 1]; }

}  // namespace

// Points that compare equal hash alike: -0.0 is hashed as 0.0.
size_t EdgeTable::PointHash::operator()(const Vec3& p) const {
    uint64_t h = 0;
    for (double c : {p.x + 0.0, p.y + 0.0, p.z + 0.0}) h = (h ^ std::bit_cast<uint64_t>(c)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 29));
}

int EdgeTable::WeldedIndex(Vec3 p) {
    auto [it, added] = weld_.emplace(p, static_cast<int>(weld_.size()));
    return it->second;
}

EdgeTable::EdgeTable(const std::vector<Polygon>& polygons, double smoothAngleDegrees) {
    std::vector<Vec3> normals;
    ringStart_.resize(polygons.size());
    for (int p = 0; p < static_cast<int>(polygons.size()); ++p) {
        const Polygon& polygon = polygons[p];
        normals.push_back(Normalized(RingNormal(polygon.outer)));
        for (int r = 0; r <= static_cast<int>(polygon.holes.size()); ++r) {
            const Ring& ring = RingOf(polygon, r);
            ringStart_[p].push_back(static_cast<int>(edgeShared_.size()));
            for (int e = 0; e < static_cast<int>(ring.size()); ++e) {
                const int a = WeldedIndex(ring[e]), b = WeldedIndex(ring[(e + 1) % ring.size()]);
                const uint64_t ends = uint64_t(uint32_t(std::min(a, b))) << 32 | uint32_t(std::max(a, b));
                auto [it, added] = sharedOfEnds_.emplace(ends, static_cast<int>(shared_.size()));
                if (added) shared_.emplace_back();
                shared_[it->second].users.push_back({p, r, e});
                edgeShared_.push_back(it->second);
            }
        }
    }
    const double cosSmooth = std::cos(smoothAngleDegrees * std::numbers::pi / 180.0);
    for (Shared& shared : shared_) {
        if (smoothAngleDegrees <= 0 || shared.users.size() != 2) continue;
        const EdgeRef& a = shared.users[0];
        const EdgeRef& b = shared.users[1];
        if (a.polygon == b.polygon) continue;
        shared.smooth = Dot(normals[a.polygon], normals[b.polygon]) > cosSmooth;
    }
}

const EdgeTable::Shared& EdgeTable::SharedOf(const EdgeRef& ref) const {
    return shared_[edgeShared_[ringStart_.at(ref.polygon).at(ref.ring) + ref.edge]];
}

bool EdgeTable::IsSmooth(const EdgeRef& ref) const { return SharedOf(ref).smooth; }

bool EdgeTable::HasOpenEdge() const {
    return std::any_of(shared_.begin(), shared_.end(), [](const Shared& shared) { return shared.users.size() == 1; });
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
