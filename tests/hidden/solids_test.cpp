// Closed solids, degenerate placements and the classic two-face cases, run
// through the C interface by a test host and checked against visibility that is
// worked out independently (by hand, or by casting a ray from each edge sample
// towards the viewer).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>

#include "hidden/test_host.h"

namespace zvtest {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTimeLimit = 1.0;  // seconds for one calculation of a few dozen items

Contour Reversed(Contour c) {
    std::reverse(c.begin(), c.end());
    return c;
}

// Axis-parallel rectangle at height z, counter-clockwise seen from +z.
Contour Rect(double x0, double y0, double x1, double y1, double z) {
    return {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
}

Vec3 NewellNormal(const Contour& c) {
    Vec3 n;
    for (size_t k = 0; k < c.size(); ++k) n = n + Cross(c[(k + c.size() - 1) % c.size()], c[k]);
    return n;
}

// The faces of a prism over a 2-D outline (counter-clockwise) with holes
// (clockwise), from z0 to z1; every face counter-clockwise seen from outside.
std::vector<Group> Extrude(const std::vector<std::pair<double, double>>& outer,
                           const std::vector<std::vector<std::pair<double, double>>>& holes, double z0, double z1) {
    auto at = [](const std::vector<std::pair<double, double>>& ring, double z) {
        Contour c;
        for (auto [x, y] : ring) c.push_back({x, y, z});
        return c;
    };
    std::vector<Group> faces;
    Group top{at(outer, z1), {}}, bottom{Reversed(at(outer, z0)), {}};
    for (const auto& h : holes) {
        top.holes.push_back(at(h, z1));
        bottom.holes.push_back(Reversed(at(h, z0)));
    }
    faces.push_back(top);
    faces.push_back(bottom);
    auto sides = [&](const std::vector<std::pair<double, double>>& ring) {
        for (size_t k = 0; k < ring.size(); ++k) {
            auto [px, py] = ring[k];
            auto [qx, qy] = ring[(k + 1) % ring.size()];
            faces.push_back({{{px, py, z0}, {qx, qy, z0}, {qx, qy, z1}, {px, py, z1}}, {}});
        }
    };
    sides(outer);
    for (const auto& h : holes) sides(h);
    return faces;
}

std::vector<Group> Box(Vec3 lo, Vec3 hi) {
    auto faces = Extrude({{lo.x, lo.y}, {hi.x, lo.y}, {hi.x, hi.y}, {lo.x, hi.y}}, {}, lo.z, hi.z);
    return faces;
}

// A UV sphere: triangles at the poles, quads elsewhere, all facing outwards.
std::vector<Group> UvSphere(double r, int rings, int segments) {
    auto vertex = [&](int i, int j) {
        double th = kPi * i / rings, ph = 2 * kPi * j / segments;
        return Vec3{r * std::sin(th) * std::cos(ph), r * std::sin(th) * std::sin(ph), r * std::cos(th)};
    };
    std::vector<Group> faces;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            Contour c;
            if (i == 0)
                c = {vertex(0, 0), vertex(1, j), vertex(1, j + 1)};
            else if (i == rings - 1)
                c = {vertex(i, j), vertex(rings, 0), vertex(i, j + 1)};
            else
                c = {vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j + 1)};
            Vec3 centre;
            for (const Vec3& p : c) centre = centre + p * (1.0 / c.size());
            if (Dot(NewellNormal(c), centre) < 0) c = Reversed(c);
            faces.push_back({c, {}});
        }
    }
    return faces;
}

std::vector<TXY> ProjectContour(const View& v, const Contour& c) {
    std::vector<TXY> o;
    for (const Vec3& p : c) o.push_back(v.Project(p));
    return o;
}

bool FacesViewer(const View& v, const Group& g) {
    Vec3 n = NewellNormal(g.outer);
    Vec3 centre;
    for (const Vec3& p : g.outer) centre = centre + p * (1.0 / g.outer.size());
    Vec3 ray = v.RayToViewer(centre);
    return Dot(n, ray) > 1e-9 * Length(n) * Length(ray);
}

