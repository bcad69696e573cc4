// Visibility of outlines that touch, share stretches with or nearly touch the
// outline of a face in front of them, through the C interface. The viewer
// looks down the Z axis from +Z; projection drops Z.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hidden/test_host.h"

namespace {

using namespace zvsdtest;
using Outline = std::vector<TXY>;
using Contour = std::vector<TXYZ>;

Contour At(const Outline& xy, double z) {
    Contour points;
    for (const TXY& p : xy) points.push_back(TXYZ{p.X, p.Y, z});
    return points;
}

// One item as added: an outer contour or a hole.
struct Item {
    bool hole = false;
    Contour points;
};

// Adds the items in one bracket and returns every item's mask.
Masks MasksOf(const std::vector<Item>& items) {
    Host host;
    ZVSDHandle h = host.NewHandle();
    ZVSDSetChanging(h, 1);
    for (const Item& item : items) Add(h, item.points, item.hole);
    ZVSDSetChanging(h, 0);
    Masks masks = AllMasks(h);
    ZVSDFree(h);
    return masks;
}

const Outline kSquare = {{0, 4}, {4, 4}, {4, 0}, {0, 0}};  // clockwise: faces the viewer
const Outline kWideHole = {{0.5, 0.5}, {3.5, 0.5}, {3.5, 3.5}, {0.5, 3.5}};
const Outline kSmallHole = {{1, 1}, {1, 3}, {3, 3}, {3, 1}};

// The square at z = 1 (with a hole when given) and the back outline at z = 0;
// the front face itself always stays visible.
std::vector<double> MaskBehindSquare(const Outline& back, const Outline& hole = {}) {
    std::vector<Item> items{{false, At(kSquare, 1)}};
    if (!hole.empty()) items.push_back({true, At(hole, 1)});
    items.push_back({false, At(back, 0)});
    auto masks = MasksOf(items);
    EXPECT_EQ(masks.front(), std::vector<double>{1.0});
    return masks.back();
}

TEST(Visibility, OutlinesBehindASquareWithAndWithoutHole) {
    struct Case {
        const char* what;
        Outline back, hole;
        std::vector<double> mask;
    } cases[] = {
        {"touching the bottom edge at a vertex", {{1, 1}, {2, 3}, {3, 1}, {2, 0}}, {}, {-1.0}},
        // Inside but running along the face's outline: visible there (a shared silhouette).
        {"running along the right edge", {{1, 2}, {4, 2}, {4, 1}, {2, 0}}, {}, {-1.0, 1, 2}},
        {"touching top and bottom, along the right edge", {{2, 0}, {1, 2}, {3, 4}, {4, 2}, {4, 1}}, {}, {-1.0, 3, 4}},
        {"sharing a stretch of the left edge", {{0, 1}, {0, 3}, {2, 3}, {2, 1}}, {}, {1.0, 1, 4}},
        {"touching from outside along an edge", {{4, 0}, {4, 4}, {6, 4}, {6, 0}}, {}, {1.0}},
        {"inside a hole", {{1, 1}, {1, 3}, {3, 3}, {3, 1}}, kWideHole, {1.0}},
        {"touching a hole's edge at a vertex", {{1, 1}, {2, 3}, {3, 1}, {2, 0.5}}, kWideHole, {1.0}},
        {"along a hole's right edge", {{1, 2}, {3.5, 2}, {3.5, 1}, {2, 0.5}}, kWideHole, {1.0}},
        {"sharing a stretch of a hole's edge", {{0.5, 1}, {0.5, 3}, {2, 3}, {2, 1}}, kWideHole, {1.0}},
        // Runs along the hole's edge from 3 to 4: visible there, as along an outer edge.
        {"through a hole, along its edge",
         {{0.5, 0.5}, {0.5, 2}, {1.5, 2}, {1.5, 1}, {2.5, 1}, {2.8, 0.5}}, kSmallHole, {-1.0, 1.5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectMasksNear({MaskBehindSquare(c.back, c.hole)}, {c.mask}, 1e-9);
    }
}

// A long occluder edge met by a short edge whose end lies within a few
// tolerances of it, on either side: the cut there must not be lost, and a lost
// cut must never hide the whole outline.
TEST(Visibility, ShortEdgeEndingNearALongOccluderEdge) {
    const Outline front = {{0, 100}, {100, 100}, {100, 0}, {0, 0}};
    for (double d : {0.0, 1e-9, -1e-9, 1e-7, -1e-7, 5e-6, 8e-6, -8e-6, 1.2e-5, -1.2e-5, 1e-4, -1e-4}) {
        SCOPED_TRACE(d);
        const Outline back = {{50, 99.5}, {50, 100 + d}, {60, 150}, {60, 99.5}};
        auto masks = MasksOf({{false, At(front, 1)}, {false, At(back, 0)}});
        const std::vector<double>& mask = masks[1];
        ASSERT_EQ(mask.size(), 3u) << ::testing::PrintToString(mask);
        EXPECT_EQ(mask[0], -1.0);
        EXPECT_NEAR(mask[1], d > 0 ? 0.5 / (0.5 + d) : 1.0, 2e-5);  // where the outline leaves the square
        EXPECT_NEAR(mask[2], 2 + 50 / 50.5, 1e-9);
    }
}

// A hole whose vertices touch a front face's edge at three points (full
// precision matters): hidden on the edges inside the face, visible elsewhere.
TEST(Visibility, HoleTouchingAFrontFaceAtThreeVertices) {
    std::ifstream in(std::string(ZVHLR_HIDDEN_DATA) + "/touching-hole.txt");
    ASSERT_TRUE(in) << "touching-hole.txt";
    std::vector<Item> items;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        int count = 0;
        if (!(words >> kind >> count) || (kind != "contour" && kind != "hole")) continue;
        Item item{kind == "hole", {}};
        for (int k = 0; k < count && std::getline(in, line); ++k) {
            std::istringstream xyz(line);
            TXYZ p{};
            xyz >> p.X >> p.Y >> p.Z;
            item.points.push_back(p);
        }
        items.push_back(item);
    }
    ASSERT_EQ(items.size(), 3u);
    const std::vector<double> mask = MasksOf(items)[1];
    // Visibility in the middle of every edge, read off the mask.
    EXPECT_FALSE(zvtest::VisibleAt(mask, 0.5)) << ::testing::PrintToString(mask);
    for (int edge = 2; edge <= 5; ++edge) EXPECT_TRUE(zvtest::VisibleAt(mask, edge + 0.5)) << edge;
    EXPECT_FALSE(zvtest::VisibleAt(mask, 6.5));
}

}  // namespace
