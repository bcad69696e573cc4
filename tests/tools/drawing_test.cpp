#include "drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "drafting.h"

namespace zv::tool {
namespace {

// What the lines on y = 0 show at x = (i + 0.5) / 4: bit 1 hidden, bit 2 visible.
std::map<int, int> CoverAlongX(const Drawing& drawing) {
    std::map<int, int> cover;
    for (int hidden = 0; hidden < 2; ++hidden) {
        for (const Polyline& line : hidden ? drawing.hidden : drawing.visible) {
            for (size_t k = 1; k < line.size(); ++k) {
                if (line[k].y != 0 || line[k - 1].y != 0) continue;
                const double a = std::min(line[k - 1].x, line[k].x), b = std::max(line[k - 1].x, line[k].x);
                for (int i = 0; i < 80; ++i) cover[i] |= (a < (i + 0.5) / 4 && (i + 0.5) / 4 < b) ? (hidden ? 1 : 2) : 0;
            }
        }
    }
    return cover;
}

// Random stretches along one line, ends on a grid of halves: afterwards the
// visible ones cover what they covered, hidden ones only the rest, no length
// is drawn twice, and hidden stretches neither overlap nor touch.
TEST(Drafting, VisibleWinsOverlapsMergeAndNothingIsDrawnTwice) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> at(0, 40);
    for (int round = 0; round < 100; ++round) {
        Drawing drawing;
        for (int k = 0; k < 6; ++k) {
            const double a = at(random) / 2.0, b = at(random) / 2.0;
            if (a != b) (k % 2 ? drawing.hidden : drawing.visible).push_back({{a, 0}, {b, 0}});
        }
        drawing.visible.push_back({{0, 1}, {1, 2}});  // another line, off the axis
        const std::map<int, int> before = CoverAlongX(drawing);
        ApplyDraftingConventions(drawing);
        const std::map<int, int> after = CoverAlongX(drawing);
        int covered = 0;
        for (auto [i, shown] : before) {
            EXPECT_EQ(after.at(i), shown == 0 ? 0 : shown & 2 ? 2 : 1) << "round " << round << " at " << i;
            covered += shown != 0;
        }
        EXPECT_NEAR(LengthOf(drawing.visible) + LengthOf(drawing.hidden) - std::sqrt(2.0), 0.25 * covered, 1e-9);
        std::vector<std::pair<double, double>> hidden;
        for (const Polyline& line : drawing.hidden) {
            hidden.push_back({std::min(line.front().x, line.back().x), std::max(line.front().x, line.back().x)});
        }
        std::sort(hidden.begin(), hidden.end());
        for (size_t k = 1; k < hidden.size(); ++k) EXPECT_GT(hidden[k].first, hidden[k - 1].second);
    }
}

TEST(Drafting, DuplicatesInEitherDirectionAreDrawnOnce) {
    Drawing drawing;
    drawing.visible = {{{0, 0}, {2, 1}}, {{2, 1}, {0, 0}}, {{0, 0}, {0, 3}}, {{0, 0}, {0, 3}}, {{0, 3}, {0, 0}}};
    drawing.hidden = {{{0, 3}, {0, 1}}, {{5, 5}, {6, 5}}, {{6, 5}, {5, 5}}};
    ApplyDraftingConventions(drawing);
    EXPECT_DOUBLE_EQ(LengthOf(drawing.visible), 3 + std::sqrt(5.0));
    EXPECT_DOUBLE_EQ(LengthOf(drawing.hidden), 1);
}

// Random segments between the points of a 3 x 3 grid (0 also as -0.0):
// joining keeps every segment once and goes on while an unused line meets an
// end, so no two joined lines end at one point.
TEST(JoinPolylines, KeepsEverySegmentAndLeavesNoLinesToJoin) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> at(0, 8), sign(0, 1);
    auto key = [](Point2 a, Point2 b) {
        const std::pair p{a.x + 0.0, a.y + 0.0}, q{b.x + 0.0, b.y + 0.0};
        return p < q ? std::pair{p, q} : std::pair{q, p};
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<Polyline> lines;
        std::multiset<std::pair<std::pair<double, double>, std::pair<double, double>>> before, after;
        for (int k = 0; k < 12; ++k) {
            const int a = at(random), b = at(random);
            if (a == b) continue;
            auto point = [&](int i) { return Point2{i % 3 == 0 && sign(random) ? -0.0 : i % 3, double(i / 3)}; };
            lines.push_back({point(a), point(b)});
            before.insert(key(lines.back()[0], lines.back()[1]));
        }
        JoinPolylines(lines);
        std::vector<std::pair<double, double>> ends;
        for (const Polyline& line : lines) {
            for (size_t k = 1; k < line.size(); ++k) after.insert(key(line[k - 1], line[k]));
            ends.push_back({line.front().x + 0.0, line.front().y});
            if (key(line.front(), line.front()) != key(line.back(), line.back())) ends.push_back({line.back().x + 0.0, line.back().y});
        }
        EXPECT_EQ(after, before) << "round " << round;
        std::sort(ends.begin(), ends.end());
        EXPECT_EQ(std::adjacent_find(ends.begin(), ends.end()), ends.end()) << "round " << round;
    }
}

}  // namespace
}  // namespace zv::tool