// Casts the ray from s towards the viewer against every front face that does
// not contain s.  Returns 1 for blocked, 0 for free, -1 when it grazes an outline.
int RayBlocked(const View& v, const std::vector<Group>& faces, Vec3 s) {
    bool ambiguous = false;
    for (const Group& f : faces) {
        if (!FacesViewer(v, f)) continue;
        Vec3 n = Normalized(NewellNormal(f.outer));
        Vec3 o = f.outer[0];
        if (std::fabs(Dot(n, s - o)) < 1e-7) continue;
        Vec3 dir = v.RayToViewer(s);
        double denom = Dot(n, dir);
        if (std::fabs(denom) < 1e-12) continue;
        double lambda = Dot(n, o - s) / denom;
        if (lambda <= 1e-9 || (v.perspective && lambda >= 1.0)) continue;
        TXY h = v.Project(s + dir * lambda);
        auto outer = ProjectContour(v, f.outer);
        double boundary = DistanceToOutline(outer, h);
        bool inside = InsideOutline(outer, h);
        for (const Contour& hc : f.holes) {
            auto hole = ProjectContour(v, hc);
            boundary = std::min(boundary, DistanceToOutline(hole, h));
            if (InsideOutline(hole, h)) inside = false;
        }
        if (boundary < 1e-6)
            ambiguous = true;
        else if (inside)
            return 1;
    }
    return ambiguous ? -1 : 0;
}

struct EdgeUse {
    int item;
    int segment;
    bool reversed;
};

struct SolidReport {
    int checked = 0;
    int agreed = 0;
    int excluded = 0;
    double engineLength = 0;  // visible 2-D length drawn by the engine (union over faces)
    double oracleLength = 0;  // the same measured by ray casting
    std::vector<std::string> disagreements;
};

using EdgeKey = std::pair<std::array<long long, 3>, std::array<long long, 3>>;

std::array<long long, 3> Grid(const TXYZ& p) {
    return {std::llround(p.X * 1e7), std::llround(p.Y * 1e7), std::llround(p.Z * 1e7)};
}

double UnionLength(std::vector<std::pair<double, double>> spans) {
    std::sort(spans.begin(), spans.end());
    double total = 0, lo = 0, hi = -1;
    for (auto [a, b] : spans) {
        if (a > hi) {
            if (hi > lo) total += hi - lo;
            lo = a;
            hi = b;
        } else {
            hi = std::max(hi, b);
        }
    }
    if (hi > lo) total += hi - lo;
    return total;
}

// Compares, for every distinct 3-D edge of the solid, the engine's drawing
// (an edge is drawn visible where any face that has it shows it visible) with
// the ray cast, at samples along the projected edge.
SolidReport CheckSolid(const TestHost& host, const std::vector<Group>& faces, int samples = 64) {
    const View& v = host.GetView();
    auto items = host.Results();
    std::map<EdgeKey, std::vector<EdgeUse>> edges;
    std::map<EdgeKey, std::pair<Vec3, Vec3>> ends;
    for (size_t i = 0; i < items.size(); ++i) {
        const auto& pts = items[i].points3d;
        for (size_t k = 0; k + 1 < pts.size(); ++k) {
            auto a = Grid(pts[k]), b = Grid(pts[k + 1]);
            bool reversed = b < a;
            EdgeKey key = reversed ? EdgeKey{b, a} : EdgeKey{a, b};
            edges[key].push_back({static_cast<int>(i), static_cast<int>(k), reversed});
            ends[key] = reversed ? std::pair{ToVec(pts[k + 1]), ToVec(pts[k])} : std::pair{ToVec(pts[k]), ToVec(pts[k + 1])};
        }
    }
    SolidReport report;
    for (const auto& [key, uses] : edges) {
        auto [a, b] = ends[key];
        TXY pa = v.Project(a), pb = v.Project(b);
        double len = std::hypot(pb.X - pa.X, pb.Y - pa.Y);
        if (len < 1e-9) continue;
        std::vector<std::pair<double, double>> spans;
        bool anyFront = false;
        for (const EdgeUse& u : uses) {
            anyFront = anyFront || FacesViewer(v, faces[items[u.item].group]);
            for (auto [s0, s1] : VisibleSpans(items[u.item].mask, u.segment))
                spans.push_back(u.reversed ? std::pair{1 - s1, 1 - s0} : std::pair{s0, s1});
        }
        report.engineLength += UnionLength(spans) * len;
        int oracleVisible = 0;
        for (int j = 0; j < samples; ++j) {
            double f = (j + 0.5) / samples;
            int blocked = anyFront ? RayBlocked(v, faces, v.Interpolate(a, b, f)) : 1;
            bool truth = blocked == 0;
            oracleVisible += blocked != 1;  // an edge along an occluder's outline is drawn
            bool engine = false, nearToggle = false;
            for (const EdgeUse& u : uses) {
                double t = u.segment + (u.reversed ? 1 - f : f);
                engine = engine || VisibleAt(items[u.item].mask, t);
                nearToggle = nearToggle || DistanceToToggle(items[u.item].mask, t) < 1e-3;
            }
            if (blocked < 0 || nearToggle) {
                ++report.excluded;
                continue;
            }
            ++report.checked;
            if (engine == truth) {
                ++report.agreed;
            } else if (report.disagreements.size() < 8) {
                std::ostringstream s;
                s << "edge (" << a.x << "," << a.y << "," << a.z << ")-(" << b.x << "," << b.y << "," << b.z
                  << ") at " << f << ": engine " << (engine ? "visible" : "hidden") << ", ray "
                  << (truth ? "visible" : "hidden");
                report.disagreements.push_back(s.str());
            }
        }
        report.oracleLength += len * oracleVisible / samples;
    }
    return report;
}

