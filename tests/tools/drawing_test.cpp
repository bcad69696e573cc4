#include "drawing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "progress.h"

namespace zv::tool {
namespace {

TEST(Drawing, AddSegmentContinuesOnlyAtTheExactEnd) {
    std::vector<Polyline> lines;
    AddSegment(lines, {0, 0}, {1, 0});
    AddSegment(lines, {1, 0}, {1, 1});
    AddSegment(lines, {1, 1.0000001}, {2, 2});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 3u);
}

TEST(Drawing, JoinPolylinesLinksEndsInEitherDirection) {
    std::vector<Polyline> lines = {{{1, 0}, {2, 0}}, {{3, 0}, {2, 0}}, {{0, 0}, {1, 0}}, {{5, 5}, {6, 6}}};
    JoinPolylines(lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 4u);
    EXPECT_DOUBLE_EQ(LengthOf(lines), 3 + std::sqrt(2.0));
    double xs[4];
    for (int k = 0; k < 4; ++k) xs[k] = lines[0][k].x;
    EXPECT_TRUE((xs[0] == 0 && xs[3] == 3) || (xs[0] == 3 && xs[3] == 0));
}

TEST(Drawing, ExtentWithAndWithoutHidden) {
    Drawing drawing;
    drawing.visible = {{{0, 0}, {1, 2}}};
    drawing.hidden = {{{-5, 0}, {0, 0}}};
    EXPECT_EQ(ExtentOf(drawing, false).min.x, 0);
    EXPECT_EQ(ExtentOf(drawing, true).min.x, -5);
    EXPECT_TRUE(ExtentOf(Drawing{}, true).empty);
}

TEST(Progress, TextShowsTheFractionClampedAndTheTimeLeft) {
    const std::string empty = "[" + std::string(30, ' ') + "]";
    EXPECT_EQ(ProgressText(0.25, 3), "[#######" + std::string(23, ' ') + "]  25%, about 9 s left");
    EXPECT_EQ(ProgressText(7, 3), "[" + std::string(30, '#') + "] 100%");
    EXPECT_EQ(ProgressText(0, 3), empty + "   0%");
    EXPECT_EQ(ProgressText(0.1, 600), "[###" + std::string(27, ' ') + "]  10%, about 90 min left");
    EXPECT_EQ(ProgressText(-1, 12.4), "12 s");
}

}  // namespace
}  // namespace zv::tool
