#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "recording_device.h"

namespace zv::test {
namespace {

struct PickScene : SquareScene {
    std::vector<TComponent*> PickTargets(int32_t x, int32_t y, const TList* exclude = nullptr) {
        THittypeList hits;
        device->Pick(x, y, exclude, hits);
        std::vector<TComponent*> targets;
        for (int32_t i = 0; i < hits.Count(); ++i) targets.push_back(hits.Items(i)->Target());
        return targets;
    }
};

// Oracle: the square's outline, axis-parallel in pixels, meets the square
// of half-size 10 around the pixel.
bool OutlineMeets(const TXYZ& origin, double size, int32_t x, int32_t y) {
    const double l = 90 + 30 * origin.X, r = l + 30 * size;
    const double b = 90 - 30 * origin.Y, t = b - 30 * size;
    const double pl = x - 10, pr = x + 10, pt = y - 10, pb = y + 10;
    auto overlaps = [](double a0, double a1, double b0, double b1) { return a0 <= b1 && b0 <= a1; };
    bool vertical = overlaps(t, b, pt, pb) && ((l >= pl && l <= pr) || (r >= pl && r <= pr));
    bool horizontal = overlaps(l, r, pl, pr) && ((t >= pt && t <= pb) || (b >= pt && b <= pb));
    return vertical || horizontal;
}

TEST(Pick, FindsTheGrobsUnderThePixelSortedByDepth) {
    std::mt19937 random(15);
    std::uniform_real_distribution<double> coordinate(-2.5, 1.5), size(0.3, 1.5);
    for (int round = 0; round < 12; ++round) {
        PickScene s;
        std::vector<std::pair<TXYZ, TSquareGrob*>> squares;
        for (int i = 0; i < 8; ++i) {
            const TXYZ origin{coordinate(random), coordinate(random), -1.0 + 0.2 * i};
            squares.emplace_back(origin, s.Add(origin, size(random)));
        }
        for (int probe = 0; probe < 25; ++probe) {
            const int32_t x = static_cast<int32_t>(random() % 180), y = static_cast<int32_t>(random() % 180);
            std::vector<TComponent*> expected;
            for (auto [origin, square] : squares)
                if (OutlineMeets(origin, square->Size, x, y)) expected.push_back(square);
            // Nearer to the viewer (larger z) is less deep; the deepest comes first.
            EXPECT_EQ(s.PickTargets(x, y), expected) << "round " << round << " pixel " << x << "," << y;
            EXPECT_TRUE(s.device->GetRenderMode() == kRenderMode && s.device->CullFace());
        }
    }
}

TEST(Pick, SkippedGrobsAndCulledOutlinesAreNeverHit) {
    PickScene s;
    TSquareGrob* noHit = s.Add({0, 0, 0}, 1);
    TSquareGrob* noCatch = s.Add({0, 0, 0.1}, 1);
    TSquareGrob* excluded = s.Add({0, 0, 0.2}, 1);
    TSquareGrob* reversed = s.Add({0, 0, 0.3}, 1);
    TSquareGrob* plain = s.Add({0, 0, 0.4}, 1);
    noHit->NoHit = true;
    noCatch->CatchEnabled = false;
    reversed->Reversed = true;
    TList exclude;
    exclude.Add(excluded);
    EXPECT_EQ(s.PickTargets(90, 90, &exclude), std::vector<TComponent*>{plain});
    s.device->SetClockwise(false);
    EXPECT_EQ(s.PickTargets(90, 90, &exclude), std::vector<TComponent*>{reversed});
    EXPECT_TRUE(s.PickTargets(300, -40).empty());  // outside the viewport
}

TEST(Pick, PolylineHitsTakeTheDepthOfTheirPointNearestThePixel) {
    PickScene s;
    // Both outlines have a corner at the pixel. The tilted one recedes to
    // z = 0.58 inside the pick square, so its depth range there is centred
    // above the flat one at z = 0.15; at the corner itself it is at z = 0.
    TSquareGrob* tilted = s.Add({0, 0, 0}, 1);
    TProjectionBase base = kDefaultProjection;
    base.XAxis = {0.5, 0, std::sqrt(0.75)};
    base.ZAxis = {-std::sqrt(0.75), 0, 0.5};
    tilted->SetBase(base);
    TSquareGrob* flat = s.Add({0, 0, 0.15}, 1);
    THittypeList hits;
    ASSERT_TRUE(s.device->Pick(90, 90, nullptr, hits));
    ASSERT_EQ(hits.Count(), 2);
    auto* first = static_cast<TPickHit*>(hits.Items(0));
    auto* second = static_cast<TPickHit*>(hits.Items(1));
    EXPECT_TRUE(first->Target() == tilted && second->Target() == flat);  // Depth is -z: the deeper first
    EXPECT_LT(std::abs(first->Depth) + std::abs(second->Depth + 0.15), 1e-6);
    EXPECT_LT(std::abs(first->Point.X) + std::abs(first->Point.Y) + std::abs(first->Point.Z), 1e-6);
    EXPECT_NEAR(second->Point.Z, 0.15, 1e-6);
    EXPECT_TRUE(second->Kind == 2 && second->Index == 0);  // a polyline, the first of its list
    EXPECT_NEAR(second->Matrix[3 * 4 + 2], 0.15, 1e-9);  // the grob's translation
}

TEST(Pick, AFullSelectBufferKeepsTheRecordsThatFit) {
    PickScene s;
    s.Add({0, 0, 0}, 1)->Copies = 600;
    THittypeList hits;
    EXPECT_TRUE(s.device->Pick(90, 90, nullptr, hits));
    EXPECT_TRUE(s.device->GetHitCount() == -1 && hits.Count() > 100 && hits.Count() < 600) << hits.Count();
}

}  // namespace
}  // namespace zv::test