// Returns how many faces are partly hidden (their mask has toggles).
int ExpectSolidMatches(const View& view, const std::vector<Group>& faces, const std::string& label) {
    SCOPED_TRACE(label);
    TestHost host(view);
    double seconds;
    {
        Watchdog dog(30, label);
        seconds = host.Load(faces);
    }
    EXPECT_LT(seconds, kTimeLimit);
    SolidReport r = CheckSolid(host, faces);
    EXPECT_GT(r.checked, 0);
    EXPECT_EQ(r.agreed, r.checked);
    for (const auto& d : r.disagreements) ADD_FAILURE() << d;
    EXPECT_NEAR(r.engineLength, r.oracleLength, 0.02 * r.oracleLength + 1e-9);
    int partial = 0;
    for (const auto& it : host.Results()) partial += it.mask.size() > 1;
    return partial;
}

// ------------------------------------------------------------------ solids

TEST(HiddenSolids, BoxShowsExactlyTheEdgesOfItsFrontFaces) {
    const auto box = Box({0, 0, 0}, {2, 3, 4});
    for (Vec3 dir : {Vec3{1, 1, 1}, Vec3{1, 2, 3}, Vec3{-2, 1, 0.5}, Vec3{0.3, -1, 0.2}, Vec3{-1, -1, -1}}) {
        for (bool mirrored : {false, true}) {
            View view = View::Parallel(dir, mirrored);
            std::ostringstream label;
            label << "box view " << dir.x << "," << dir.y << "," << dir.z << (mirrored ? " mirrored" : "");
            SCOPED_TRACE(label.str());
            TestHost host(view);
            EXPECT_LT(host.Load(box), kTimeLimit);
            auto items = host.Results();
            ASSERT_EQ(items.size(), 6u);
            // Front faces stay whole, back faces are hidden whole.
            double expected = 0;
            std::map<EdgeKey, bool> seen;
            for (size_t i = 0; i < items.size(); ++i) {
                bool front = FacesViewer(view, box[i]);
                ASSERT_EQ(items[i].mask.size(), 1u);
                EXPECT_EQ(items[i].mask[0], front ? 1.0 : -1.0) << "face " << i;
                if (!front) continue;
                const auto& o = items[i].outline;
                for (size_t k = 0; k + 1 < o.size(); ++k) {
                    auto a = Grid(items[i].points3d[k]), b = Grid(items[i].points3d[k + 1]);
                    EdgeKey key = b < a ? EdgeKey{b, a} : EdgeKey{a, b};
                    if (seen[key]) continue;
                    seen[key] = true;
                    expected += std::hypot(o[k + 1].X - o[k].X, o[k + 1].Y - o[k].Y);
                }
            }
            EXPECT_EQ(seen.size(), 9u);  // three faces: six silhouette edges and three inner ones
            SolidReport r = CheckSolid(host, box);
            EXPECT_NEAR(r.engineLength, expected, 1e-9 * expected);
            EXPECT_EQ(r.agreed, r.checked);
        }
    }
}

