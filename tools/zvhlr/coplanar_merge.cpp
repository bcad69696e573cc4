#include "coplanar_merge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <map>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <utility>

#include "plane_frame.h"
#include "plane_snap.h"

namespace zv::tool {

namespace {

// A planar face of the mesh with its plane.
struct Facet {
    std::vector<int> loop;
    Vec3 normal;  // unit
    Vec3 origin;  // a point of the plane
    int group = 0;
    double area2 = 0;       // twice the area
    double normalError = 0;  // how far (radians) rounded corners may have turned the normal
};

using Edge = std::pair<int, int>;  // directed: from, to

Ring RingOf(const std::vector<Vec3>& vertices, const std::vector<int>& loop) {
    Ring ring;
    for (int v : loop) ring.push_back(vertices[v]);
    return ring;
}

// How far a corner may lie off a plane with this normal when each of its
// coordinates is off by up to halfStep (half a float's step, say).
double CornerError(Vec3 normal, double halfStep) {
    return halfStep * (std::fabs(normal.x) + std::fabs(normal.y) + std::fabs(normal.z));
}

// The facet of a loop; corners may be off by coordinateError (rounding), which
// turns the normal by up to about that error over the facet's height.
std::optional<Facet> FacetOf(const Mesh& mesh, const std::vector<int>& loop, int group, double minArea2,
                             double coordinateError = 0) {
    const Ring ring = RingOf(mesh.vertices, loop);
    Vec3 n = RingNormal(ring);
    const double area2 = Length(n);
    if (!(area2 > minArea2)) return std::nullopt;
    double longest = 0;
    for (size_t k = 0; k < ring.size(); ++k) longest = std::max(longest, Length(ring[(k + 1) % ring.size()] - ring[k]));
    const double error = std::min(4 * coordinateError * longest / area2, 0.5);
    return Facet{loop, Normalized(n), ring[0], group, area2, error};
}

bool IsPlanar(const Mesh& mesh, const Facet& facet, double tolerance) {
    for (int v : facet.loop) {
        if (std::fabs(Dot(mesh.vertices[v] - facet.origin, facet.normal)) > tolerance) return false;
    }
    return true;
}

// The planar facets of the mesh: degenerate faces dropped, warped ones fanned.
std::vector<Facet> FacetsOf(const Mesh& mesh, double distance, double minArea2, double coordinateError) {
    std::vector<Facet> facets;
    for (const MeshFace& face : mesh.faces) {
        std::optional<Facet> facet = FacetOf(mesh, face.loop, face.group, minArea2, coordinateError);
        if (facet && IsPlanar(mesh, *facet, distance)) {
            facets.push_back(std::move(*facet));
            continue;
        }
        for (size_t k = 1; k + 1 < face.loop.size(); ++k) {
            std::vector<int> triangle{face.loop[0], face.loop[k], face.loop[k + 1]};
            if (auto part = FacetOf(mesh, triangle, face.group, minArea2, coordinateError)) {
                facets.push_back(std::move(*part));
            }
        }
    }
    return facets;
}

std::vector<Edge> EdgesOf(const std::vector<int>& loop) {
    std::vector<Edge> edges;
    for (size_t k = 0; k < loop.size(); ++k) edges.push_back({loop[k], loop[(k + 1) % loop.size()]});
    return edges;
}

// Across every edge of every facet, the facet that runs the same edge
// backwards when exactly these two facets use it; -1 otherwise.  Facet f's
// edge k (from corner k to corner k + 1) is entry start[f] + k.
struct Neighbours {
    std::vector<int> start;
    std::vector<int> across;
};

Neighbours NeighboursOf(const std::vector<Facet>& facets) {
    struct Use {
        uint64_t key;  // the end corners, smaller first
        int entry, facet;
        Edge edge;
    };
    Neighbours n;
    std::vector<Use> uses;
    n.start.push_back(0);
    for (size_t f = 0; f < facets.size(); ++f) {
        const std::vector<int>& loop = facets[f].loop;
        for (size_t k = 0; k < loop.size(); ++k) {
            const Edge e{loop[k], loop[(k + 1) % loop.size()]};
            const uint64_t key = uint64_t(uint32_t(std::min(e.first, e.second))) << 32 | uint32_t(std::max(e.first, e.second));
            uses.push_back({key, static_cast<int>(uses.size()), static_cast<int>(f), e});
        }
        n.start.push_back(static_cast<int>(uses.size()));
    }
    n.across.assign(uses.size(), -1);
    std::sort(uses.begin(), uses.end(), [](const Use& a, const Use& b) { return a.key < b.key || (a.key == b.key && a.entry < b.entry); });
    for (size_t i = 0; i < uses.size();) {
        size_t j = i;
        while (j < uses.size() && uses[j].key == uses[i].key) ++j;
        if (j - i == 2) {
            const Use &a = uses[i], &b = uses[i + 1];
            if (a.edge.first == b.edge.second && a.edge.second == b.edge.first) {
                n.across[a.entry] = b.facet;
                n.across[b.entry] = a.facet;
            }
        }
        i = j;
    }
    return n;
}

class Merger {
public:
    Merger(const Mesh& mesh, MergeTolerance tolerance) : mesh_(mesh) {
        const Box box = BoundsOf(mesh);
        const double diagonal = box.Diagonal();
        // Models come as float32 (STL) or printed decimals: far from the origin
        // their corners are rounded by a float's step there, whatever the size.
        const double far = std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z),
                                     std::fabs(box.max.x), std::fabs(box.max.y), std::fabs(box.max.z)});
        const double coordinateError = std::max(far * 0x1p-23, tolerance.rounding);
        // A float's step is a power of two; a corner is off by half of it at most.
        halfStep_ = coordinateError > 0 ? std::exp2(std::floor(std::log2(coordinateError)) - 1) : 0;
        relativeDistance_ = std::max(tolerance.relativeDistance * diagonal, 1e-12);
        distance_ = std::max(relativeDistance_, coordinateError);
        // Corners are moved onto the merged planes only where rounding, not
        // the model's own precision, sets the tolerance: far from the origin.
        snap_ = coordinateError > tolerance.relativeDistance * diagonal;
        minArea2_ = 1e-12 * diagonal * diagonal;
        angle_ = tolerance.angleDegrees * std::numbers::pi / 180.0;
        facets_ = FacetsOf(mesh, distance_, minArea2_, coordinateError);
        neighbours_ = NeighboursOf(facets_);
    }

    // Regions grow from the largest facets first: their planes are the least
    // disturbed by rounded corners.
    std::vector<Polygon> Run() {
        std::vector<int> order(facets_.size());
        for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
        std::stable_sort(order.begin(), order.end(),
                         [this](int a, int b) { return facets_[a].area2 > facets_[b].area2; });
        std::vector<std::vector<int>> clusters;
        std::vector<bool> taken(facets_.size(), false);
        for (int seed : order) {
            if (!taken[seed]) clusters.push_back(GrowCluster(seed, taken));
        }
        const std::vector<bool> walls = DoubleWalls(clusters);
        corners_ = snap_ ? SnapToPlanes(mesh_.vertices, PlanesOf(clusters, walls), 2 * distance_) : mesh_.vertices;
        std::vector<Polygon> polygons;
        for (size_t c = 0; c < clusters.size(); ++c) {
            if (!walls[c]) AppendClusterPolygons(clusters[c], polygons);
        }
        return polygons;
    }

