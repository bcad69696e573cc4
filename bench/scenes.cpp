#include "scenes.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace bench {
namespace {

constexpr double Pi = 3.14159265358979323846;

TXYZ Add(TXYZ a, TXYZ b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
TXYZ Sub(TXYZ a, TXYZ b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TXYZ Scale(TXYZ a, double s) { return {a.X * s, a.Y * s, a.Z * s}; }
double Dot(TXYZ a, TXYZ b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
TXYZ Cross(TXYZ a, TXYZ b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }

// Right-hand normal of a contour (Newell).
TXYZ Normal(const Contour& c) {
    TXYZ n{0, 0, 0};
    for (size_t k = 0; k < c.size(); ++k) n = Add(n, Cross(c[k], c[(k + 1) % c.size()]));
    return n;
}

TXYZ Centre(const Contour& c) {
    TXYZ s{0, 0, 0};
    for (const TXYZ& p : c) s = Add(s, p);
    return Scale(s, 1.0 / static_cast<double>(c.size()));
}

// Lists the contour so that its right-hand normal points away from `inside`.
Contour FacingAway(Contour c, TXYZ inside) {
    if (Dot(Normal(c), Sub(Centre(c), inside)) < 0) std::reverse(c.begin(), c.end());
    return c;
}

class Random {
public:
    explicit Random(uint64_t seed) : engine_(seed) {}
    double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(engine_); }

private:
    std::mt19937_64 engine_;
};

// A rotation matrix from a random unit quaternion (rows).
void RandomRotation(Random& rnd, double m[3][3]) {
    double q[4], len = 0;
    do {
        len = 0;
        for (double& v : q) {
            v = rnd.Uniform(-1, 1);
            len += v * v;
        }
    } while (len < 1e-3 || len > 1);
    for (double& v : q) v /= std::sqrt(len);
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}

// The six faces of a box with centre c, half sizes h, rotated by m.
void AddBox(Scene& s, TXYZ c, TXYZ h, const double m[3][3]) {
    auto corner = [&](int i, int j, int k) {
        const TXYZ l{(i ? h.X : -h.X), (j ? h.Y : -h.Y), (k ? h.Z : -h.Z)};
        return TXYZ{c.X + m[0][0] * l.X + m[0][1] * l.Y + m[0][2] * l.Z,
                    c.Y + m[1][0] * l.X + m[1][1] * l.Y + m[1][2] * l.Z,
                    c.Z + m[2][0] * l.X + m[2][1] * l.Y + m[2][2] * l.Z};
    };
    const int quads[6][4][3] = {{{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}},
                                {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
                                {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}};
    for (const auto& q : quads) {
        Contour f;
        for (const auto& v : q) f.push_back(corner(v[0], v[1], v[2]));
        s.faces.push_back({FacingAway(f, c), {}});
    }
}

// Boxes of 5..20 units on a field that grows with their number, so that the
// number of faces behind one another stays bounded.
Scene Boxes(int faces, uint64_t seed, bool rotated) {
    Scene s{rotated ? "rotated" : "boxes", {}};
    Random rnd(seed);
    const int count = std::max(1, faces / 6);
    const double side = std::sqrt(static_cast<double>(count)) * 30.0;
    for (int b = 0; b < count; ++b) {
        double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        if (rotated) RandomRotation(rnd, m);
        const TXYZ c{rnd.Uniform(0, side), rnd.Uniform(0, side), rnd.Uniform(0, 20)};
        const TXYZ h{rnd.Uniform(2.5, 10), rnd.Uniform(2.5, 10), rnd.Uniform(2.5, 10)};
        AddBox(s, c, h, m);
    }
    return s;
}

// A height field z = f(x) + g(y), so that every quad is planar.
Scene Terrain(int faces, uint64_t seed) {
    Scene s{"terrain", {}};
    Random rnd(seed);
    const int m = std::max(1, static_cast<int>(std::lround(std::sqrt(static_cast<double>(faces)))));
    double phase[4];
    for (double& p : phase) p = rnd.Uniform(0, 2 * Pi);
    const double cell = 10.0;
    auto f = [&](int i) { return 40 * std::sin(i * 0.21 + phase[0]) + 12 * std::sin(i * 0.57 + phase[1]); };
    auto g = [&](int j) { return 40 * std::sin(j * 0.23 + phase[2]) + 12 * std::sin(j * 0.49 + phase[3]); };
    auto p = [&](int i, int j) { return TXYZ{i * cell, j * cell, f(i) + g(j)}; };
    for (int j = 0; j < m; ++j)
        for (int i = 0; i < m; ++i) {
            Contour q{p(i, j), p(i + 1, j), p(i + 1, j + 1), p(i, j + 1)};
            s.faces.push_back({FacingAway(q, Sub(Centre(q), TXYZ{0, 0, 100})), {}});
        }
    return s;
}

// A faceted sphere: rings of planar trapezoids, triangles at the poles.
Scene Sphere(int faces, uint64_t seed) {
    Scene s{"sphere", {}};
    Random rnd(seed);
    const int rings = std::max(2, static_cast<int>(std::lround(std::sqrt(faces / 2.0))));
    const int segments = 2 * rings;
    const double radius = 5.0 * segments;
    const double twist = rnd.Uniform(0, 2 * Pi / segments);
    auto p = [&](int r, int k) {
        const double theta = Pi * r / rings, phi = 2 * Pi * k / segments + twist;
        return TXYZ{radius * std::sin(theta) * std::cos(phi), radius * std::sin(theta) * std::sin(phi),
                    radius * std::cos(theta)};
    };
    const TXYZ centre{0, 0, 0};
    for (int r = 0; r < rings; ++r)
        for (int k = 0; k < segments; ++k) {
            Contour f;
            if (r == 0)
                f = {p(0, 0), p(1, k), p(1, k + 1)};
            else if (r == rings - 1)
                f = {p(r, k), p(rings, 0), p(r, k + 1)};
            else
                f = {p(r, k), p(r + 1, k), p(r + 1, k + 1), p(r, k + 1)};
            s.faces.push_back({FacingAway(f, centre), {}});
        }
    return s;
}

// Buildings on a jittered grid: a polygonal footprint extruded to a random
// height, half of them with a courtyard (a hole in the roof and inner walls).
Scene City(int faces, uint64_t seed) {
    Scene s{"city", {}};
    Random rnd(seed);
    const int perRow = std::max(1, static_cast<int>(std::sqrt(faces / 10.0)));
    for (int b = 0; static_cast<int>(s.faces.size()) < faces; ++b) {
        const TXYZ c{(b % perRow) * 60.0 + rnd.Uniform(-5, 5), (b / perRow) * 60.0 + rnd.Uniform(-5, 5), 0};
        const int corners = 4 + static_cast<int>(rnd.Uniform(0, 4.99));
        const double r = rnd.Uniform(14, 24), height = rnd.Uniform(10, 80);
        const bool courtyard = rnd.Uniform(0, 1) < 0.5;
        Contour ground, yard;
        for (int k = 0; k < corners; ++k) {
            const double a = 2 * Pi * (k + rnd.Uniform(-0.2, 0.2)) / corners;
            ground.push_back({c.X + r * std::cos(a), c.Y + r * std::sin(a), 0});
            yard.push_back({c.X + 0.45 * r * std::cos(a), c.Y + 0.45 * r * std::sin(a), 0});
        }
        auto lifted = [&](const Contour& base) {
            Contour top = base;
            for (TXYZ& p : top) p.Z = height;
            return top;
        };
        const TXYZ inside{c.X, c.Y, height / 2};
        Face roof{FacingAway(lifted(ground), Sub(inside, TXYZ{0, 0, height})), {}};
        if (courtyard) {
            Contour hole = lifted(yard);
            if (Dot(Normal(hole), Normal(roof.outer)) > 0) std::reverse(hole.begin(), hole.end());
            roof.holes.push_back(hole);
        }
        s.faces.push_back(roof);
        for (int k = 0; k < corners; ++k) {
            const int n = (k + 1) % corners;
            Contour wall{ground[k], ground[n], {ground[n].X, ground[n].Y, height}, {ground[k].X, ground[k].Y, height}};
            s.faces.push_back({FacingAway(wall, inside), {}});
            if (courtyard) {
                Contour inner{yard[k], yard[n], {yard[n].X, yard[n].Y, height}, {yard[k].X, yard[k].Y, height}};
                // Inner walls face the courtyard: away from a point outside the yard ring.
                const TXYZ mid = Centre(inner);
                s.faces.push_back({FacingAway(inner, Add(inside, Scale(Sub(mid, inside), 2.0))), {}});
            }
        }
    }
    return s;
}

// A height field of triangles, two per unit square, on a noisy surface.
Scene Heightfield(int faces, uint64_t seed) {
    Scene s{"heightfield", {}};
    Random rnd(seed);
    const int m = std::max(1, static_cast<int>(std::lround(std::sqrt(faces / 2.0))));
    std::vector<double> z(static_cast<size_t>(m + 1) * (m + 1));
    for (int j = 0; j <= m; ++j)
        for (int i = 0; i <= m; ++i)
            z[static_cast<size_t>(j) * (m + 1) + i] =
                0.15 * m * std::sin(i * 0.11) * std::cos(j * 0.13) + rnd.Uniform(-0.4, 0.4);
    auto p = [&](int i, int j) { return TXYZ{double(i), double(j), z[static_cast<size_t>(j) * (m + 1) + i]}; };
    const TXYZ down{0, 0, -1};
    for (int j = 0; j < m; ++j)
        for (int i = 0; i < m; ++i) {
            Contour a{p(i, j), p(i + 1, j), p(i + 1, j + 1)}, b{p(i, j), p(i + 1, j + 1), p(i, j + 1)};
            s.faces.push_back({FacingAway(a, Add(Centre(a), down)), {}});
            s.faces.push_back({FacingAway(b, Add(Centre(b), down)), {}});
        }
    return s;
}

// A city of separate axis-aligned boxes of one unit's footprint and random
// height on a square grid.
Scene Blocks(int faces, uint64_t seed) {
    Scene s{"blocks", {}};
    Random rnd(seed);
    const int m = std::max(1, static_cast<int>(std::lround(std::sqrt(faces / 6.0))));
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int j = 0; j < m; ++j)
        for (int i = 0; i < m; ++i) {
            const double h = rnd.Uniform(0.5, 4);
            AddBox(s, TXYZ{i * 1.6, j * 1.6, h / 2}, TXYZ{0.5, 0.5, h / 2}, identity);
        }
    return s;
}

// Randomly rotated boxes crowded into the cube [-1, 1]^3: many overlaps at
// any count.
Scene Overlap(int faces, uint64_t seed) {
    Scene s{"overlap", {}};
    Random rnd(seed);
    const int count = std::max(1, faces / 6);
    for (int b = 0; b < count; ++b) {
        double m[3][3];
        RandomRotation(rnd, m);
        const TXYZ c{rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-1, 1)};
        const TXYZ h{rnd.Uniform(0.01, 0.05), rnd.Uniform(0.01, 0.05), rnd.Uniform(0.01, 0.05)};
        AddBox(s, c, h, m);
    }
    return s;
}

// Flanges: a thick ring with a bore and a circle of 24 bolt holes, every
// cylinder faceted, the two ring faces each one planar face with 25 holes
// of many points. Flanges of at most about 7,000 faces are laid side by side.
Scene Flange(int faces, uint64_t seed) {
    Scene s{"flange", {}};
    Random rnd(seed);
    const int holes = 24;
    const int facets = std::clamp(faces / (holes + 2), 8, 256);
    const int count = std::max(1, (faces + (holes + 2) * facets / 2) / ((holes + 2) * facets + 2));
    const int perRow = std::max(1, static_cast<int>(std::ceil(std::sqrt(count))));
    const double outer = 100, bore = 40, bolt = 6, circle = 72, thick = 20;
    auto ring = [&](TXYZ c, double r, double z, double turn) {
        Contour ringPoints;
        for (int k = 0; k < facets; ++k) {
            const double a = 2 * Pi * (k + turn) / facets;
            ringPoints.push_back({c.X + r * std::cos(a), c.Y + r * std::sin(a), z});
        }
        return ringPoints;
    };
    for (int f = 0; f < count; ++f) {
        const TXYZ c{(f % perRow) * 230.0, (f / perRow) * 230.0, 0};
        const double turn = rnd.Uniform(0, 1);
        std::vector<std::pair<TXYZ, double>> circles{{c, bore}};
        for (int h = 0; h < holes; ++h) {
            const double a = 2 * Pi * h / holes;
            circles.push_back({TXYZ{c.X + circle * std::cos(a), c.Y + circle * std::sin(a), 0}, bolt});
        }
        for (double z : {0.0, thick}) {
            const TXYZ outside{c.X, c.Y, z == 0 ? 1e6 : -1e6};
            Face face{FacingAway(ring(c, outer, z, turn), outside), {}};
            for (const auto& [centre, r] : circles) {
                Contour hole = ring(centre, r, z, turn);
                if (Dot(Normal(hole), Normal(face.outer)) > 0) std::reverse(hole.begin(), hole.end());
                face.holes.push_back(hole);
            }
            s.faces.push_back(face);
        }
        // Cylinder walls: the rim faces outwards, the bore and the bolt holes inwards.
        auto walls = [&](TXYZ centre, double r, bool outwards) {
            const Contour lo = ring(centre, r, 0, turn), hi = ring(centre, r, thick, turn);
            for (int k = 0; k < facets; ++k) {
                const int n = (k + 1) % facets;
                Contour q{lo[k], lo[n], hi[n], hi[k]};
                const TXYZ mid = Centre(q);
                const TXYZ axis{centre.X, centre.Y, mid.Z};
                s.faces.push_back({FacingAway(q, outwards ? axis : Add(axis, Scale(Sub(mid, axis), 2.0))), {}});
            }
        };
        walls(c, outer, true);
        for (const auto& [centre, r] : circles) walls(centre, r, false);
    }
    return s;
}

}  // namespace

const std::vector<std::string>& SceneKinds() {
    static const std::vector<std::string> kinds = {"boxes", "rotated", "terrain", "sphere", "city",
                                                   "heightfield", "blocks", "overlap", "flange"};
    return kinds;
}

Scene MakeScene(const std::string& kind, int faces, uint64_t seed) {
    if (kind == "boxes") return Boxes(faces, seed, false);
    if (kind == "rotated") return Boxes(faces, seed, true);
    if (kind == "terrain") return Terrain(faces, seed);
    if (kind == "sphere") return Sphere(faces, seed);
    if (kind == "city") return City(faces, seed);
    if (kind == "heightfield") return Heightfield(faces, seed);
    if (kind == "blocks") return Blocks(faces, seed);
    if (kind == "overlap") return Overlap(faces, seed);
    if (kind == "flange") return Flange(faces, seed);
    throw std::invalid_argument("unknown scene kind: " + kind);
}

void ScaleScene(Scene& scene, double factor) {
    auto scale = [factor](Contour& c) {
        for (TXYZ& p : c) p = Scale(p, factor);
    };
    for (Face& f : scene.faces) {
        scale(f.outer);
        for (Contour& h : f.holes) scale(h);
    }
}

int ContourCount(const Scene& scene) {
    size_t n = 0;
    for (const Face& f : scene.faces) n += 1 + f.holes.size();
    return static_cast<int>(n);
}

}  // namespace bench
