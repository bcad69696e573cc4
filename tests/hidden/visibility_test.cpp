// Visibility of outlines that touch the outline of the face in front of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "zvhlr.h"

namespace {

void Project(ZVSDHandle, const TXYZ* p, TXY* out) {
    out->X = p->X;
    out->Y = p->Y;
}

// The viewer looks down the Z axis from +Z.
double Depth(ZVSDHandle, const TXYZ* p, const TPlane* plane, TXYZ*) {
    const TXYZ& n = plane->Normal;
    if (n.Z > -1e-12 && n.Z < 1e-12) return 0.0;
    return ((p->X - plane->Origin.X) * n.X + (p->Y - plane->Origin.Y) * n.Y + (p->Z - plane->Origin.Z) * n.Z) / n.Z;
}

std::vector<double> MaskOf(ZVSDHandle h, int32_t index) {
    std::vector<double> mask(ZVSDGetMask(h, index, nullptr));
    ZVSDGetMask(h, index, mask.data());
    return mask;
}

std::vector<TXYZ> At(std::vector<TXY> xy, double z) {
    std::vector<TXYZ> points;
    for (const TXY& p : xy) points.push_back(TXYZ{p.X, p.Y, z});
    return points;
}

// Front face (clockwise seen from +Z, so it faces the viewer) at z = 1, and
// the outline behind it at z = 0; returns the back outline's mask.
std::vector<double> MaskBehindSquare(const std::vector<TXY>& back, const std::vector<TXY>& hole = {}) {
    ZVSDHandle h = ZVSDCreate();
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.ProjectProc = Project;
    d.DepthProc = Depth;
    _ZVSDSetData(h, &d);
    std::vector<TXYZ> front = At({{0, 4}, {4, 4}, {4, 0}, {0, 0}}, 1);
    std::vector<TXYZ> behind = At(back, 0);
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 4, front.data());
    if (!hole.empty()) {
        std::vector<TXYZ> holeAt = At(hole, 1);
        ZVSDAddHole(h, static_cast<int32_t>(holeAt.size()), holeAt.data());
    }
    ZVSDAddContour(h, static_cast<int32_t>(behind.size()), behind.data());
    ZVSDSetChanging(h, 0);
    std::vector<double> mask = MaskOf(h, hole.empty() ? 1 : 2);
    EXPECT_EQ(MaskOf(h, 0), std::vector<double>{1.0});
    ZVSDFree(h);
    return mask;
}

TEST(Visibility, AnOutlineInsideAFrontFaceIsHiddenWhole) {
    EXPECT_EQ(MaskBehindSquare({{1, 1}, {1, 3}, {3, 3}, {3, 1}}), std::vector<double>{-1.0});
}

// Inside but touching: hidden, except where the outline runs along the front
// face's outline (a shared silhouette stays visible, for holes alike).
TEST(Visibility, AnOutlineTouchingTheFrontFaceFromInsideIsHiddenOffItsOutline) {
    // Touches the bottom edge at a vertex.
    EXPECT_EQ(MaskBehindSquare({{1, 1}, {2, 3}, {3, 1}, {2, 0}}), std::vector<double>{-1.0});
    // Touches the bottom edge at a vertex and runs along the right edge.
    EXPECT_EQ(MaskBehindSquare({{1, 2}, {4, 2}, {4, 1}, {2, 0}}), (std::vector<double>{-1.0, 1, 2}));
    // Touches the bottom edge and the top edge at vertices, runs along the right edge.
    EXPECT_EQ(MaskBehindSquare({{2, 0}, {1, 2}, {3, 4}, {4, 2}, {4, 1}}), (std::vector<double>{-1.0, 3, 4}));
    // Shares a stretch of the left edge.
    EXPECT_EQ(MaskBehindSquare({{0, 1}, {0, 3}, {2, 3}, {2, 1}}), (std::vector<double>{1.0, 1, 4}));
    // Runs along the edge of a hole: visible there too.
    EXPECT_EQ(MaskBehindSquare({{0.5, 0.5}, {0.5, 2}, {1.5, 2}, {1.5, 1}, {2.5, 1}, {2.8, 0.5}},
                               {{1, 1}, {1, 3}, {3, 3}, {3, 1}}),
              (std::vector<double>{-1.0, 1.5, 4}));
}