TEST(HiddenSolids, BoxInPerspectiveShowsTheFacesTurnedToTheEye) {
    const auto box = Box({-1, -1, -1}, {1, 2, 1.5});
    for (Vec3 eye : {Vec3{6, 5, 7}, Vec3{0.2, 0.3, 9}, Vec3{-8, 1, 2}}) {
        View view = View::Perspective(eye, {0, 0, 0}, 2.0);
        ExpectSolidMatches(view, box, "perspective box");
    }
}

TEST(HiddenSolids, BoxSeenFaceOnDrawsOnlyTheFrontSquare) {
    // The four side faces are seen edge-on and the back face coincides with
    // the front one in the picture: only the front square remains.
    const auto box = Box({0, 0, 0}, {2, 3, 4});
    View view = View::Parallel({0, 0, 1});
    TestHost host(view);
    EXPECT_LT(host.Load(box), kTimeLimit);
    auto items = host.Results();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].mask, std::vector<double>{1.0});  // top face, z = 4
    for (size_t i = 1; i < items.size(); ++i) EXPECT_EQ(items[i].mask, std::vector<double>{-1.0}) << "face " << i;
    SolidReport r = CheckSolid(host, box);
    EXPECT_NEAR(r.engineLength, 10.0, 1e-9);
    EXPECT_NEAR(r.oracleLength, 10.0, 1e-9);
}

TEST(HiddenSolids, BoxSeenAlongAFaceDiagonalHasTwoFacesEdgeOn) {
    const auto box = Box({0, 0, 0}, {2, 2, 3});
    View view = View::Parallel({1, 1, 0});
    TestHost host(view);
    EXPECT_LT(host.Load(box), kTimeLimit);
    auto items = host.Results();
    EXPECT_EQ(items[0].mask, std::vector<double>{-1.0});  // top, edge-on
    EXPECT_EQ(items[1].mask, std::vector<double>{-1.0});  // bottom, edge-on
    SolidReport r = CheckSolid(host, box);
    // Visible: the two front faces, each sqrt(2) wide and 3 high, sharing one vertical edge.
    double w = std::sqrt(2.0);
    EXPECT_NEAR(r.engineLength, 3 * 3 + 4 * w, 1e-9);
    EXPECT_EQ(r.agreed, r.checked);
}

TEST(HiddenSolids, PrismWithThroughHole) {
    const auto prism = Extrude({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{{1, 1}, {1, 3}, {3, 3}, {3, 1}}}, 0, 3);
    ASSERT_EQ(prism.size(), 10u);
    // Seen at a slant, the front face hides part of the inner faces of the hole.
    EXPECT_GT(ExpectSolidMatches(View::Parallel({0.3, 0.4, 1}), prism, "hole prism, steep view"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Parallel({1, 1, 1}), prism, "hole prism, iso view"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Parallel({-1, 0.5, 2}, true), prism, "hole prism, mirrored"), 0);
    ExpectSolidMatches(View::Parallel({0, 0, 1}), prism, "hole prism, face-on");
    ExpectSolidMatches(View::Perspective({2, 2, 12}, {2, 2, 0}, 3.0), prism, "hole prism, eye above the hole");
    ExpectSolidMatches(View::Perspective({2.5, 1.5, 9}, {2, 2, 0}, 3.0), prism, "hole prism, eye off-centre");
}

TEST(HiddenSolids, LShapedPrismHidesPartOfItself) {
    const auto l = Extrude({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}}, {}, 0, 2);
    ExpectSolidMatches(View::Parallel({1, 1, 0.4}), l, "L prism, low view");
    ExpectSolidMatches(View::Parallel({1, 1, 1}), l, "L prism, iso view");
    // From these sides one arm stands in front of the other.
    EXPECT_GT(ExpectSolidMatches(View::Parallel({1, -0.3, 0.3}), l, "L prism, along the x arm"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Parallel({-0.3, 1, 0.3}, true), l, "L prism, along the y arm"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Perspective({9, -2, 3}, {1, 1, 1}, 2.0), l, "L prism, perspective"), 0);
}

TEST(HiddenSolids, BoxBehindAnotherBox) {
    auto faces = Box({0, 0, 0}, {2, 2, 2});
    auto back = Box({1, 1, -4}, {3.5, 3, -1.5});
    faces.insert(faces.end(), back.begin(), back.end());
    EXPECT_GT(ExpectSolidMatches(View::Parallel({0.2, 0.3, 1}), faces, "two boxes, front view"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Parallel({-0.5, -0.4, 1}), faces, "two boxes, other side"), 0);
    EXPECT_GT(ExpectSolidMatches(View::Perspective({0, 0, 10}, {1.5, 1.5, -1}, 2.0), faces, "two boxes, perspective"), 0);
}

