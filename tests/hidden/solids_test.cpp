// Closed solids, degenerate placements and the classic two-face cases, run
// through the C interface by a test host and checked against visibility that is
// worked out independently (by hand, or by casting a ray from each edge sample
// towards the viewer, with the ray cast of the drawing checker zvhlr-check).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>

#include "hidden/test_host.h"
#include "ray_cast.h"

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
            if (Dot(zv::tool::RingNormal(c), centre) < 0) c = Reversed(c);
            faces.push_back({c, {}});
        }
    }
    return faces;
}

bool FacesViewer(const View& v, const Group& g) {
    Vec3 n = zv::tool::RingNormal(g.outer);
    Vec3 centre;
    for (const Vec3& p : g.outer) centre = centre + p * (1.0 / g.outer.size());
    Vec3 ray = v.RayToViewer(centre);
    return Dot(n, ray) > 1e-9 * Length(n) * Length(ray);
}

// The faces facing the viewer (the others hide nothing), for the ray cast of
// the drawing checker.
std::vector<zv::tool::RayFace> FrontFaces(const View& v, const std::vector<Group>& faces) {
    std::vector<zv::tool::RayFace> front;
    for (const Group& g : faces)
        if (FacesViewer(v, g)) front.push_back(zv::tool::MakeRayFace(g));
    return front;
}

