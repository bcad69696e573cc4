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

// Axis-parallel rectangle at height z, counter-clockwise seen from +z.
Contour Rect(double x0, double y0, double x1, double y1, double z) {
    return {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
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
    return Extrude({{lo.x, lo.y}, {hi.x, lo.y}, {hi.x, hi.y}, {lo.x, hi.y}}, {}, lo.z, hi.z);
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
            if (Dot(Newell(c), centre) < 0) c = Reversed(c);
            faces.push_back({c, {}});
        }
    }
    return faces;
}

bool FacesViewer(const View& v, const Group& g) {
    Vec3 n = Newell(g.outer);
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
        Vec3 n = Normalized(Newell(f.outer));
        Vec3 o = f.outer[0];
        if (std::fabs(Dot(n, s - o)) < 1e-7) continue;
        Vec3 dir = v.RayToViewer(s);
        double denom = Dot(n, dir);
        if (std::fabs(denom) < 1e-12) continue;
        double lambda = Dot(n, o - s) / denom;
        if (lambda <= 1e-9 || (v.perspective && lambda >= 1.0)) continue;
        TXY h = v.Project(s + dir * lambda);
        auto outer = Projected(v, f.outer);
        double boundary = DistanceToOutline(outer, h);
        bool inside = InsideOutline(outer, h);
        for (const Contour& hc : f.holes) {
            auto hole = Projected(v, hc);
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
    double engineLength = 0;  // visible 2-D length drawn by the engine (union over faces)
    double oracleLength = 0;  // the same measured by ray casting
    std::vector<std::string> disagreements;
};

// A distinct 3-D edge of the items, with the item segments that run along it.
struct Edge {
    Vec3 a, b;
    std::vector<EdgeUse> uses;
    bool front = false;  // some face that has it faces the viewer
};

std::vector<Edge> Edges(const View& v, const std::vector<Group>& faces, const std::vector<ItemResult>& items) {
    auto grid = [](const TXYZ& p) {
        return std::array<long long, 3>{std::llround(p.X * 1e7), std::llround(p.Y * 1e7), std::llround(p.Z * 1e7)};
    };
    std::map<std::pair<std::array<long long, 3>, std::array<long long, 3>>, Edge> edges;
    for (size_t i = 0; i < items.size(); ++i) {
        const auto& pts = items[i].points3d;
        for (size_t k = 0; k + 1 < pts.size(); ++k) {
            const auto a = grid(pts[k]), b = grid(pts[k + 1]);
            const bool reversed = b < a;
            Edge& e = edges[reversed ? std::pair{b, a} : std::pair{a, b}];
            e.a = ToVec(pts[reversed ? k + 1 : k]), e.b = ToVec(pts[reversed ? k : k + 1]);
            e.uses.push_back({static_cast<int>(i), static_cast<int>(k), reversed});
            e.front = e.front || FacesViewer(v, faces[items[i].group]);
        }
    }
    std::vector<Edge> list;
    for (auto& [key, e] : edges) list.push_back(std::move(e));
    return list;
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
    const auto items = host.Results();
    SolidReport report;
    for (const Edge& e : Edges(v, faces, items)) {
        const Vec3 a = e.a, b = e.b;
        const std::vector<EdgeUse>& uses = e.uses;
        const bool anyFront = e.front;
        TXY pa = v.Project(a), pb = v.Project(b);
        double len = std::hypot(pb.X - pa.X, pb.Y - pa.Y);
        if (len < 1e-9) continue;
        std::vector<std::pair<double, double>> spans;
        for (const EdgeUse& u : uses) {
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
            if (blocked < 0 || nearToggle) continue;
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

// Checks the engine against the ray cast; returns how many faces are partly
// hidden (their mask has toggles) and the visible length drawn.
std::pair<int, double> ExpectSolidMatches(const View& view, const std::vector<Group>& faces) {
    TestHost host(view);
    host.Load(faces);
    SolidReport r = CheckSolid(host, faces);
    EXPECT_GT(r.checked, 0);
    EXPECT_EQ(r.agreed, r.checked);
    for (const auto& d : r.disagreements) ADD_FAILURE() << d;
    EXPECT_NEAR(r.engineLength, r.oracleLength, 0.02 * r.oracleLength + 1e-9);
    int partial = 0;
    for (const auto& it : host.Results()) partial += it.mask.size() > 1;
    return {partial, r.engineLength};
}

// ------------------------------------------------------------------ solids

// Solids in many views, parallel, mirrored and perspective, checked against
// the ray cast; `partial` views must hide part of some face, and `length`
// (when given) is the exact visible length.
TEST(HiddenSolids, SolidsMatchTheRayCast) {
    const auto box = Box({0, 0, 0}, {2, 3, 4});
    const auto prism = Extrude({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{{1, 1}, {1, 3}, {3, 3}, {3, 1}}}, 0, 3);
    const auto l = Extrude({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}}, {}, 0, 2);
    auto twoBoxes = Box({0, 0, 0}, {2, 2, 2});
    for (const Group& g : Box({1, 1, -4}, {3.5, 3, -1.5})) twoBoxes.push_back(g);
    const auto sphere = UvSphere(5, 6, 10);
    const auto square = Box({0, 0, 0}, {2, 2, 3});
    struct Case {
        const char* what;
        const std::vector<Group>& faces;
        View view;
        bool partial;
        double length;
    } cases[] = {
        {"box iso", box, View::Parallel({1, 1, 1}), false, 0},
        {"box oblique", box, View::Parallel({1, 2, 3}, true), false, 0},
        {"box from below", box, View::Parallel({-1, -1, -1}), false, 0},
        {"box face-on", box, View::Parallel({0, 0, 1}), false, 10.0},
        {"box along a face diagonal", square, View::Parallel({1, 1, 0}), false, 9 + 4 * std::sqrt(2.0)},
        {"box perspective", box, View::Perspective({6, 5, 7}, {0, 0, 0}, 2.0), false, 0},
        {"box perspective, eye above", box, View::Perspective({0.2, 0.3, 9}, {0, 0, 0}, 2.0), false, 0},
        {"hole prism steep", prism, View::Parallel({0.3, 0.4, 1}), true, 0},
        {"hole prism iso", prism, View::Parallel({1, 1, 1}), true, 0},
        {"hole prism mirrored", prism, View::Parallel({-1, 0.5, 2}, true), true, 0},
        {"hole prism face-on", prism, View::Parallel({0, 0, 1}), false, 0},
        {"hole prism, eye above the hole", prism, View::Perspective({2, 2, 12}, {2, 2, 0}, 3.0), false, 0},
        {"L prism low", l, View::Parallel({1, 1, 0.4}), false, 0},
        {"L prism along an arm", l, View::Parallel({1, -0.3, 0.3}), true, 0},
        {"L prism perspective", l, View::Perspective({9, -2, 3}, {1, 1, 1}, 2.0), true, 0},
        {"two boxes", twoBoxes, View::Parallel({0.2, 0.3, 1}), true, 0},
        {"two boxes, perspective", twoBoxes, View::Perspective({0, 0, 10}, {1.5, 1.5, -1}, 2.0), true, 0},
        {"sphere oblique", sphere, View::Parallel({0.3, 0.5, 1}), false, 0},
        {"sphere, edge-on faces", sphere, View::Parallel({1, 0, 0}, true), false, 0},
        {"sphere perspective", sphere, View::Perspective({12, 9, 7}, {0, 0, 0}, 2.0), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [partial, length] = ExpectSolidMatches(c.view, c.faces);
        if (c.partial) EXPECT_GT(partial, 0);
        if (c.length > 0) EXPECT_NEAR(length, c.length, 1e-9);
    }
}

// ------------------------------------------------------------------ interpenetrating solids

// The exact visible length of every distinct edge of the faces: the edge is
// cut wherever its projection crosses a front face's outline and wherever it
// passes through a front face's plane, and each piece is judged by a ray from
// its middle. Pieces that run along an outline count as visible.
double ExactVisibleLength(const View& v, const std::vector<Group>& faces, const std::vector<ItemResult>& items) {
    double total = 0;
    for (const Edge& e : Edges(v, faces, items)) {
        if (!e.front) continue;
        const Vec3 a = e.a, b = e.b;
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
                auto q = Projected(v, *c);
                for (size_t m = 0; m < q.size(); ++m) {
                    const TXY q0 = q[m], q1 = q[(m + 1) % q.size()];
                    const double den = (pb.X - pa.X) * (q1.Y - q0.Y) - (pb.Y - pa.Y) * (q1.X - q0.X);
                    if (std::fabs(den) < 1e-300) continue;
                    const double t = ((q0.X - pa.X) * (q1.Y - q0.Y) - (q0.Y - pa.Y) * (q1.X - q0.X)) / den;
                    const double u = ((q0.X - pa.X) * (pb.Y - pa.Y) - (q0.Y - pa.Y) * (pb.X - pa.X)) / den;
                    if (t > 0 && t < 1 && u >= 0 && u <= 1) cuts.push_back(t);
                }
            }
            const Vec3 n = Newell(f.outer);
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
    Random rnd(seed);
    auto uniform = [&](double lo, double hi) { return rnd.Uniform(lo, hi); };
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
            TestHost host(view, ZVSD_OPTION_SPLIT);
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

// Small scenes seen from the top, plain and mirrored, with every item's mask.
TEST(HiddenTwoFaces, DocumentedScenes) {
    const Contour triangleOnEdge = {{2, -2, 0}, {6, -2, 0}, {4, 2, 0}};
    const Contour wall = {{2, 0, -1}, {2, 4, -1}, {2, 4, 1}, {2, 0, 1}};
    struct Case {
        const char* what;
        std::vector<Group> groups;
        std::vector<std::vector<double>> masks;
    } cases[] = {
        {"front square smaller", {{Rect(0, 0, 4, 4, 0), {}}, {Rect(1, 1, 3, 3, 1), {}}}, {{1.0}, {1.0}}},
        {"back square smaller", {{Rect(1, 1, 3, 3, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}}, {{-1.0}, {1.0}}},
        {"edge passing behind a face", {{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}}, {{1.0, 1.25, 1.75}, {1.0}}},
        {"edge passing through a hole",
         {{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 0.5, 5, 3.5, 1), {Reversed(Rect(3.5, 1.5, 4.5, 2.5, 1))}}},
         {{1.0, 1.125, 1.375, 1.625, 1.875}, {1.0}, {1.0}}},
        {"outline starting behind a face", {{Rect(0, 0, 4, 4, 0), {}}, {Rect(-1, -1, 2, 2, 1), {}}}, {{-1.0, 0.5, 3.5}, {1.0}}},
        {"coplanar overlapping faces", {{Rect(0, 0, 4, 4, 0), {}}, {Rect(2, 1, 6, 3, 0), {}}}, {{1.0}, {1.0}}},
        {"vertex on the front square's edge", {{triangleOnEdge, {}}, {Rect(0, 0, 4, 4, 1), {}}}, {{1.0, 2.0, 2.5}, {1.0}}},
        {"vertex touching from outside", {{{{4, 2, 0}, {7, 0, 0}, {7, 4, 0}}, {}}, {Rect(0, 0, 4, 4, 1), {}}}, {{1.0}, {1.0}}},
        {"occluder's vertex on an edge", {{Rect(0, 0, 4, 4, 0), {}}, {{{2, 0, 1}, {3, 2, 1}, {1, 2, 1}}, {}}}, {{1.0}, {1.0}}},
        {"identical outlines at two depths", {{Rect(0, 0, 4, 4, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}}, {{1.0}, {1.0}}},
        {"collinear overlapping edges", {{Rect(2, 0, 6, 4, 0), {}}, {Rect(0, 0, 4, 4, 1), {}}}, {{1.0, 3.0, 4.0}, {1.0}}},
        {"face seen edge-on", {{Rect(0, 1, 4, 3, -3), {}}, {wall, {}}}, {{1.0}, {-1.0}}},
        // Visible along the front face's bottom edge, hidden from where it turns behind the face.
        {"edge running along a front face's outline",
         {{{{3, 1, -1}, {1, 1, -1}, {0, 0, 0}, {2, 0, 0}, {3, 0, 0}}, {}}, {Rect(0, 0, 2, 2, 0), {}}},
         {{1.0, 0.5, 2.0}, {1.0}}},
        // Holes before any outer contour hide nothing but are hidden like any contour.
        {"holes alone", {{{}, {Rect(1, 1, 3, 3, 0)}}, {Rect(0, 0, 4, 4, 1), {}}, {{}, {Rect(5, 1, 7, 3, 0)}}},
         {{-1.0}, {1.0}, {1.0}}},
    };
    for (const Case& c : cases) {
        for (bool mirrored : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (mirrored ? ", mirrored" : ""));
            TestHost host(Top(mirrored));
            host.Load(c.groups);
            const auto items = host.Results();
            ASSERT_EQ(items.size(), c.masks.size());
            for (size_t i = 0; i < items.size(); ++i) {
                ASSERT_EQ(items[i].mask.size(), c.masks[i].size()) << "item " << i << ::testing::PrintToString(items[i].mask);
                for (size_t k = 0; k < c.masks[i].size(); ++k) EXPECT_NEAR(items[i].mask[k], c.masks[i][k], 1e-9);
            }
        }
    }
}

// The drawing walks the masked outlines; a second calculation gives the same masks.
TEST(HiddenTwoFaces, DrawAndRepeat) {
    TestHost host(Top(false));
    host.Load({{Rect(0, 0, 4, 4, 0), {}}, {Rect(3, 1, 5, 3, 1), {}}});
    const auto first = host.Results();
    EXPECT_EQ(first[0].mask, (std::vector<double>{1.0, 1.25, 1.75}));
    const auto [calls, points] = host.Draw();
    EXPECT_EQ(calls, (std::vector<int>{2, 1, 1, 2, 1, 1, 1, 2, 1, 1, 1, 1}));
    const std::vector<TXY> expected = {{0, 0}, {4, 0}, {4, 1}, {4, 3}, {4, 4}, {0, 4}, {0, 0},
                                       {3, 1}, {5, 1}, {5, 3}, {3, 3}, {3, 1}};
    ASSERT_EQ(points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_TRUE(points[k].X == expected[k].X && points[k].Y == expected[k].Y) << k;
    host.Recalculate();
    const auto second = host.Results();
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].mask, second[i].mask) << "item " << i;
}

}  // namespace
}  // namespace zvtest