TEST(HiddenSolids, UvSphere) {
    const auto sphere = UvSphere(5, 6, 10);
    ASSERT_EQ(sphere.size(), 60u);
    ExpectSolidMatches(View::Parallel({0.3, 0.5, 1}), sphere, "sphere, oblique");
    ExpectSolidMatches(View::Parallel({0, 0, 1}), sphere, "sphere, along the axis");
    // Seen along x, the faces around azimuth 90 and 270 degrees are edge-on.
    ExpectSolidMatches(View::Parallel({1, 0, 0}), sphere, "sphere, edge-on faces");
    ExpectSolidMatches(View::Parallel({1, 0, 0}, true), sphere, "sphere, edge-on faces, mirrored");
    ExpectSolidMatches(View::Perspective({12, 9, 7}, {0, 0, 0}, 2.0), sphere, "sphere, perspective");
}

// ------------------------------------------------------------------ interpenetrating solids

// The exact visible length of every distinct edge of the faces: the edge is
// cut wherever its projection crosses a front face's outline and wherever it
// passes through a front face's plane, and each piece is judged by a ray from
// its middle. Pieces that run along an outline count as visible.
double ExactVisibleLength(const View& v, const std::vector<Group>& faces, const std::vector<ItemResult>& items) {
    std::map<EdgeKey, std::pair<Vec3, Vec3>> edges;
    std::map<EdgeKey, bool> front;
    for (const ItemResult& it : items) {
        for (size_t k = 0; k + 1 < it.points3d.size(); ++k) {
            auto a = Grid(it.points3d[k]), b = Grid(it.points3d[k + 1]);
            const bool reversed = b < a;
            const EdgeKey key = reversed ? EdgeKey{b, a} : EdgeKey{a, b};
            Vec3 pa = ToVec(it.points3d[k]), pb = ToVec(it.points3d[k + 1]);
            edges[key] = reversed ? std::pair{pb, pa} : std::pair{pa, pb};
            front[key] = front[key] || FacesViewer(v, faces[it.group]);
        }
    }
    double total = 0;
    for (const auto& [key, ends] : edges) {
        if (!front[key]) continue;
        const auto [a, b] = ends;
        const TXY pa = v.Project(a), pb = v.Project(b);
        const double len = std::hypot(pb.X - pa.X, pb.Y - pa.Y);
        if (len < 1e-12) continue;
        auto along = [&](TXY q) { return ((q.X - pa.X) * (pb.X - pa.X) + (q.Y - pa.Y) * (pb.Y - pa.Y)) / (len * len); };
        std::vector<double> cuts{0, 1};
        for (const Group& f : faces) {
            if (!FacesViewer(v, f)) continue;
            std::vector<const Contour*> contours{&f.outer};
            for (const Contour& h : f.holes) contours.push_back(&h);
            for (const Contour* c : contours) {
                auto q = ProjectContour(v, *c);
                for (size_t m = 0; m < q.size(); ++m) {
                    const TXY q0 = q[m], q1 = q[(m + 1) % q.size()];
                    const double den = (pb.X - pa.X) * (q1.Y - q0.Y) - (pb.Y - pa.Y) * (q1.X - q0.X);
                    if (std::fabs(den) < 1e-300) continue;
                    const double t = ((q0.X - pa.X) * (q1.Y - q0.Y) - (q0.Y - pa.Y) * (q1.X - q0.X)) / den;
                    const double u = ((q0.X - pa.X) * (pb.Y - pa.Y) - (q0.Y - pa.Y) * (pb.X - pa.X)) / den;
                    if (t > 0 && t < 1 && u >= 0 && u <= 1) cuts.push_back(t);
                }
            }
            const Vec3 n = NewellNormal(f.outer);
            const double den = Dot(n, b - a);
            if (std::fabs(den) < 1e-300) continue;
            const double s = Dot(n, f.outer[0] - a) / den;
            if (s > 0 && s < 1) cuts.push_back(along(v.Project(a + (b - a) * s)));
        }
        std::sort(cuts.begin(), cuts.end());
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            if (cuts[k + 1] - cuts[k] < 1e-12) continue;
            const double mid = 0.5 * (cuts[k] + cuts[k + 1]);
            if (RayBlocked(v, faces, v.Interpolate(a, b, mid)) != 1) total += (cuts[k + 1] - cuts[k]) * len;
        }
    }
    return total;
}

