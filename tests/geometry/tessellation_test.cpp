// Tessellation of faces with holes: fixed cases, and properties over random
// faces in random planes (area kept, triangles inside, edges bounded).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/polygon2d.h"
#include "geometry/space.h"
#include "geometry/tessellation.h"
#include "owned_array.h"
#include "runtime/exception.h"

namespace zv {
namespace {

using Ring2 = std::vector<TXY>;

TPointArray* AddContour(TlistOFxyzArray& list, const std::vector<TXYZ>& points) {
    TPointArray* a = list.AddNew();
    for (const TXYZ& p : points) ArrayAdd(*a, &p);
    return a;
}

TEST(Tessellation, PointToPointBridgeSplicesTwelvePoints) {
    TlistOFxyzArray contours;
    // The reflex corner (5, 6) of the outline points at the top of the hole.
    AddContour(contours, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {5, 6, 0}, {0, 10, 0}});
    AddContour(contours, {{5, 4, 0}, {6, 3, 0}, {5, 2, 0}, {4, 3, 0}});
    TPointArray outline{};
    MergeHoles(contours, outline);
    EXPECT_EQ(outline.Count, 6 + 5 + 2);
    EXPECT_EQ(contours.Items(0)->Count, 6);  // closed in place
    ArrayClear(outline);
}

TEST(Tessellation, SubdivisionCountsAndRefusal) {
    TXYZ a{0, 0, 0}, b{3, 0, 0}, c{0, 4, 0};  // perimeter 12
    struct Case { double bound; int triangles; } cases[] = {{12, 1}, {6, 4}, {11.9, 4}, {5.9, 16}, {0, 1},
                                                          {std::numeric_limits<double>::quiet_NaN(), 1}};
    for (const Case& c0 : cases) {
        TlistOFxyzArray result;
        Subdivide(a, b, c, result, c0.bound);
        EXPECT_EQ(result.Count(), c0.triangles) << c0.bound;
    }
    TlistOFxyzArray result;
    EXPECT_THROW(Subdivide(a, b, c, result, 1e-9), Exception);
    EXPECT_EQ(result.Count(), 0);
}

// --- Random faces --------------------------------------------------------------

struct Face {
    Ring2 outer;
    std::vector<Ring2> holes;
};

Ring2 Star(std::mt19937& rng, TXY centre, double radius, int n, bool reversed) {
    std::uniform_real_distribution<double> u(0, 1);
    Ring2 ring;
    for (int k = 0; k < n; ++k) {
        double angle = 2 * M_PI * (k + 0.8 * u(rng)) / n;
        double r = radius * (0.5 + 0.5 * u(rng));
        ring.push_back({centre.X + r * std::cos(angle), centre.Y + r * std::sin(angle)});
    }
    if (reversed) std::reverse(ring.begin(), ring.end());
    return ring;
}

Face RandomFace(std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0, 1);
    Face face;
    face.outer = Star(rng, {0, 0}, 100, 6 + static_cast<int>(u(rng) * 30), u(rng) < 0.5);
    std::vector<std::pair<TXY, double>> placed;
    int holes = static_cast<int>(u(rng) * 6);
    for (int tries = 0; tries < 50 && static_cast<int>(placed.size()) < holes; ++tries) {
        double r = 2 + 8 * u(rng);
        double d = (25 - r) * std::sqrt(u(rng)), phi = 2 * M_PI * u(rng);
        TXY c{d * std::cos(phi), d * std::sin(phi)};
        bool clear = true;
        for (auto& [q, rq] : placed) clear = clear && std::hypot(c.X - q.X, c.Y - q.Y) > r + rq + 0.5;
        if (!clear) continue;
        placed.push_back({c, r});
        face.holes.push_back(Star(rng, c, r, 3 + static_cast<int>(u(rng) * 8), u(rng) < 0.5));
    }
    return face;
}

double Area(const Ring2& ring) {
    TPointArray view = ArrayView(ring.data(), sizeof(TXY), static_cast<int32_t>(ring.size()));
    return std::fabs(SignedArea2(view)) / 2;
}

bool Inside(const Ring2& ring, TXY p) {
    TPointArray view = ArrayView(ring.data(), sizeof(TXY), static_cast<int32_t>(ring.size()));
    return PointInPolygon(p, view);
}

double FaceArea(const Face& face) {
    double area = Area(face.outer);
    for (const Ring2& h : face.holes) area -= Area(h);
    return area;
}

struct Check {
    double area = 0, expectedArea = 0;
    int outside = 0, tooLong = 0, flipped = 0;
};

