// TCandidateTable: for every front-facing group, the other front-facing
// groups whose bounding rectangles are not disjoint from its own, in
// increasing item order. These are the only groups that can hide anything of
// the group's contours. Found through a uniform grid over the rectangles
// when asked for, or listed in advance by testing every pair.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "geometry/polygon2d.h"

namespace zv {

struct TGroupRect {
    int32_t Outer = 0;  // item index of the group's outer contour
    TRect2D Bounds{};   // finite
};

class TRectGrid;

// Working storage of one thread's queries.
struct TCandidateScratch {
    std::vector<int32_t> Found;  // the sorted candidates of a query over many cells
    // The walk of Start/Next: one stream per grid cell of the query.
    struct TStream {
        int64_t At, End;
        int32_t Cx, Cy;
    };
    std::vector<TStream> Streams;
    TRect2D Query{};
    int32_t Own = -1;
    double Floor = 0;
    int32_t Cx1 = 0, Cy1 = 0;
    size_t LargeAt = 0;
    const std::vector<int32_t>* List = nullptr;  // walked instead of the grid when set
    size_t ListAt = 0;
};

class TCandidateTable {
public:
    TCandidateTable();
    ~TCandidateTable();
    TCandidateTable(const TCandidateTable&) = delete;
    TCandidateTable& operator=(const TCandidateTable&) = delete;

    // rects: one per front-facing group, in increasing Outer order; they
    // must outlive the table. With useGrid the rectangles are sorted into a
    // grid and each group's candidates are found when asked for, so the
    // table holds no lists. Without it every pair is tested now: threads > 1
    // shares the groups among threads (no host code runs here); poll is
    // called on the calling thread between groups and stops the build by
    // returning false. Returns false when stopped.
    // tops (empty, or one per slot): a group whose top lies below a walk's
    // floor is left out of that walk (see Start).
    bool Build(const std::vector<TGroupRect>& rects, bool useGrid, int32_t threads,
               const std::function<bool()>& poll, std::atomic<bool>& stop, std::vector<double> tops = {});

    // A walk over the candidates of the group in slot s (its position in
    // rects), one at a time in increasing item order, mostly without
    // building a list: the groups whose rectangle meets query (which lies
    // within slot s's rectangle), except those whose top lies below floor.
    // Next gives the next one; false at the end.
    void Start(int32_t s, const TRect2D& query, double floor, TCandidateScratch& scratch) const;
    bool Next(TCandidateScratch& scratch, int32_t& outer) const;

private:
    const std::vector<TGroupRect>* rects_ = nullptr;
    std::unique_ptr<TRectGrid> grid_;
    std::vector<std::vector<int32_t>> lists_;
};

}  // namespace zv