// Randomly rotated boxes that overlap each other: edges pass through faces.
std::vector<Group> OverlappingBoxes(uint64_t seed, int count) {
    uint64_t state = seed;
    auto uniform = [&](double lo, double hi) {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return lo + (hi - lo) * (((z ^ (z >> 31)) >> 11) * 0x1.0p-53);
    };
    std::vector<Group> faces;
    for (int b = 0; b < count; ++b) {
        const Vec3 c{uniform(0, 1), uniform(0, 1), uniform(0, 1)};
        const Vec3 h{uniform(0.05, 0.25), uniform(0.05, 0.25), uniform(0.05, 0.25)};
        const Vec3 x = Normalized({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
        const Vec3 y = Normalized(Cross(x, Normalized({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)})));
        const Vec3 z = Cross(x, y);
        for (Group g : Box(h * -1.0, h)) {
            for (Vec3& p : g.outer) p = c + x * p.x + y * p.y + z * p.z;
            faces.push_back(g);
        }
    }
    return faces;
}

// With the piercing option, overlapping boxes draw the exact visible length;
// without it a stretch through a face is judged by one point only.
TEST(HiddenSolids, OverlappingBoxesMatchTheExactVisibleLength) {
    const View views[] = {View::Parallel({0.3, 0.5, 1}), View::Parallel({-1, 0.2, 0.4}, true),
                          View::Perspective({3, 4, 5}, {0.5, 0.5, 0.5}, 2.0)};
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        const auto faces = OverlappingBoxes(seed, 20);
        for (const View& view : views) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (view.perspective ? " perspective" : " parallel"));
            HostOptions split;
            split.calcOptions = ZVSD_OPTION_SPLIT;
            TestHost host(view, split);
            host.Load(faces);
            const auto items = host.Results();
            const SolidReport r = CheckSolid(host, faces, 16);
            const double exact = ExactVisibleLength(view, faces, items);
            EXPECT_NEAR(r.engineLength, exact, 1e-4 * exact);
            EXPECT_EQ(r.agreed, r.checked);
            for (const auto& d : r.disagreements) ADD_FAILURE() << d;
        }
    }
}

// ------------------------------------------------------------------ two faces

View Top(bool mirrored) { return View::Parallel({0, 0, 1}, mirrored); }

std::vector<ItemResult> RunScene(const View& view, const std::vector<Group>& groups, HostOptions options = {}) {
    TestHost host(view, options);
    Watchdog dog(30, "two-face scene");
    EXPECT_LT(host.Load(groups), kTimeLimit);
    return host.Results();
}

void ExpectMask(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-9) << "value " << k;
}

TEST(HiddenTwoFaces, ParallelSquaresFrontSmaller) {
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {Rect(1, 1, 3, 3, 1), {}}});
        ExpectMask(items[0].mask, {1.0});
        ExpectMask(items[1].mask, {1.0});
    }
}

TEST(HiddenTwoFaces, ParallelSquaresBackSmallerIsHiddenWhole) {
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(1, 1, 3, 3, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}});
        ExpectMask(items[0].mask, {-1.0});
        ExpectMask(items[1].mask, {1.0});
        auto swapped = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 1), {}}, {Rect(1, 1, 3, 3, 0), {}}});
        ExpectMask(swapped[0].mask, {1.0});
        ExpectMask(swapped[1].mask, {-1.0});
    }
}

TEST(HiddenTwoFaces, EdgePassingBehindAFace) {
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}});
        ExpectMask(items[0].mask, {1.0, 1.25, 1.75});
        ExpectMask(items[1].mask, {1.0});
    }
}

TEST(HiddenTwoFaces, EdgePassingBehindAFaceThroughItsHole) {
    for (bool mirrored : {false, true}) {
        Group front{Rect(3, 0.5, 5, 3.5, 1), {Reversed(Rect(3.5, 1.5, 4.5, 2.5, 1))}};
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, front});
        ASSERT_EQ(items.size(), 3u);
        ExpectMask(items[0].mask, {1.0, 1.125, 1.375, 1.625, 1.875});
        ExpectMask(items[1].mask, {1.0});
        ExpectMask(items[2].mask, {1.0});
    }
}

