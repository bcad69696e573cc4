#include "edge_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>

#include "vertex_weld.h"

namespace zv::tool {

namespace {

const Ring& RingOf(const Polygon& polygon, int ring) { return ring == 0 ? polygon.outer : polygon.holes[ring - 1]; }

}  // namespace

EdgeTable::EdgeTable(const std::vector<Polygon>& polygons, double smoothAngleDegrees) {
    size_t edgeCount = 0;
    for (const Polygon& polygon : polygons) {
        edgeCount += polygon.outer.size();
        for (const Ring& hole : polygon.holes) edgeCount += hole.size();
    }
    std::vector<Vec3> corners;  // the welded corners
    VertexWeld weld(corners);
    weld.Reserve(edgeCount);
    std::unordered_map<uint64_t, int> sharedOfEnds;  // welded end points, smaller first, to a shared edge
    sharedOfEnds.reserve(edgeCount);
    edgeShared_.reserve(edgeCount);
    std::vector<EdgeRef> refs;  // per edge of every ring, in the order of edgeShared_
    refs.reserve(edgeCount);
    std::vector<Vec3> normals;
    ringStart_.resize(polygons.size());
    for (int p = 0; p < static_cast<int>(polygons.size()); ++p) {
        const Polygon& polygon = polygons[p];
        normals.push_back(Normalized(RingNormal(polygon.outer)));
        for (int r = 0; r <= static_cast<int>(polygon.holes.size()); ++r) {
            const Ring& ring = RingOf(polygon, r);
            ringStart_[p].push_back(static_cast<int>(edgeShared_.size()));
            for (int e = 0; e < static_cast<int>(ring.size()); ++e) {
                const int a = weld.IndexOf(ring[e]), b = weld.IndexOf(ring[(e + 1) % ring.size()]);
                const uint64_t ends = uint64_t(uint32_t(std::min(a, b))) << 32 | uint32_t(std::max(a, b));
                auto [it, added] = sharedOfEnds.emplace(ends, static_cast<int>(sharedOfEnds.size()));
                refs.push_back({p, r, e});
                edgeShared_.push_back(it->second);
            }
        }
    }
    // Users grouped by shared edge, each group in the order of the rings.
    const size_t sharedCount = sharedOfEnds.size();
    usersStart_.assign(sharedCount + 1, 0);
    for (int shared : edgeShared_) ++usersStart_[shared + 1];
    for (size_t s = 0; s < sharedCount; ++s) usersStart_[s + 1] += usersStart_[s];
    users_.resize(refs.size());
    std::vector<int> filled(usersStart_.begin(), usersStart_.end() - 1);
    for (size_t k = 0; k < refs.size(); ++k) users_[filled[edgeShared_[k]]++] = refs[k];

    smooth_.assign(sharedCount, false);
    const double cosSmooth = std::cos(smoothAngleDegrees * std::numbers::pi / 180.0);
    for (size_t s = 0; s < sharedCount; ++s) {
        const Users users = UsersOf(static_cast<int>(s));
        if (smoothAngleDegrees <= 0 || users.size() != 2) continue;
        if (users[0].polygon == users[1].polygon) continue;
        smooth_[s] = Dot(normals[users[0].polygon], normals[users[1].polygon]) > cosSmooth;
    }
}

int EdgeTable::SharedOf(const EdgeRef& ref) const {
    return edgeShared_[ringStart_.at(ref.polygon).at(ref.ring) + ref.edge];
}

EdgeTable::Users EdgeTable::UsersOf(int shared) const {
    return Users(users_).subspan(usersStart_[shared], usersStart_[shared + 1] - usersStart_[shared]);
}

bool EdgeTable::IsSmooth(const EdgeRef& ref) const { return smooth_[SharedOf(ref)]; }

bool EdgeTable::HasOpenEdge() const {
    for (size_t s = 0; s + 1 < usersStart_.size(); ++s) {
        if (usersStart_[s + 1] - usersStart_[s] == 1) return true;
    }
    return false;
}

bool EdgeTable::Draws(const EdgeRef& ref, const std::vector<bool>& present,
                      const std::vector<bool>& facesViewer) const {
    const int shared = SharedOf(ref);
    const Users users = UsersOf(shared);
    if (smooth_[shared] && facesViewer[users[0].polygon] == facesViewer[users[1].polygon]) return false;
    const EdgeRef* drawer = nullptr;
    for (const EdgeRef& user : users) {
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
