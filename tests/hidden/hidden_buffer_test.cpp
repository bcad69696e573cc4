#include "hidden/hidden_buffer.h"
#include "hidden/stretch_mask.h"

#include <gtest/gtest.h>

#include "owned_array.h"
#include "runtime/exception.h"

#include <cmath>
#include <vector>

namespace zv {
namespace {

TPointArray View(const std::vector<TXYZ>& points) {
    return ArrayView(points.data(), 24, static_cast<int32_t>(points.size()));
}

const std::vector<TXYZ> square = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};

// A buffer that counts its calculations.
struct CountingBuffer : TzvHiddenbuffer {
    int calculations = 0;
    CountingBuffer() {
        OnBeginCalc = [this](TzvHiddenbuffer*) { ++calculations; };
    }
};

TEST(HiddenBuffer, StoresOpenContoursClosedAndClosedOnesUnchanged) {
    TzvHiddenbuffer buffer;
    buffer.AddContour(View(square));
    std::vector<TXYZ> closed = square;
    closed.push_back(TXYZ{0, 0, 0.000001});  // equal to the first within the tolerance
    buffer.AddHole(View(closed));
    ASSERT_EQ(buffer.Count(), 2);
    EXPECT_EQ(buffer.Items(0)->Points.Count, 5);
    EXPECT_EQ(buffer.Items(0)->Points.At<TXYZ>(4).X, 0.0);
    EXPECT_EQ(buffer.Items(1)->Points.Count, 5);
    EXPECT_EQ(buffer.Items(1)->Points.At<TXYZ>(4).Z, 0.000001);
    EXPECT_TRUE(buffer.Items(1)->IsHole && !buffer.Items(0)->IsHole);
}

// Rejected contours neither calculate nor leave the bracket of the add open.
TEST(HiddenBuffer, RejectsDegenerateContours) {
    CountingBuffer buffer;
    // (Non-finite coordinates: see the hardening tests of the exports.)
    std::vector<std::vector<TXYZ>> bad = {
        {{0, 0, 0}}, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {0, 1e-3, 0}, {1e-3, 0, 0}},  // normal below the tolerance
    };
    for (const auto& contour : bad) {
        buffer.AddContour(View(contour));
        buffer.AddHole(View(contour));
    }
    // A finite normal too long for a Double: passes the checks, but no frame can be built.
    const double s = 1.2247e154;
    EXPECT_THROW(buffer.AddContour(View({{0, 0, 0}, {s, 0, s}, {0, s, 0}})), Exception);
    EXPECT_EQ(buffer.Count(), 0);
    EXPECT_EQ(buffer.calculations, 0);
    buffer.AddContour(View(square));
    EXPECT_EQ(buffer.calculations, 1);
}

// An unmatched close makes the bracket counter negative, so that the next
// add's opening call reaches 0 and calculates before the contour is stored.
// (Nesting: see the bracket test of the exports.)
TEST(HiddenBuffer, AnUnmatchedCloseCalculatesAtTheNextAddBeforeItStores) {
    CountingBuffer buffer;
    buffer.AddContour(View(square));
    buffer.SetChanging(false);
    EXPECT_EQ(buffer.ChangeCount, -1);
    int countSeen = -1;
    buffer.OnEndCalc = [&](TzvHiddenbuffer* b) { countSeen = b->Count(); };
    buffer.AddContour(View(square));
    EXPECT_EQ(buffer.calculations, 2);
    EXPECT_EQ(countSeen, 1);
    EXPECT_EQ(buffer.Count(), 2);
}

// Hidden stretches to masks: every case keeps the mask cyclic (the state
// after the last toggle is the state at the start).
TEST(MaskSteps, StretchMaskWritesCyclicMasks) {
    struct Case {
        std::vector<TStretch> hidden;
        std::vector<double> mask;
    } cases[] = {
        {{}, {1.0}},
        {{{1.25, 1.75}}, {1.0, -1.25, 1.75}},
        {{{3.5, 4.5}}, {-1.0, 0.5, -3.5}},                 // through the start
        {{{0.0, 2.0}}, {-1.0, 2.0, -4.0}},                 // from the start: the change is written at the end
        {{{2.0, 4.0}}, {1.0, -2.0, 4.0}},                  // up to the end
        {{{0.0, 4.0}}, {-1.0}},                            // everything
        {{{1.0, 2.0}, {1.99999, 3.0}}, {1.0, -1.0, 3.0}},  // joined across a gap within the tolerance
        {{{1.0, 1.00001}}, {1.0}},                         // shorter than the tolerance: left out
        {{{0.000001, 1.0}}, {-1.0, 1.0, -4.0}},            // snapped to the start
        {{{4.5, 5.25}}, {1.0, -0.5, 1.25}},                // a whole turn on
    };
    for (const Case& c : cases) {
        OwnedArray<double> m;
        StretchMask(c.hidden, 4.0, m.a);
        EXPECT_EQ(ValuesOf<double>(m.a), c.mask);
    }
}

}  // namespace
}  // namespace zv