// Tessellates the face in a random plane and measures the result in the plane.
Check TessellateInPlane(const Face& face, std::mt19937& rng, double bound) {
    std::normal_distribution<double> g;
    TPlaneFrame frame = MakeFrame({g(rng) * 50, g(rng) * 50, g(rng) * 50}, NormalizeXYZ({g(rng), g(rng), g(rng) + 0.01}));
    auto lift = [&](const Ring2& ring, TlistOFxyzArray& list) {
        std::vector<TXYZ> points;
        for (TXY p : ring) points.push_back(FrameToWorld(frame, {p.X, p.Y, 0}));
        AddContour(list, points);
    };
    TlistOFxyzArray contours, pieces, triangles;
    lift(face.outer, contours);
    for (const Ring2& h : face.holes) lift(h, contours);
    Tessellate(contours, pieces);
    SubdivideAll(pieces, triangles, bound);
    Check check;
    check.expectedArea = FaceArea(face);
    TXYZ normal = PolygonNormal(*contours.Items(0));
    for (int32_t i = 0; i < triangles.Count(); ++i) {
        std::vector<TXYZ> t = ValuesOf<TXYZ>(*triangles.Items(i));
        TXYZ cross = CrossXYZ(SubXYZ(t[1], t[0]), SubXYZ(t[2], t[0]));
        check.area += LengthXYZ(cross) / 2;
        if (DotXYZ(cross, normal) > 1e-9 * LengthXYZ(normal)) ++check.flipped;
        for (int k = 0; k < 3; ++k) check.tooLong += DistXYZ(t[k], t[(k + 1) % 3]) > bound * (1 + 1e-9);
        TXYZ c = WorldToFrame(frame, ScaleXYZ(AddXYZ(AddXYZ(t[0], t[1]), t[2]), 1.0 / 3));
        bool in = Inside(face.outer, {c.X, c.Y});
        for (const Ring2& h : face.holes) in = in && !Inside(h, {c.X, c.Y});
        check.outside += !in && LengthXYZ(cross) > 1e-6;
    }
    return check;
}

TEST(TessellationProperties, RandomFacesWithHolesAreCoveredExactly) {
    std::mt19937 rng(14);
    for (int run = 0; run < 600; ++run) {
        Face face = RandomFace(rng);
        Check c = TessellateInPlane(face, rng, 80);
        ASSERT_NEAR(c.area, c.expectedArea, 1e-6 * c.expectedArea + 1e-3) << "run " << run;
        ASSERT_EQ(c.outside, 0) << "run " << run;
        ASSERT_EQ(c.tooLong, 0) << "run " << run;
        ASSERT_EQ(c.flipped, 0) << "run " << run;
    }
}

// Degenerate variants of random faces keep the area of what they still describe.
TEST(TessellationProperties, DegenerateFacesEndWithADefinedResult) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> u(0, 1);
    for (int run = 0; run < 600; ++run) {
        Face face = RandomFace(rng);
        Face drawn = face;
        switch (run % 5) {
            case 0:  // repeated points and collinear runs
                drawn.outer.clear();
                for (size_t k = 0; k < face.outer.size(); ++k) {
                    TXY p = face.outer[k], q = face.outer[(k + 1) % face.outer.size()];
                    drawn.outer.insert(drawn.outer.end(), {p, p, {(p.X + q.X) / 2, (p.Y + q.Y) / 2}});
                }
                face.outer = drawn.outer;
                break;
            case 1:  // a zero-area hole and a hole outside the outline are left out
                drawn.holes.push_back({{1, 1}, {2, 2}, {3, 3}});
                drawn.holes.push_back({{300, 300}, {310, 300}, {300, 310}});
                break;
            case 2: {  // a hole touching the middle of an outline edge
                TXY p = face.outer[0], q = face.outer[1], m{(p.X + q.X) / 2, (p.Y + q.Y) / 2};
                double len = std::hypot(q.X - p.X, q.Y - p.Y);
                TXY t{(q.X - p.X) / len, (q.Y - p.Y) / len}, in{-t.Y, t.X};
                if (in.X * m.X + in.Y * m.Y > 0) in = {-in.X, -in.Y};
                face.holes.push_back({m, {m.X + 2 * in.X + t.X, m.Y + 2 * in.Y + t.Y},
                                      {m.X + 2 * in.X - t.X, m.Y + 2 * in.Y - t.Y}});
                drawn = face;
                break;
            }
            case 3:  // a hole touching another at its vertex farthest from its centre
                if (!face.holes.empty()) {
                    const Ring2& h = face.holes[0];
                    TXY c{0, 0};
                    for (TXY p : h) c = {c.X + p.X / h.size(), c.Y + p.Y / h.size()};
                    TXY v = *std::max_element(h.begin(), h.end(), [c](TXY a, TXY b) {
                        return std::hypot(a.X - c.X, a.Y - c.Y) < std::hypot(b.X - c.X, b.Y - c.Y);
                    });
                    double len = std::hypot(v.X - c.X, v.Y - c.Y);
                    TXY d{0.4 * (v.X - c.X) / len, 0.4 * (v.Y - c.Y) / len};
                    face.holes.push_back({v, {v.X + d.X - d.Y, v.Y + d.Y + d.X}, {v.X + d.X + d.Y, v.Y + d.Y - d.X}});
                }
                drawn = face;
                break;
            case 4:  // not finite: no pieces, no hang
                drawn.outer[static_cast<size_t>(u(rng) * drawn.outer.size())].X = std::nan("");
                break;
        }
        Check c = TessellateInPlane(drawn, rng, 80);
        if (run % 5 == 4) {
            EXPECT_EQ(c.area, 0);
        } else {
            ASSERT_NEAR(c.area, FaceArea(face), 1e-3) << run;
            ASSERT_EQ(c.outside, 0) << run;
        }
    }
}

}  // namespace
}  // namespace zv
