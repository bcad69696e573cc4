// Random scenes of planar polygon groups checked against brute force: every
// edge is sampled, and a sample is hidden when its own group faces away, or
// when its projection lies in the area of another front-facing group whose
// plane lies between the sample and the viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "hidden/test_host.h"

namespace zvtest {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSlab = 4.0;          // depth spacing of the groups along the view direction
constexpr double kMaxRadius = 2.8;     // a group's extent around its centre
constexpr double kMaxSlope = 0.6;      // tilt of a group's plane: |slope| * radius < kSlab / 2
constexpr int kSamplesPerEdge = 12;
constexpr double kToggleMargin = 1e-3;  // parameter distance to a toggle below which a sample is not judged

// A small deterministic generator (splitmix64), the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * ((Next() >> 11) * 0x1.0p-53); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(double p) { return Uniform(0, 1) < p; }

private:
    uint64_t state_;
};

using Ring = std::vector<std::pair<double, double>>;

// Star-shaped ring around (cx, cy): n vertices at jittered angles, radii in
// [rlo, rhi]; counter-clockwise, or clockwise with clockwise set.
Ring StarRing(Random& rnd, double cx, double cy, int n, double rlo, double rhi, bool clockwise) {
    Ring ring;
    double phase = rnd.Uniform(0, 2 * kPi);
    for (int k = 0; k < n; ++k) {
        double angle = phase + 2 * kPi * (k + rnd.Uniform(-0.3, 0.3)) / n;
        double r = rnd.Uniform(rlo, rhi);
        ring.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    if (clockwise) std::reverse(ring.begin(), ring.end());
    return ring;
}

// The footprint of one group in the view's screen axes: outer ring and holes.
// With at least six vertices and gaps below 96 degrees, a star of radii in
// [0.6 R, R] contains the disc of radius 0.4 R, where the holes are put.
struct Footprint {
    Ring outer;
    std::vector<Ring> holes;
};

Footprint RandomFootprint(Random& rnd) {
    Footprint fp;
    double R = rnd.Uniform(1.0, kMaxRadius);
    int kind = rnd.Int(0, 3);  // 0 convex, 1 non-convex, 2 one hole, 3 two holes
    if (kind == 0) {
        fp.outer = StarRing(rnd, 0, 0, rnd.Int(3, 8), R, R, false);
    } else if (kind == 1) {
        fp.outer = StarRing(rnd, 0, 0, rnd.Int(5, 12), 0.35 * R, R, false);
    } else {
        bool convex = rnd.Chance(0.4);
        fp.outer = StarRing(rnd, 0, 0, rnd.Int(6, 12), convex ? R : 0.6 * R, R, false);
        if (kind == 2) {
            double a = rnd.Uniform(0, 2 * kPi), d = rnd.Uniform(0, 0.1 * R);
            fp.holes.push_back(StarRing(rnd, d * std::cos(a), d * std::sin(a), rnd.Int(3, 6), 0.2 * R, 0.25 * R, true));
        } else {
            double a = rnd.Uniform(0, 2 * kPi);
            for (double side : {-1.0, 1.0})
                fp.holes.push_back(StarRing(rnd, side * 0.2 * R * std::cos(a), side * 0.2 * R * std::sin(a),
                                            rnd.Int(3, 5), 0.12 * R, 0.15 * R, true));
        }
    }
    // A random linear stretch and rotation keeps containment and convexity.
    double e = rnd.Uniform(0.6, 1.0), rot = rnd.Uniform(0, 2 * kPi);
    auto stretch = [&](Ring& ring) {
        for (auto& [x, y] : ring) {
            double sx = x, sy = y * e;
            x = sx * std::cos(rot) - sy * std::sin(rot);
            y = sx * std::sin(rot) + sy * std::cos(rot);
        }
    };
    stretch(fp.outer);
    for (Ring& h : fp.holes) stretch(h);
    return fp;
}

struct Scene {
    View view;
    std::vector<Group> groups;
    double margin = 1e-6;  // 2-D distance to another outline below which brute force is ambiguous
};

Vec3 RandomDirection(Random& rnd) {
    for (;;) {
        Vec3 d{rnd.Uniform(-1, 1), rnd.Uniform(-1, 1), rnd.Uniform(-1, 1)};
        double l = Length(d);
        if (l > 0.2 && l <= 1) return d * (1 / l);
    }
}

// Families of scenes. Real models are not generic: outlines touch, share
// stretches and nearly touch (shared silhouettes, T-junctions), coordinates
// come rounded to float32, and parts of very different sizes meet.
enum class Family { Generic, Touching, Float32, MixedScale };

using Point2 = std::pair<double, double>;

// Offsets of a snapped vertex from the point it is snapped to, across the tolerance.
constexpr double kSnapOffsets[] = {0, 1e-9, 1e-7, 3e-6, 8e-6, 2e-5, 1e-4};

// Moves vertices of one group's rings onto (or within a few tolerances of)
// another group's vertices and edges, in the picture plane: vertex on vertex,
// vertex on edge, or two vertices along an edge (a shared stretch).
void SnapRings(Random& rnd, std::vector<std::vector<Ring*>>& rings) {
    const int snaps = rnd.Int(1, 4);
    for (int n = 0; n < snaps; ++n) {
        const int g1 = rnd.Int(0, static_cast<int>(rings.size()) - 1);
        int g2 = rnd.Int(0, static_cast<int>(rings.size()) - 2);
        if (g2 >= g1) ++g2;
        Ring& target = *rings[g1][rnd.Int(0, static_cast<int>(rings[g1].size()) - 1)];
        Ring& moved = *rings[g2][rnd.Int(0, static_cast<int>(rings[g2].size()) - 1)];
        const int e = rnd.Int(0, static_cast<int>(target.size()) - 1);
        const Point2 p = target[e], q = target[(e + 1) % target.size()];
        const double len = std::hypot(q.first - p.first, q.second - p.second);
        const double nx = -(q.second - p.second) / len, ny = (q.first - p.first) / len;
        const double offset = kSnapOffsets[rnd.Int(0, 6)] * (rnd.Chance(0.5) ? 1 : -1);
        auto onEdge = [&](double u) {
            return Point2{p.first + (q.first - p.first) * u + nx * offset, p.second + (q.second - p.second) * u + ny * offset};
        };
        const int v = rnd.Int(0, static_cast<int>(moved.size()) - 1);
        switch (rnd.Int(0, 2)) {
            case 0: moved[v] = onEdge(0); break;
            case 1: moved[v] = onEdge(rnd.Uniform(0.1, 0.9)); break;
            default: {
                const double u = rnd.Uniform(0.1, 0.5);
                moved[v] = onEdge(u);
                moved[(v + 1) % moved.size()] = onEdge(u + rnd.Uniform(0.1, 0.4));
            }
        }
    }
}

// Groups in disjoint depth slabs along the view direction (in random list
// order), each tilted within its slab, overlapping in the picture.
Scene RandomScene(uint64_t seed, Family family = Family::Generic) {
    Random rnd(seed);
    Scene scene;
    Vec3 toward = RandomDirection(rnd);
    bool mirrored = rnd.Chance(0.5);
    View frame = View::Parallel(toward);
    int n = rnd.Int(2, 6);
    std::vector<int> slab(n);
    for (int g = 0; g < n; ++g) slab[g] = g;
    for (int g = n - 1; g > 0; --g) std::swap(slab[g], slab[rnd.Int(0, g)]);
    // Footprints in the picture plane's (right, up) coordinates.
    std::vector<Footprint> prints(n);
    std::vector<std::array<double, 3>> planes(n);  // slope along x, along y, depth
    std::vector<bool> away(n);
    for (int g = 0; g < n; ++g) {
        Footprint fp = RandomFootprint(rnd);
        double size = family == Family::MixedScale ? std::pow(10.0, rnd.Int(-2, 3)) : 1.0;
        double cx = rnd.Uniform(-2.5, 2.5), cy = rnd.Uniform(-2.5, 2.5);
        double slope = rnd.Uniform(0, kMaxSlope) / std::max(size, 1.0), dir = rnd.Uniform(0, 2 * kPi);
        for (Ring* ring : [&] {
                 std::vector<Ring*> all{&fp.outer};
                 for (Ring& h : fp.holes) all.push_back(&h);
                 return all;
             }())
            for (auto& [x, y] : *ring) x = cx + size * x, y = cy + size * y;
        planes[g] = {slope * std::cos(dir), slope * std::sin(dir), kSlab * slab[g]};
        // The plane passes through the footprint's centre at the slab's depth.
        planes[g][2] -= planes[g][0] * cx + planes[g][1] * cy;
        away[g] = rnd.Chance(0.15);
        prints[g] = fp;
    }
    if (family == Family::Touching) {
        std::vector<std::vector<Ring*>> rings(n);
        for (int g = 0; g < n; ++g) {
            rings[g].push_back(&prints[g].outer);
            for (Ring& h : prints[g].holes) rings[g].push_back(&h);
        }
        SnapRings(rnd, rings);
    }
    for (int g = 0; g < n; ++g) {
        auto lift = [&](const Ring& ring) {
            Contour c;
            for (auto [x, y] : ring) {
                Vec3 p = frame.right * x + frame.up * y + frame.toward * (planes[g][2] + planes[g][0] * x + planes[g][1] * y);
                if (family == Family::Float32)
                    p = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
                c.push_back(p);
            }
            if (away[g]) std::reverse(c.begin(), c.end());
            return c;
        };
        Group group{lift(prints[g].outer), {}};
        for (const Ring& h : prints[g].holes) group.holes.push_back(lift(h));
        scene.groups.push_back(group);
    }
    // Near a snapped vertex brute force cannot tell the sides apart.
    if (family != Family::Generic) scene.margin = 1e-4;
    // Snapped vertices lie on each other in a parallel picture only.
    if (family != Family::Touching && rnd.Chance(0.3)) {
        Vec3 eye = toward * (kSlab * n + rnd.Uniform(15, 40));
        scene.view = View::Perspective(eye, {0, 0, 0}, Length(eye), mirrored);
    } else {
        scene.view = View::Parallel(toward, mirrored);
    }
    return scene;
}

std::string Describe(const Scene& s) {
    std::ostringstream o;
    o.precision(17);
    const View& v = s.view;
    o << (v.perspective ? "perspective eye " : "parallel toward ");
    Vec3 d = v.perspective ? v.eye : v.toward;
    o << "{" << d.x << ", " << d.y << ", " << d.z << "}" << (v.mirrored ? " mirrored" : "");
    if (v.perspective) o << " focal " << v.focal;
    o << " scale " << v.scale << "\n";
    auto contour = [&](const Contour& c) {
        o << "  {";
        for (const Vec3& p : c) o << "{" << p.x << ", " << p.y << ", " << p.z << "}, ";
        o << "}\n";
    };
    for (size_t g = 0; g < s.groups.size(); ++g) {
        o << " group " << g << ":\n";
        contour(s.groups[g].outer);
        for (const Contour& h : s.groups[g].holes) contour(h);
    }
    return o.str();
}

// ------------------------------------------------------------------ brute force

struct Occluder {
    std::vector<TXY> outer;
    std::vector<std::vector<TXY>> holes;
    Vec3 origin, normal;
    bool front = false;
};

std::vector<TXY> Projected(const View& v, const Contour& c) {
    std::vector<TXY> o;
    for (const Vec3& p : c) o.push_back(v.Project(p));
    return o;
}

Vec3 Newell(const Contour& c) {
    Vec3 n;
    for (size_t k = 0; k < c.size(); ++k) n = n + Cross(c[(k + c.size() - 1) % c.size()], c[k]);
    return n;
}

std::vector<Occluder> Occluders(const Scene& s) {
    std::vector<Occluder> occ;
    for (const Group& g : s.groups) {
        Occluder o;
        o.outer = Projected(s.view, g.outer);
        for (const Contour& h : g.holes) o.holes.push_back(Projected(s.view, h));
        o.origin = g.outer[0];
        o.normal = Normalized(Newell(g.outer));
        double area = SignedArea2(o.outer);
        o.front = std::fabs(area) > 1e-5 && (area > 0) == s.view.FrontPositive();
        occ.push_back(o);
    }
    return occ;
}

enum class Truth { Visible, Hidden, Ambiguous };

Truth BruteForce(const Scene& s, const std::vector<Occluder>& occ, int ownGroup, Vec3 p) {
    if (!occ[ownGroup].front) return Truth::Hidden;
    TXY q = s.view.Project(p);
    bool ambiguous = false;
    for (size_t g = 0; g < occ.size(); ++g) {
        const Occluder& o = occ[g];
        if (static_cast<int>(g) == ownGroup || !o.front) continue;
        double boundary = DistanceToOutline(o.outer, q);
        bool inside = InsideOutline(o.outer, q);
        for (const auto& h : o.holes) {
            boundary = std::min(boundary, DistanceToOutline(h, q));
            if (InsideOutline(h, q)) inside = false;
        }
        if (boundary < s.margin) {
            ambiguous = true;
            continue;
        }
        if (!inside) continue;
        // Where does the ray from p towards the viewer meet the occluder's plane?
        Vec3 dir = s.view.RayToViewer(p);
        double lambda = Dot(o.normal, o.origin - p) / Dot(o.normal, dir);
        if (lambda > 0 && (!s.view.perspective || lambda < 1)) return Truth::Hidden;
    }
    return ambiguous ? Truth::Ambiguous : Truth::Visible;
}

// ------------------------------------------------------------------ checks

struct Tally {
    long samples = 0, checked = 0, agreed = 0, hidden = 0, nearToggle = 0, ambiguous = 0;
    int failingScenes = 0;
    double slowest = 0;
};

// Well-formed result arrays: matching counts, a mask of +-1 and ascending,
// non-negative toggles within the outline, an even number of toggles.
void CheckArrays(const Scene& s, const std::vector<ItemResult>& items, const std::string& label) {
    for (size_t i = 0; i < items.size(); ++i) {
        const ItemResult& it = items[i];
        SCOPED_TRACE(label + " item " + std::to_string(i));
        ASSERT_EQ(it.outline.size(), it.points3d.size());
        ASSERT_FALSE(it.mask.empty());
        EXPECT_TRUE(it.mask[0] == 1.0 || it.mask[0] == -1.0) << it.mask[0];
        EXPECT_EQ(it.mask.size() % 2, 1u) << "odd number of toggles";
        for (size_t k = 1; k < it.mask.size(); ++k) {
            EXPECT_GE(it.mask[k], 0.0);
            EXPECT_LE(it.mask[k], it.outline.size() - 1.0);
            if (k > 1) {
                EXPECT_GE(it.mask[k], it.mask[k - 1]);
            }
        }
        for (size_t k = 0; k < it.outline.size(); ++k) {
            TXY q = s.view.Project(ToVec(it.points3d[k]));
            EXPECT_NEAR(it.outline[k].X, q.X, 1e-9);
            EXPECT_NEAR(it.outline[k].Y, q.Y, 1e-9);
        }
    }
}

// Compares the engine with brute force on one scene; returns the disagreements.
std::vector<std::string> CompareScene(const Scene& s, const std::vector<ItemResult>& items, Tally& tally) {
    std::vector<std::string> bad;
    auto occ = Occluders(s);
    for (size_t i = 0; i < items.size(); ++i) {
        const ItemResult& it = items[i];
        for (size_t k = 0; k + 1 < it.points3d.size(); ++k) {
            Vec3 a = ToVec(it.points3d[k]), b = ToVec(it.points3d[k + 1]);
            for (int j = 0; j < kSamplesPerEdge; ++j) {
                double f = (j + 0.5) / kSamplesPerEdge, t = k + f;
                ++tally.samples;
                if (DistanceToToggle(it.mask, t) < kToggleMargin) {
                    ++tally.nearToggle;
                    continue;
                }
                Truth truth = BruteForce(s, occ, it.group, s.view.Interpolate(a, b, f));
                if (truth == Truth::Ambiguous) {
                    ++tally.ambiguous;
                    continue;
                }
                ++tally.checked;
                tally.hidden += truth == Truth::Hidden;
                bool engine = VisibleAt(it.mask, t);
                if (engine == (truth == Truth::Visible)) {
                    ++tally.agreed;
                } else if (bad.size() < 6) {
                    std::ostringstream o;
                    o << "item " << i << " (group " << it.group << (it.hole ? ", hole" : "") << ") at " << t
                      << ": engine " << (engine ? "visible" : "hidden") << ", brute force "
                      << (engine ? "hidden" : "visible") << "; mask " << ::testing::PrintToString(it.mask);
                    bad.push_back(o.str());
                }
            }
        }
    }
    return bad;
}

// Runs `count` random scenes with the host's picture scaled by `scale` and
// compares each with brute force; failing scenes are shrunk and reported.
Tally RunOracle(int count, double scale, std::vector<std::string>& failures, Family family = Family::Generic) {
    Tally tally;
    for (int n = 0; n < count; ++n) {
        Scene scene = RandomScene(0x5EED0000u + 0x100000u * static_cast<unsigned>(family) + n, family);
        scene.view.scale = scale;
        std::string label = "scene " + std::to_string(n);
        TestHost host(scene.view);
        double seconds;
        {
            Watchdog dog(30, label);
            seconds = host.Load(scene.groups);
        }
        tally.slowest = std::max(tally.slowest, seconds);
        EXPECT_LT(seconds, 1.0) << label << " is slow";
        auto items = host.Results();
        CheckArrays(scene, items, label);
        auto bad = CompareScene(scene, items, tally);
        if (bad.empty()) continue;
        ++tally.failingScenes;
        if (failures.size() >= 5) continue;
        std::ostringstream o;
        o << label << " disagrees:\n";
        for (const auto& b : bad) o << "  " << b << "\n";
        o << "scene:\n" << Describe(scene);
        failures.push_back(o.str());
    }
    std::printf("[ oracle   ] scale %g: %d scenes, %ld samples, %ld judged (%ld hidden), %ld agree (%.4f%%), %ld near toggles, "
                "%ld ambiguous, %d scenes disagree, slowest calculation %.4f s\n",
                scale, count, tally.samples, tally.checked, tally.hidden, tally.agreed,
                tally.checked ? 100.0 * tally.agreed / tally.checked : 100.0, tally.nearToggle, tally.ambiguous,
                tally.failingScenes, tally.slowest);
    return tally;
}

TEST(HiddenOracle, RandomScenesAgreeWithBruteForce) {
    std::vector<std::string> failures;
    Tally tally = RunOracle(1000, 1.0, failures);
    for (const auto& f : failures) ADD_FAILURE() << f;
    EXPECT_GT(tally.checked, 400000);
    EXPECT_EQ(tally.agreed, tally.checked);
}

// A picture a hundred times larger changes nothing.
TEST(HiddenOracle, LargePictureAgreesWithBruteForce) {
    std::vector<std::string> failures;
    Tally tally = RunOracle(300, 100.0, failures);
    for (const auto& f : failures) ADD_FAILURE() << f;
    EXPECT_EQ(tally.agreed, tally.checked);
}

// A picture a tenth of the size (outlines about 0.5 units across): the side
// of a crossing near a vertex must not depend on the picture's scale.
TEST(HiddenOracle, SmallPictureAgreesWithBruteForce) {
    std::vector<std::string> failures;
    Tally tally = RunOracle(1000, 0.1, failures);
    for (const auto& f : failures) ADD_FAILURE() << f;
    EXPECT_EQ(tally.agreed, tally.checked);
}

// Outlines that touch, share stretches or nearly touch across the tolerance.
TEST(HiddenOracle, TouchingScenesAgreeWithBruteForce) {
    std::vector<std::string> failures;
    Tally tally = RunOracle(2000, 1.0, failures, Family::Touching);
    for (const auto& f : failures) ADD_FAILURE() << f;
    EXPECT_EQ(tally.agreed, tally.checked);
}

TEST(HiddenOracle, Float32AndMixedScaleScenesAgreeWithBruteForce) {
    for (Family family : {Family::Float32, Family::MixedScale}) {
        std::vector<std::string> failures;
        Tally tally = RunOracle(500, 1.0, failures, family);
        for (const auto& f : failures) ADD_FAILURE() << f;
        EXPECT_EQ(tally.agreed, tally.checked);
    }
}

}  // namespace
}  // namespace zvtest