TEST(HiddenTwoFaces, OutlineStartingBehindAFace) {
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {Rect(-1, -1, 2, 2, 1), {}}});
        ExpectMask(items[0].mask, {-1.0, 0.5, 3.5});
        ExpectMask(items[1].mask, {1.0});
    }
}

TEST(HiddenTwoFaces, CoplanarOverlappingFacesHideNothing) {
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {Rect(2, 1, 6, 3, 0), {}}});
        ExpectMask(items[0].mask, {1.0});
        ExpectMask(items[1].mask, {1.0});
    }
    // The same in a tilted plane, one face inside the other.
    auto tilt = [](Contour c) {
        for (Vec3& p : c) p.z = 0.3 * p.x - 0.2 * p.y;
        return c;
    };
    auto items = RunScene(View::Parallel({0.2, 0.1, 1}),
                     {{tilt(Rect(0, 0, 4, 4, 0)), {}}, {tilt(Rect(1, 1, 3, 3, 0)), {}}, {tilt(Rect(3, 3, 5, 5, 0)), {}}});
    for (const auto& it : items) ExpectMask(it.mask, {1.0});
}

TEST(HiddenTwoFaces, AbortOnTheFirstQueryLeavesEveryMaskVisible) {
    HostOptions options;
    options.abortAtQuery = 1;
    TestHost host(Top(false), options);
    host.Load({{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}, {Rect(1, 1, 3, 3, 2), {Reversed(Rect(1.5, 1.5, 2.5, 2.5, 2))}}});
    EXPECT_EQ(host.BeginCount(), 1);
    EXPECT_EQ(host.EndCount(), 1);
    EXPECT_EQ(host.QueryCount(), 1);
    for (const auto& it : host.Results()) ExpectMask(it.mask, {1.0});
    // Without the abort the same scene hides a stretch of the first square.
    TestHost plain(Top(false));
    plain.Load({{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}});
    ExpectMask(plain.Results()[0].mask, {1.0, 1.25, 1.75});
}

TEST(HiddenTwoFaces, WithoutDepthOnlyBackFacesAreHidden) {
    HostOptions options;
    options.withDepth = false;
    TestHost host(Top(false), options);
    host.Load({{Rect(0, 0, 4, 4, 0), {}}, {Rect(1, 1, 3, 3, 1), {}}, {Reversed(Rect(2, 2, 5, 5, 2)), {}}});
    auto items = host.Results();
    ExpectMask(items[0].mask, {1.0});
    ExpectMask(items[1].mask, {1.0});
    ExpectMask(items[2].mask, {-1.0});
    EXPECT_EQ(host.DepthCount(), 0);
}

TEST(HiddenTwoFaces, DrawWalksTheMaskedOutline) {
    TestHost host(Top(false));
    host.Load({{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}});
    ExpectMask(host.Results()[0].mask, {1.0, 1.25, 1.75});
    auto calls = host.Draw();
    struct Expected {
        bool line;
        double x, y;
    };
    const std::vector<Expected> expected = {{false, 0, 0}, {true, 4, 0}, {true, 4, 1}, {false, 4, 3},
                                            {true, 4, 4},  {true, 0, 4}, {true, 0, 0},  // first square
                                            {false, 3, 1}, {true, 5, 1}, {true, 5, 3},  {true, 3, 3},
                                            {true, 3, 1}};
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(calls[k].line, expected[k].line);
        if (calls[k].line) {
            EXPECT_EQ(calls[k].visible, 1);
        }
        EXPECT_NEAR(calls[k].p.X, expected[k].x, 1e-12);
        EXPECT_NEAR(calls[k].p.Y, expected[k].y, 1e-12);
    }
}

// ------------------------------------------------------------------ degenerate placements