private:
    // A plane that one or more regions share: their corners, the sum of
    // their facets' normals weighted by area, and how far rounding may have
    // turned it (spread over area: the corners' error over the width).
    struct SharedPlane {
        std::vector<int> corners;
        Vec3 normalSum;
        double area2 = 0, spread = 0;
        int into = -1;  // the plane this one was joined to
    };

    SharedPlane PlaneOfRegion(const std::vector<int>& cluster) const {
        SharedPlane plane{KeyOf(cluster).corners, {}, 0, 0, -1};
        for (int f : cluster) {
            plane.normalSum = plane.normalSum + facets_[f].normal * facets_[f].area2;
            plane.area2 += facets_[f].area2;
            plane.spread = std::max(plane.spread, facets_[f].normalError * facets_[f].area2);
        }
        return plane;
    }

    bool SamePlane(const SharedPlane& a, const SharedPlane& b, int corner) const {
        const Vec3 na = Normalized(a.normalSum), nb = Normalized(b.normalSum);
        if (std::fabs(Dot(na, nb)) < std::cos(std::min(angle_ + (a.spread / a.area2) + (b.spread / b.area2), 0.5))) return false;
        for (int v : b.corners) {
            if (std::fabs(Dot(mesh_.vertices[v] - mesh_.vertices[corner], na)) > distance_) return false;
        }
        return true;
    }

    static int Root(std::vector<SharedPlane>& planes, int p) {
        while (planes[p].into >= 0) p = planes[p].into;
        return p;
    }

    // The planes of the regions that may come out warped: every region but
    // single triangles, which stay flat wherever their corners go; where the
    // planes at a corner disagree, the larger faces win.  Regions
    // in one plane that meet at a corner (facing either way: where more than
    // two faces share an edge, so they were not merged) share one plane, so
    // that neither is bent towards the other's rounding.
    std::vector<CornerPlane> PlanesOf(const std::vector<std::vector<int>>& clusters,
                                      const std::vector<bool>& walls) const {
        std::vector<SharedPlane> shared;
        std::map<int, std::vector<int>> planesAt;
        for (size_t c = 0; c < clusters.size(); ++c) {
            SharedPlane plane = PlaneOfRegion(clusters[c]);
            if (walls[c] || plane.corners.size() <= 3) continue;
            for (int v : plane.corners) planesAt[v].push_back(static_cast<int>(shared.size()));
            shared.push_back(std::move(plane));
        }
        for (const auto& [corner, here] : planesAt) {
            for (size_t i = 1; i < here.size(); ++i) {
                const int a = Root(shared, here[0]), b = Root(shared, here[i]);
                if (a == b || !SamePlane(shared[a], shared[b], corner)) continue;
                SharedPlane& into = shared[a];
                into.corners.insert(into.corners.end(), shared[b].corners.begin(), shared[b].corners.end());
                const double side = Dot(into.normalSum, shared[b].normalSum) < 0 ? -1 : 1;  // back to back
                into.normalSum = into.normalSum + shared[b].normalSum * side;
                into.spread = std::max(into.spread, shared[b].spread);
                into.area2 += shared[b].area2;
                shared[b].into = a;
            }
        }
        std::vector<CornerPlane> planes;
        for (SharedPlane& plane : shared) {
            const Vec3 normal = plane.into < 0 ? Normalized(plane.normalSum) : Vec3{};
            if (Length(normal) == 0) continue;
            planes.push_back(FittedPlane(mesh_.vertices, std::move(plane.corners), normal, plane.area2));
        }
        return planes;
    }

    struct CornersHash {
        size_t operator()(const std::vector<int>& corners) const {
            uint64_t h = corners.size();
            for (int v : corners) h = (h ^ uint32_t(v)) * 0x9E3779B97F4A7C15ull;
            return static_cast<size_t>(h ^ (h >> 29));
        }
    };

    // The corners and the area of a region, to recognise its twin.
    struct RegionKey {
        std::vector<int> corners;  // sorted, each once
        double area2 = 0;
    };

    RegionKey KeyOf(const std::vector<int>& cluster) const {
        RegionKey key;
        for (int f : cluster) {
            key.corners.insert(key.corners.end(), facets_[f].loop.begin(), facets_[f].loop.end());
            key.area2 += facets_[f].area2;
        }
        std::sort(key.corners.begin(), key.corners.end());
        key.corners.erase(std::unique(key.corners.begin(), key.corners.end()), key.corners.end());
        return key;
    }

    // Regions that another region covers back to back: the same corners, the
    // same area, opposite normals.  Such a wall of no thickness is what a
    // union of touching solids leaves where rounding kept their faces apart;
    // it lies inside the material, and its edges would draw seams that the
    // same joint shows nowhere else.  Both regions of a pair are marked.
    std::vector<bool> DoubleWalls(const std::vector<std::vector<int>>& clusters) const {
        // Regions are paired only with regions of the same corners, in the
        // order of the regions, so the order of the groups does not matter.
        std::unordered_map<std::vector<int>, std::vector<size_t>, CornersHash> byCorners;
        std::vector<RegionKey> keys;
        for (size_t c = 0; c < clusters.size(); ++c) {
            keys.push_back(KeyOf(clusters[c]));
            byCorners[keys.back().corners].push_back(c);
        }
        std::vector<bool> wall(clusters.size(), false);
        for (const auto& [corners, regions] : byCorners) {
            for (size_t i = 0; i < regions.size(); ++i) {
                for (size_t j = i + 1; j < regions.size(); ++j) {
                    const size_t a = regions[i], b = regions[j];
                    if (wall[a] || wall[b] || !BackToBack(clusters[a], keys[a], clusters[b], keys[b])) continue;
                    wall[a] = wall[b] = true;
                }
            }
        }
        return wall;
    }

    bool BackToBack(const std::vector<int>& a, const RegionKey& keyA, const std::vector<int>& b,
                    const RegionKey& keyB) const {
        const Facet &fa = facets_[a[0]], &fb = facets_[b[0]];
        const double angle = std::min(angle_ + fa.normalError + fb.normalError, 0.5);
        return fa.group == fb.group && Dot(fa.normal, fb.normal) < -std::cos(angle) &&
               std::fabs(keyA.area2 - keyB.area2) <= 1e-3 * std::max(keyA.area2, keyB.area2);
    }

    // The plane a region grows in, fitted to its facets so far: their normals
    // and centres weighted by area.  Its tilt error combines the facets'
    // normal errors as independent estimates (inverse squares added), so the
    // plane of a large region is better known than any of its thin facets.
    struct GrowingPlane {
        Vec3 normalSum, centreSum;
        double area2 = 0, inverseSquares = 0;
        Vec3 normal, origin;
        double tilt = 0, cornerError = 0;
        int facets = 0;

        void Add(const Facet& facet, Vec3 centre, double halfStep) {
            normalSum = normalSum + facet.normal * facet.area2;
            centreSum = centreSum + centre * facet.area2;
            area2 += facet.area2;
            ++facets;
            inverseSquares += 1 / std::max(facet.normalError * facet.normalError, 1e-300);
            normal = Normalized(normalSum);
            origin = centreSum * (1 / area2);
            tilt = 1 / std::sqrt(inverseSquares);
            cornerError = CornerError(normal, halfStep);
        }

        // How far a corner of a facet in this plane may lie off it: its own
        // rounding, plus the plane's error at the corner (the rounding of
        // the corners it was fitted to, and what its tilt error makes over
        // the corner's distance, up to as much again), which shrinks as the
        // roundings of more facets average out.  Never less than the
        // model's relative tolerance.
        double Allowed(Vec3 offset, double along, double relative) const {
            const double across = Length(offset - normal * along);
            const double planeError = (cornerError + std::min(tilt * across, cornerError)) / std::sqrt(double(facets));
            return std::max(relative, cornerError + planeError);
        }
    };

    Vec3 CentreOf(const Facet& facet) const {
        Vec3 sum;
        for (int v : facet.loop) sum = sum + mesh_.vertices[v];
        return sum * (1.0 / double(facet.loop.size()));
    }

    // The neighbour across an edge (an entry of neighbours_), when it may
    // join the region growing in plane.
    std::optional<int> MergeableNeighbour(const GrowingPlane& plane, int group, int edge) const {
        const int other = neighbours_.across[edge];
        if (other < 0) return std::nullopt;  // an open edge, more than two faces, or inconsistent winding
        const Facet& facet = facets_[other];
        const double angle = std::min(angle_ + plane.tilt + facet.normalError, 0.5);
        if (facet.group != group || Dot(facet.normal, plane.normal) < std::cos(angle)) return std::nullopt;
        for (int v : facet.loop) {
            const Vec3 offset = mesh_.vertices[v] - plane.origin;
            const double along = Dot(offset, plane.normal);
            if (std::fabs(along) > plane.Allowed(offset, along, relativeDistance_)) return std::nullopt;
        }
        return other;
    }

    std::vector<int> GrowCluster(int seed, std::vector<bool>& taken) const {
        std::vector<int> cluster{seed};
        std::deque<int> queue{seed};
        taken[seed] = true;
        // In the model's own precision a region keeps its seed's plane;
        // where rounding sets the tolerance, the plane is fitted anew to every
        // facet that joins, as a thin seed's plane is poorly known far away.
        GrowingPlane plane;
        plane.Add(facets_[seed], CentreOf(facets_[seed]), halfStep_);
        while (!queue.empty()) {
            int f = queue.front();
            queue.pop_front();
            for (int edge = neighbours_.start[f]; edge < neighbours_.start[f + 1]; ++edge) {
                std::optional<int> next = MergeableNeighbour(plane, facets_[seed].group, edge);
                if (next && !taken[*next]) {
                    taken[*next] = true;
                    cluster.push_back(*next);
                    queue.push_back(*next);
                    if (snap_) plane.Add(facets_[*next], CentreOf(facets_[*next]), halfStep_);
                }
            }
        }
        return cluster;
    }

    // Directed edges of the cluster that no other facet of it runs backwards.
    std::multimap<int, int> BoundaryOf(const std::vector<int>& cluster) const {
        std::map<Edge, int> count;
        for (int f : cluster) {
            for (Edge e : EdgesOf(facets_[f].loop)) {
                auto reverse = count.find({e.second, e.first});
                if (reverse != count.end() && reverse->second > 0) {
                    --reverse->second;
                } else {
                    ++count[e];
                }
            }
        }
        std::multimap<int, int> boundary;
        for (auto [edge, n] : count) {
            for (int k = 0; k < n; ++k) boundary.insert({edge.first, edge.second});
        }
        return boundary;
    }

    // Of the boundary edges leaving vertex at, the one turning most to the left
    // after arriving from `from`; the edge is removed from the set.
    int TakeNext(std::multimap<int, int>& boundary, int from, int at, const PlaneFrame& frame) const {
        auto [first, last] = boundary.equal_range(at);
        Point2 a = frame.Map(mesh_.vertices[from]), b = frame.Map(mesh_.vertices[at]);
        auto best = first;
        double bestTurn = -10;
        for (auto it = first; it != last; ++it) {
            Point2 c = frame.Map(mesh_.vertices[it->second]);
            double inX = b.x - a.x, inY = b.y - a.y, outX = c.x - b.x, outY = c.y - b.y;
            double turn = std::atan2(inX * outY - inY * outX, inX * outX + inY * outY);
            if (turn > bestTurn) bestTurn = turn, best = it;
        }
        int next = best->second;
        boundary.erase(best);
        return next;
    }

    // The closed loops of the boundary, or nothing when it does not close.
    std::optional<std::vector<std::vector<int>>> TraceLoops(std::multimap<int, int> boundary,
                                                            const PlaneFrame& frame) const {
        std::vector<std::vector<int>> loops;
        while (!boundary.empty()) {
            auto start = boundary.begin();
            std::vector<int> loop{start->first};
            int previous = start->first, current = start->second;
            boundary.erase(start);
            while (current != loop[0]) {
                if (boundary.count(current) == 0 || loop.size() > mesh_.vertices.size()) return std::nullopt;
                loop.push_back(current);
                int next = TakeNext(boundary, previous, current, frame);
                previous = current;
                current = next;
            }
            loops.push_back(std::move(loop));
        }
        return loops;
    }

    std::vector<Point2> Map(const std::vector<int>& loop, const PlaneFrame& frame) const {
        std::vector<Point2> points;
        for (int v : loop) points.push_back(frame.Map(mesh_.vertices[v]));
        return points;
    }

    // The polygons of the loops: counter-clockwise loops are outer contours,
    // clockwise ones holes of the smallest outer contour around them.
    std::optional<std::vector<Polygon>> Assemble(const std::vector<std::vector<int>>& loops, const PlaneFrame& frame,
                                                 int group) const {
        struct Outer {
            std::vector<Point2> flat;
            double area;
            Polygon polygon;
        };
        std::vector<Outer> outers;
        std::vector<const std::vector<int>*> holes;
        for (const auto& loop : loops) {
            double area = SignedArea2(Map(loop, frame));
            if (area > minArea2_) {
                outers.push_back({Map(loop, frame), area, Polygon{RingOf(corners_, loop), {}, group}});
            } else if (area < -minArea2_) {
                holes.push_back(&loop);
            }
        }
        for (const auto* hole : holes) {
            Outer* owner = nullptr;
            for (Outer& outer : outers) {
                bool inside = false;
                for (Point2 p : Map(*hole, frame)) inside = inside || Contains(outer.flat, p);
                if (inside && (!owner || outer.area < owner->area)) owner = &outer;
            }
            if (!owner) return std::nullopt;
            owner->polygon.holes.push_back(RingOf(corners_, *hole));
        }
        std::vector<Polygon> polygons;
        for (Outer& outer : outers) polygons.push_back(std::move(outer.polygon));
        return polygons;
    }

    void AppendClusterPolygons(const std::vector<int>& cluster, std::vector<Polygon>& out) const {
        const Facet& seed = facets_[cluster[0]];
        if (cluster.size() > 1) {
            PlaneFrame frame(seed.origin, seed.normal);
            auto loops = TraceLoops(BoundaryOf(cluster), frame);
            auto polygons = loops ? Assemble(*loops, frame, seed.group) : std::nullopt;
            if (polygons) {
                for (Polygon& p : *polygons) out.push_back(std::move(p));
                return;
            }
        }
        // A single facet, or a region whose boundary could not be traced: the facets as they are.
        for (int f : cluster) out.push_back({RingOf(corners_, facets_[f].loop), {}, facets_[f].group});
    }

    const Mesh& mesh_;
    std::vector<Vec3> corners_;  // the mesh's vertices moved onto the planes of the regions
    double distance_ = 0, relativeDistance_ = 0, halfStep_ = 0, minArea2_ = 0, angle_ = 0;
    bool snap_ = false;
    std::vector<Facet> facets_;
    Neighbours neighbours_;
};

}  // namespace

std::vector<Polygon> MergeCoplanarFaces(const Mesh& mesh, MergeTolerance tolerance) {
    return Merger(mesh, tolerance).Run();
}

std::vector<Polygon> FacesAsPolygons(const Mesh& mesh) {
    double diagonal = BoundsOf(mesh).Diagonal();
    std::vector<Polygon> polygons;
    for (const MeshFace& face : mesh.faces) {
        if (FacetOf(mesh, face.loop, face.group, 1e-12 * diagonal * diagonal)) {
            polygons.push_back({RingOf(mesh.vertices, face.loop), {}, face.group});
        }
    }
    return polygons;
}

}  // namespace zv::tool
