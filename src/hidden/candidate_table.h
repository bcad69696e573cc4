// TCandidateTable: for every front-facing group, the other front-facing
// groups whose bounding rectangles are not disjoint from its own, in
// increasing item order. These are the only groups that can hide anything of
// the group's contours. Found through a uniform grid over the rectangles, or
// by testing every pair.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "geometry/polygon2d.h"

namespace zv {

struct TGroupRect {
    int32_t Outer = 0;  // item index of the group's outer contour
    TRect2D Bounds{};   // finite
};

class TCandidateTable {
public:
    // rects: one per front-facing group, in increasing Outer order. With
    // useGrid false every pair is tested. threads > 1 shares the groups among
    // threads (no host code runs here); poll is called on the calling thread
    // between groups when every pair is tested, and stops the build by
    // returning false. Returns false when stopped.
    bool Build(const std::vector<TGroupRect>& rects, bool useGrid, int32_t threads,
               const std::function<bool()>& poll, std::atomic<bool>& stop);

    // Candidates of the group in slot s (its position in rects): item
    // indexes of outer contours, ascending.
    const std::vector<int32_t>& Of(int32_t s) const { return lists_[static_cast<size_t>(s)]; }
    int64_t PairCount() const;

private:
    std::vector<std::vector<int32_t>> lists_;
};

}  // namespace zv