TEST(HiddenDegenerate, VertexLyingOnAnotherOutlinesEdge) {
    // The triangle's third vertex lies on the right edge of the front square;
    // from there its last edge runs behind the square down to y = 0.
    Contour triangle = {{2, -2, 0}, {6, -2, 0}, {4, 2, 0}};
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{triangle, {}}, {Rect(0, 0, 4, 4, 1), {}}});
        ExpectMask(items[0].mask, {1.0, 2.0, 2.5});
        ExpectMask(items[1].mask, {1.0});
        // A vertex touching from outside hides nothing.
        auto touching = RunScene(Top(mirrored), {{{{4, 2, 0}, {7, 0, 0}, {7, 4, 0}}, {}}, {Rect(0, 0, 4, 4, 1), {}}});
        ExpectMask(touching[0].mask, {1.0});
    }
}

TEST(HiddenDegenerate, VertexOfTheOccluderOnAnEdge) {
    // The front triangle's vertex lies on the bottom edge of the back square.
    Contour triangle = {{2, 0, 1}, {3, 2, 1}, {1, 2, 1}};
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {triangle, {}}});
        ExpectMask(items[0].mask, {1.0});
        ExpectMask(items[1].mask, {1.0});
        // Moved up so that its top edge lies along the square's top edge, half inside.
        Contour up = {{2, 3, 1}, {5, 4, 1}, {1, 4, 1}};
        auto items2 = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {up, {}}});
        const auto& m = items2[0].mask;
        // Segment 1 (x = 4, y 0..4) passes behind the triangle above y = 11/3.
        EXPECT_TRUE(VisibleAt(m, 1.5));
        EXPECT_TRUE(VisibleAt(m, 1.9));
        EXPECT_FALSE(VisibleAt(m, 1.95));
        EXPECT_TRUE(VisibleAt(m, 0.5));
        EXPECT_TRUE(VisibleAt(m, 3.5));
    }
}

TEST(HiddenDegenerate, CollinearOverlappingEdges) {
    // The back square shares the lines y = 0 and y = 4 with the front square
    // over x in [2, 4]; its left edge x = 2 lies behind the front square.
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(2, 0, 6, 4, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}});
        const auto& m = items[0].mask;
        EXPECT_TRUE(VisibleAt(m, 0.75));
        EXPECT_TRUE(VisibleAt(m, 1.5));
        EXPECT_TRUE(VisibleAt(m, 2.25));
        EXPECT_FALSE(VisibleAt(m, 3.1));
        EXPECT_FALSE(VisibleAt(m, 3.5));
        EXPECT_FALSE(VisibleAt(m, 3.9));
        ExpectMask(items[1].mask, {1.0});
        // Identical outlines at two depths: the front one stays whole.
        auto same = RunScene(Top(mirrored), {{Rect(0, 0, 4, 4, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}});
        ExpectMask(same[1].mask, {1.0});
    }
}

TEST(HiddenDegenerate, FaceSeenEdgeOnIsHiddenAndHidesNothing) {
    Contour wall = {{2, 0, -1}, {2, 4, -1}, {2, 4, 1}, {2, 0, 1}};
    for (bool mirrored : {false, true}) {
        auto items = RunScene(Top(mirrored), {{Rect(0, 1, 4, 3, -3), {}}, {wall, {}}});
        ExpectMask(items[0].mask, {1.0});
        ExpectMask(items[1].mask, {-1.0});
    }
}

// The side of an interior crossing is judged by a distance, not by an area:
// drawn at 1/50 of the size, the stretch hidden by the front square near the
// back square's corner is still found.
TEST(HiddenDegenerate, SmallPictureKeepsCrossingsNearCorners) {
    for (double scale : {1.0, 0.1, 0.02}) {
        SCOPED_TRACE(scale);
        View view = Top(false);
        view.scale = scale;
        auto items = RunScene(view, {{Rect(0, 0, 1, 1, 0), {}}, {Rect(0.9, 0.98, 1.1, 1.2, 1), {}}});
        ExpectMask(items[0].mask, {1.0, 1.98, 2.1});
        ExpectMask(items[1].mask, {1.0});
    }
}

TEST(HiddenDegenerate, RepeatedCalculationGivesTheSameMasks) {
    TestHost host(View::Parallel({0.3, 0.4, 1}));
    const auto prism = Extrude({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{{1, 1}, {1, 3}, {3, 3}, {3, 1}}}, 0, 3);
    host.Load(prism);
    auto first = host.Results();
    EXPECT_LT(host.Recalculate(), kTimeLimit);
    auto second = host.Results();
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].mask, second[i].mask) << "item " << i;
}

}  // namespace
}  // namespace zvtest