// Casts the ray from s towards the viewer: 1 when a face blocks it, 0 when it
// is free, -1 when it grazes an outline.
int RayBlocked(const View& v, const std::vector<zv::tool::RayFace>& front, Vec3 s) {
    const Vec3 ray = v.RayToViewer(s), dir = Normalized(ray);
    const double reach = v.perspective ? Length(ray) : 1e300;
    zv::tool::Sight sight = zv::tool::Sight::Free;
    for (const auto& f : front)
        sight = std::max(sight, zv::tool::SightPast(f, s, dir, 1e-7, reach, 1e-6, 0));
    return sight == zv::tool::Sight::Blocked ? 1 : -static_cast<int>(sight);
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

// The engine's drawing of edge e at fraction f of it: visible where any face
// that has the edge shows it visible. near tells whether f lies within 1e-3
// of a toggle of one of them.
bool EngineVisible(const Edge& e, const std::vector<ItemResult>& items, double f, bool& near) {
    bool visible = false;
    near = false;
    for (const EdgeUse& u : e.uses) {
        const double t = u.segment + (u.reversed ? 1 - f : f);
        visible = visible || VisibleAt(items[u.item].mask, t);
        near = near || DistanceToToggle(items[u.item].mask, t) < 1e-3;
    }
    return visible;
}

// The fraction of edge e that the engine draws visible.
double EngineVisibleFraction(const Edge& e, const std::vector<ItemResult>& items) {
    std::vector<double> toggles{0, 1};
    for (const EdgeUse& u : e.uses) {
        for (size_t q = 1; q < items[u.item].mask.size(); ++q) {
            const double t = std::fabs(items[u.item].mask[q]) - u.segment;
            if (t > 0 && t < 1) toggles.push_back(u.reversed ? 1 - t : t);
        }
    }
    std::sort(toggles.begin(), toggles.end());
    double visible = 0;
    bool near;
    for (size_t k = 0; k + 1 < toggles.size(); ++k)
        visible += EngineVisible(e, items, (toggles[k] + toggles[k + 1]) / 2, near) * (toggles[k + 1] - toggles[k]);
    return visible;
}

// Where the projection of edge ab crosses a front face's outline and where
// the edge passes through a front face's plane, as fractions of the projected
// edge, in order: between two cuts the edge's visibility does not change.
std::vector<double> Cuts(const View& v, const std::vector<Group>& faces, Vec3 a, Vec3 b) {
    const TXY pa = v.Project(a), pb = v.Project(b);
    auto along = [&](TXY q) {
        return ((q.X - pa.X) * (pb.X - pa.X) + (q.Y - pa.Y) * (pb.Y - pa.Y)) /
               ((pb.X - pa.X) * (pb.X - pa.X) + (pb.Y - pa.Y) * (pb.Y - pa.Y));
    };
    std::vector<double> cuts{0, 1};
    for (const Group& f : faces) {
        if (!FacesViewer(v, f)) continue;
        std::vector<const Contour*> contours{&f.outer};
        for (const Contour& h : f.holes) contours.push_back(&h);
        for (const Contour* c : contours) {
            auto q = Projected(v, *c);
            for (size_t m = 0; m < q.size(); ++m) {
                const Point2 q0 = q[m], q1 = q[(m + 1) % q.size()];
                const double den = (pb.X - pa.X) * (q1.y - q0.y) - (pb.Y - pa.Y) * (q1.x - q0.x);
                if (std::fabs(den) < 1e-300) continue;
                const double t = ((q0.x - pa.X) * (q1.y - q0.y) - (q0.y - pa.Y) * (q1.x - q0.x)) / den;
                const double u = ((q0.x - pa.X) * (pb.Y - pa.Y) - (q0.y - pa.Y) * (pb.X - pa.X)) / den;
                if (t > 0 && t < 1 && u >= 0 && u <= 1) cuts.push_back(t);
            }
        }
        const Vec3 n = zv::tool::RingNormal(f.outer);
        const double den = Dot(n, b - a);
        if (std::fabs(den) < 1e-300) continue;
        const double s = Dot(n, f.outer[0] - a) / den;
        if (s > 0 && s < 1) cuts.push_back(along(v.Project(a + (b - a) * s)));
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

// Compares, for every distinct 3-D edge of the solid, the engine's drawing (an
// edge is drawn visible where any face that has it shows it visible) with the
// ray cast: each piece between two cuts is judged by a ray from its middle
// (pieces along an outline count as visible) and compared with the engine at
// samples inside it.
SolidReport CheckSolid(const TestHost& host, const std::vector<Group>& faces) {
    const View& v = host.GetView();
    const auto items = host.Results();
    const auto front = FrontFaces(v, faces);
    SolidReport report;
    for (const Edge& e : Edges(v, faces, items)) {
        const TXY pa = v.Project(e.a), pb = v.Project(e.b);
        const double len = std::hypot(pb.X - pa.X, pb.Y - pa.Y);
        if (len < 1e-9) continue;
        report.engineLength += EngineVisibleFraction(e, items) * len;
        const std::vector<double> cuts = e.front ? Cuts(v, faces, e.a, e.b) : std::vector<double>{0, 1};
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            const double piece = cuts[k + 1] - cuts[k];
            if (piece < 1e-12) continue;
            const int blocked = e.front ? RayBlocked(v, front, v.Interpolate(e.a, e.b, cuts[k] + piece / 2)) : 1;
            if (blocked != 1) report.oracleLength += piece * len;
            for (int j = 0; j < 4 && blocked >= 0; ++j) {
                const double f = cuts[k] + piece * (j + 0.5) / 4;
                bool nearToggle;
                const bool engine = EngineVisible(e, items, f, nearToggle);
                if (nearToggle) continue;
                ++report.checked;
                if (engine == (blocked == 0)) {
                    ++report.agreed;
                } else if (report.disagreements.size() < 8) {
                    std::ostringstream s;
                    s << "edge (" << e.a.x << "," << e.a.y << "," << e.a.z << ")-(" << e.b.x << "," << e.b.y << ","
                      << e.b.z << ") at " << f << ": engine " << (engine ? "visible" : "hidden");
                    report.disagreements.push_back(s.str());
                }
            }
        }
    }
    return report;
}

// Checks the engine against the ray cast; returns how many faces are partly
// hidden (their mask has toggles) and the visible length drawn.
std::pair<int, double> ExpectSolidMatches(const View& view, const std::vector<Group>& faces, int32_t options = 0) {
    TestHost host(view, options);
    host.Load(faces);
    SolidReport r = CheckSolid(host, faces);
    EXPECT_GT(r.checked, 0);
    EXPECT_EQ(r.agreed, r.checked);
    for (const auto& d : r.disagreements) ADD_FAILURE() << d;
    EXPECT_NEAR(r.engineLength, r.oracleLength, 1e-4 * r.oracleLength);
    int partial = 0;
    for (const auto& mask : host.Masks()) partial += mask.size() > 1;
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

// With the piercing option, overlapping boxes match the ray cast too (without
// it a stretch through a face is judged by one point only).
TEST(HiddenSolids, OverlappingBoxesMatchTheExactVisibleLength) {
    const View views[] = {View::Parallel({0.3, 0.5, 1}), View::Parallel({-1, 0.2, 0.4}, true),
                          View::Perspective({3, 4, 5}, {0.5, 0.5, 0.5}, 2.0)};
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        for (const View& view : views) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (view.perspective ? " perspective" : " parallel"));
            ExpectSolidMatches(view, OverlappingBoxes(seed, 20), ZVSD_OPTION_SPLIT);
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
            zvsdtest::ExpectMasksNear(host.Masks(), c.masks, 1e-9);
        }
    }
}

}  // namespace
}  // namespace zvtest