TEST(Visibility, AnOutlineTouchingTheFrontFaceFromOutsideStaysVisible) {
    EXPECT_EQ(MaskBehindSquare({{4, 1}, {6, 2}, {6, 1}}), std::vector<double>{1.0});
    EXPECT_EQ(MaskBehindSquare({{4, 0}, {4, 4}, {6, 4}, {6, 0}}), std::vector<double>{1.0});
}

TEST(Visibility, AnOutlineInsideAHoleOfTheFrontFaceStaysVisible) {
    const std::vector<TXY> hole = {{0.5, 0.5}, {3.5, 0.5}, {3.5, 3.5}, {0.5, 3.5}};  // winds against the face
    EXPECT_EQ(MaskBehindSquare({{1, 1}, {1, 3}, {3, 3}, {3, 1}}, hole), std::vector<double>{1.0});
    // Touching the hole's bottom edge at a vertex.
    EXPECT_EQ(MaskBehindSquare({{1, 1}, {2, 3}, {3, 1}, {2, 0.5}}, hole), std::vector<double>{1.0});
    // Touching it at a vertex and running along its right edge.
    EXPECT_EQ(MaskBehindSquare({{1, 2}, {3.5, 2}, {3.5, 1}, {2, 0.5}}, hole), std::vector<double>{1.0});
    // Sharing a stretch of its left edge.
    EXPECT_EQ(MaskBehindSquare({{0.5, 1}, {0.5, 3}, {2, 3}, {2, 1}}, hole), std::vector<double>{1.0});
}

// Runs A's contour and a square B = (0,0)-(2,2) at z = 0 seen from +Z; A runs
// along B's bottom edge and then turns behind B. Returns A's mask.
std::vector<double> MaskOfRunAlongEdge(bool mirrored) {
    std::vector<TXYZ> a = {{3, 0, 0}, {2, 0, 0}, {0, 0, 0}, {1, 1, -1}, {3, 1, -1}};
    std::vector<TXYZ> b = {{0, 0, 0}, {0, 2, 0}, {2, 2, 0}, {2, 0, 0}};
    if (mirrored) {
        for (auto* contour : {&a, &b}) {
            for (TXYZ& p : *contour) p.X = -p.X;
            std::reverse(contour->begin(), contour->end());
        }
    }
    ZVSDHandle h = ZVSDCreate();
    TZVSDData d;
    _ZVSDGetData(h, &d);
    d.ProjectProc = Project;
    d.DepthProc = Depth;
    _ZVSDSetData(h, &d);
    ZVSDSetChanging(h, 1);
    ZVSDAddContour(h, 5, a.data());
    ZVSDAddContour(h, 4, b.data());
    ZVSDSetChanging(h, 0);
    std::vector<double> mask = MaskOf(h, 0);
    EXPECT_EQ(MaskOf(h, 1), std::vector<double>{1.0});
    ZVSDFree(h);
    return mask;
}

TEST(Visibility, AnEdgeRunningAlongAFrontFacesOutlineStaysVisible) {
    // Hidden from where A leaves B's bottom edge into B to where it leaves B.
    EXPECT_EQ(MaskOfRunAlongEdge(false), (std::vector<double>{1.0, 2.0, 3.5}));
    // Mirrored and reversed: A runs into B first and reaches the edge at vertex 2.
    EXPECT_EQ(MaskOfRunAlongEdge(true), (std::vector<double>{1.0, 0.5, 2.0}));
}

}  // namespace
