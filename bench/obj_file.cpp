#include "obj_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <numeric>
#include <stdexcept>
#include <tuple>

namespace bench {
namespace {

struct P2 {
    double x, y;
};

double Cross(P2 o, P2 a, P2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }
bool Same(P2 a, P2 b) { return a.x == b.x && a.y == b.y; }

// The face in its plane: 2-D points (outer contour counter-clockwise) and,
// for each 2-D point, its 3-D corner.
struct Flat {
    std::vector<P2> points;
    std::vector<TXYZ> corners;
    std::vector<std::vector<int>> rings;  // ring 0 the outer contour, then the holes

    double Area(const std::vector<int>& ring) const {
        double a = 0;
        for (size_t k = 0; k < ring.size(); ++k)
            a += Cross({0, 0}, points[ring[k]], points[ring[(k + 1) % ring.size()]]);
        return a / 2;
    }
};

Flat Flatten(const Face& face) {
    TXYZ n{0, 0, 0};
    const Contour& c = face.outer;
    for (size_t k = 0; k < c.size(); ++k) {
        const TXYZ& a = c[k];
        const TXYZ& b = c[(k + 1) % c.size()];
        n = {n.X + a.Y * b.Z - a.Z * b.Y, n.Y + a.Z * b.X - a.X * b.Z, n.Z + a.X * b.Y - a.Y * b.X};
    }
    // Drop the coordinate along which the normal is largest; mirror when the
    // outer contour then turns clockwise.
    const double ax = std::fabs(n.X), ay = std::fabs(n.Y), az = std::fabs(n.Z);
    const int drop = az >= ax && az >= ay ? 2 : (ay >= ax ? 1 : 0);
    const double sign = (drop == 0 ? n.X : drop == 1 ? n.Y : n.Z) < 0 ? -1 : 1;
    Flat flat;
    auto add = [&](const Contour& ring) {
        flat.rings.emplace_back();
        for (const TXYZ& p : ring) {
            const P2 q = drop == 2 ? P2{p.X, sign * p.Y} : drop == 1 ? P2{p.Z, sign * p.X} : P2{p.Y, sign * p.Z};
            flat.rings.back().push_back(static_cast<int>(flat.points.size()));
            flat.points.push_back(q);
            flat.corners.push_back(p);
        }
    };
    add(face.outer);
    for (const Contour& hole : face.holes) add(hole);
    if (flat.Area(flat.rings[0]) <= 0) throw std::runtime_error("a face's outer contour has no area");
    for (size_t r = 1; r < flat.rings.size(); ++r)
        if (flat.Area(flat.rings[r]) > 0) std::reverse(flat.rings[r].begin(), flat.rings[r].end());
    return flat;
}

// Whether segments ab and cd meet, touching included.
bool Meet(P2 a, P2 b, P2 c, P2 d) {
    const double d1 = Cross(a, b, c), d2 = Cross(a, b, d), d3 = Cross(c, d, a), d4 = Cross(c, d, b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    auto on = [](P2 p, P2 q, P2 r, double turn) {  // r on segment pq
        return turn == 0 && std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) && std::min(p.y, q.y) <= r.y &&
               r.y <= std::max(p.y, q.y);
    };
    return on(a, b, c, d1) || on(a, b, d, d2) || on(c, d, a, d3) || on(c, d, b, d4);
}

bool Inside(const std::vector<P2>& pts, const std::vector<int>& ring, P2 p) {
    bool in = false;
    for (size_t k = 0, j = ring.size() - 1; k < ring.size(); j = k++) {
        const P2 a = pts[ring[k]], b = pts[ring[j]];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

// Whether the bridge from point h to point c crosses no contour and runs
// inside the face.
bool Bridges(const Flat& f, const std::vector<int>& merged, const std::vector<std::vector<int>>& holes, int h, int c) {
    const P2 a = f.points[h], b = f.points[c];
    auto clear = [&](const std::vector<int>& ring) {
        for (size_t k = 0; k < ring.size(); ++k) {
            const P2 p = f.points[ring[k]], q = f.points[ring[(k + 1) % ring.size()]];
            if (Same(p, a) || Same(q, a) || Same(p, b) || Same(q, b)) continue;
            if (Meet(a, b, p, q)) return false;
        }
        return true;
    };
    if (!clear(merged)) return false;
    for (const auto& hole : holes)
        if (!clear(hole)) return false;
    const P2 mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    if (!Inside(f.points, merged, mid)) return false;
    for (const auto& hole : holes)
        if (Inside(f.points, hole, mid)) return false;
    return true;
}

// One contour that runs along the outer contour and, over a bridge and
// back, around every hole.
std::vector<int> Bridged(const Flat& f) {
    std::vector<int> merged = f.rings[0];
    std::vector<std::vector<int>> holes(f.rings.begin() + 1, f.rings.end());
    auto rightmost = [&](const std::vector<int>& ring) {
        return *std::max_element(ring.begin(), ring.end(), [&](int a, int b) { return f.points[a].x < f.points[b].x; });
    };
    std::sort(holes.begin(), holes.end(), [&](const auto& a, const auto& b) {
        return f.points[rightmost(a)].x > f.points[rightmost(b)].x;
    });
    while (!holes.empty()) {
        std::vector<int> hole = holes.front();
        holes.erase(holes.begin());
        const int h = rightmost(hole);
        std::vector<size_t> order(merged.size());
        std::iota(order.begin(), order.end(), 0);
        auto dist = [&](size_t k) {
            const P2 p = f.points[merged[k]], q = f.points[h];
            return (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y);
        };
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return dist(a) < dist(b); });
        holes.push_back(hole);  // the hole's own edges must not be crossed either
        auto found = std::find_if(order.begin(), order.end(),
                                  [&](size_t k) { return Bridges(f, merged, holes, h, merged[k]); });
        holes.pop_back();
        if (found == order.end()) throw std::runtime_error("no bridge to a hole of a face");
        std::rotate(hole.begin(), std::find(hole.begin(), hole.end(), h), hole.end());
        hole.push_back(h);
        hole.push_back(merged[*found]);
        merged.insert(merged.begin() + static_cast<long>(*found) + 1, hole.begin(), hole.end());
    }
    return merged;
}

bool InTriangle(P2 a, P2 b, P2 c, P2 p) { return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0; }

}  // namespace

std::vector<std::vector<TXYZ>> Triangulate(const Face& face) {
    const Flat f = Flatten(face);
    const std::vector<int> ring = Bridged(f);
    const size_t n = ring.size();
    std::vector<size_t> prev(n), next(n);
    for (size_t k = 0; k < n; ++k) {
        prev[k] = (k + n - 1) % n;
        next[k] = (k + 1) % n;
    }
    auto pt = [&](size_t k) { return f.points[ring[k]]; };
    auto isEar = [&](size_t k) {
        const P2 a = pt(prev[k]), b = pt(k), c = pt(next[k]);
        if (Cross(a, b, c) <= 0) return false;
        for (size_t j = next[next[k]]; j != prev[k]; j = next[j]) {
            const P2 p = pt(j);
            if (!Same(p, a) && !Same(p, b) && !Same(p, c) && InTriangle(a, b, c, p)) return false;
        }
        return true;
    };
    std::vector<std::vector<TXYZ>> triangles;
    size_t k = 0, left = n, tried = 0;
    while (left > 3) {
        if (isEar(k)) {
            triangles.push_back({f.corners[ring[prev[k]]], f.corners[ring[k]], f.corners[ring[next[k]]]});
            next[prev[k]] = next[k];
            prev[next[k]] = prev[k];
            k = prev[k];
            --left;
            tried = 0;
        } else {
            k = next[k];
            if (++tried > left) throw std::runtime_error("a face with holes could not be cut into triangles");
        }
    }
    triangles.push_back({f.corners[ring[prev[k]]], f.corners[ring[k]], f.corners[ring[next[k]]]});
    return triangles;
}

void WriteObjFile(const std::string& path, const Scene& scene) {
    std::ofstream out(path);
    out.precision(17);
    std::map<std::tuple<double, double, double>, int> index;
    auto polygon = [&](const std::vector<TXYZ>& corners) {
        std::vector<int> ids;
        for (const TXYZ& p : corners) {
            auto [it, added] = index.try_emplace({p.X, p.Y, p.Z}, static_cast<int>(index.size()) + 1);
            if (added) out << "v " << p.X << ' ' << p.Y << ' ' << p.Z << '\n';
            ids.push_back(it->second);
        }
        out << 'f';
        for (int id : ids) out << ' ' << id;
        out << '\n';
    };
    for (const Face& face : scene.faces) {
        if (face.holes.empty())
            polygon(face.outer);
        else
            for (const auto& triangle : Triangulate(face)) polygon(triangle);
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
