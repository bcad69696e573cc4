#include "hidden/candidate_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "hidden/parallel_run.h"

namespace zv {
namespace {

// A rectangle that covers more cells than this is kept out of the grid and
// tested against every query instead.
constexpr int64_t MaxCellsPerRect = 64;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}

// A grid needs a finite extent: rectangles far beyond the range of Doubles
// (a projection gone wild) are tested pair by pair instead.
bool GridFits(const std::vector<TGroupRect>& rects) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    for (size_t k = 0; k < rects.size(); ++k) {
        const TRect2D& b = rects[k].Bounds;
        if (!std::isfinite(b.X1) || !std::isfinite(b.Y1) || !std::isfinite(b.X2) || !std::isfinite(b.Y2)) return false;
        x1 = k == 0 ? b.X1 : std::min(x1, b.X1);
        y1 = k == 0 ? b.Y1 : std::min(y1, b.Y1);
        x2 = k == 0 ? b.X2 : std::max(x2, b.X2);
        y2 = k == 0 ? b.Y2 : std::max(y2, b.Y2);
    }
    return std::isfinite(x2 - x1) && std::isfinite(y2 - y1) && (x2 - x1) < 1e300 && (y2 - y1) < 1e300;
}

}  // namespace

// A uniform grid of square cells over the rectangles; each cell lists the
// slots of the rectangles that cover it, in increasing slot order.
class TRectGrid {
public:
    TRectGrid(const std::vector<TGroupRect>& rects, std::vector<double> tops)
        : rects_(rects), tops_(std::move(tops)) {
        if (rects.empty()) return;
        double x1 = rects[0].Bounds.X1, y1 = rects[0].Bounds.Y1, x2 = rects[0].Bounds.X2, y2 = rects[0].Bounds.Y2;
        std::vector<double> sizes;
        sizes.reserve(rects.size());
        for (const TGroupRect& r : rects) {
            x1 = std::min(x1, r.Bounds.X1);
            y1 = std::min(y1, r.Bounds.Y1);
            x2 = std::max(x2, r.Bounds.X2);
            y2 = std::max(y2, r.Bounds.Y2);
            sizes.push_back(std::max(r.Bounds.X2 - r.Bounds.X1, r.Bounds.Y2 - r.Bounds.Y1));
        }
        x0_ = x1;
        y0_ = y1;
        double cell = std::max(Median(sizes), 1e-9);
        const double cellLimit = 2.0 * static_cast<double>(rects.size()) + 16.0;
        double nx = std::floor((x2 - x1) / cell) + 1, ny = std::floor((y2 - y1) / cell) + 1;
        if (nx * ny > cellLimit) {
            cell *= std::sqrt(nx * ny / cellLimit);
            nx = std::floor((x2 - x1) / cell) + 1;
            ny = std::floor((y2 - y1) / cell) + 1;
            while (nx * ny > cellLimit) {
                cell *= 1.25;
                nx = std::floor((x2 - x1) / cell) + 1;
                ny = std::floor((y2 - y1) / cell) + 1;
            }
        }
        inverse_ = 1.0 / cell;
        nx_ = static_cast<int32_t>(nx);
        ny_ = static_cast<int32_t>(ny);
        Fill();
    }

    void Start(const TRect2D& r, int32_t own, double floor, TCandidateScratch& w) const {
        int32_t cx1, cy1, cx2, cy2;
        CellRange(r, cx1, cy1, cx2, cy2);
        w.Streams.clear();
        for (int32_t cy = cy1; cy <= cy2; ++cy)
            for (int32_t cx = cx1; cx <= cx2; ++cx) {
                const int64_t c = static_cast<int64_t>(cy) * nx_ + cx;
                if (cellStart_[c] < cellStart_[c + 1]) w.Streams.push_back({cellStart_[c], cellStart_[c + 1], cx, cy});
            }
        w.Query = r;
        w.Own = own;
        w.Floor = tops_.empty() ? -std::numeric_limits<double>::infinity() : floor;
        w.Cx1 = cx1;
        w.Cy1 = cy1;
        w.LargeAt = 0;
        if (w.Streams.size() > MaxMergedStreams) CollectAll(w);
    }

    // The streams hold their cells' rectangles in increasing slot order and
    // each rectangle is taken only in the first cell it shares with the
    // query, so the smallest head of all streams is the next candidate.
    bool Next(TCandidateScratch& w, int32_t& outer) const {
        int32_t best = std::numeric_limits<int32_t>::max();
        TCandidateScratch::TStream* from = nullptr;
        for (TCandidateScratch::TStream& st : w.Streams) {
            while (st.At < st.End) {
                // A block whose highest top lies below the floor holds nothing for this walk.
                if (st.At % TopBlock == 0 && blockTops_[static_cast<size_t>(st.At / TopBlock)] < w.Floor) {
                    st.At = std::min(st.At + TopBlock, st.End);
                    continue;
                }
                if (Takes(w, st)) break;
                ++st.At;
            }
            if (st.At < st.End && cellRects_[static_cast<size_t>(st.At)].Outer < best) {
                best = cellRects_[static_cast<size_t>(st.At)].Outer;
                from = &st;
            }
        }
        for (; w.LargeAt < large_.size(); ++w.LargeAt) {
            const size_t s = static_cast<size_t>(large_[w.LargeAt]);
            if (!Disjoint(w.Query, rects_[s].Bounds) && rects_[s].Outer != w.Own && !Below(s, w.Floor)) break;
        }
        const bool large = w.LargeAt < large_.size() && rects_[static_cast<size_t>(large_[w.LargeAt])].Outer < best;
        if (large) {
            outer = rects_[static_cast<size_t>(large_[w.LargeAt++])].Outer;
            return true;
        }
        if (!from) return false;
        outer = best;
        ++from->At;
        return true;
    }

private:
    // A query over more cells than this gets its candidates in one sorted
    // list (see CollectAll): merging the streams costs a pass over all of
    // them per candidate.
    static constexpr size_t MaxMergedStreams = 64;

    // The walk's whole sequence at once, into w.Found: the same candidates
    // as Next gives, sorted.
    void CollectAll(TCandidateScratch& w) const {
        w.Found.clear();
        for (TCandidateScratch::TStream& st : w.Streams)
            while (st.At < st.End) {
                if (st.At % TopBlock == 0 && blockTops_[static_cast<size_t>(st.At / TopBlock)] < w.Floor) {
                    st.At = std::min(st.At + TopBlock, st.End);
                    continue;
                }
                if (Takes(w, st)) w.Found.push_back(cellRects_[static_cast<size_t>(st.At)].Outer);
                ++st.At;
            }
        for (int32_t s : large_) {
            const TGroupRect& r = rects_[static_cast<size_t>(s)];
            if (!Disjoint(w.Query, r.Bounds) && r.Outer != w.Own && !Below(static_cast<size_t>(s), w.Floor))
                w.Found.push_back(r.Outer);
        }
        std::sort(w.Found.begin(), w.Found.end());
        w.List = &w.Found;
        w.ListAt = 0;
    }

    bool Below(size_t slot, double floor) const { return !tops_.empty() && tops_[slot] < floor; }
    bool Takes(const TCandidateScratch& w, const TCandidateScratch::TStream& st) const {
        const size_t k = static_cast<size_t>(st.At);
        const TGroupRect& e = cellRects_[k];
        if (Disjoint(w.Query, e.Bounds) || e.Outer == w.Own || cellTops_[k] < w.Floor) return false;
        return st.Cx == std::max(w.Cx1, Cell(e.Bounds.X1, x0_, nx_)) && st.Cy == std::max(w.Cy1, Cell(e.Bounds.Y1, y0_, ny_));
    }
    static bool Disjoint(const TRect2D& a, const TRect2D& b) {
        return a.X1 > b.X2 || b.X1 > a.X2 || a.Y1 > b.Y2 || b.Y1 > a.Y2;
    }
    int32_t Cell(double v, double origin, int32_t n) const {
        const double c = std::floor((v - origin) * inverse_);
        if (!(c > 0)) return 0;
        return c >= n - 1 ? n - 1 : static_cast<int32_t>(c);
    }
    void CellRange(const TRect2D& r, int32_t& cx1, int32_t& cy1, int32_t& cx2, int32_t& cy2) const {
        cx1 = Cell(r.X1, x0_, nx_);
        cx2 = Cell(r.X2, x0_, nx_);
        cy1 = Cell(r.Y1, y0_, ny_);
        cy2 = Cell(r.Y2, y0_, ny_);
    }
    int64_t CellsOf(const TRect2D& r) const {
        int32_t cx1, cy1, cx2, cy2;
        CellRange(r, cx1, cy1, cx2, cy2);
        return static_cast<int64_t>(cx2 - cx1 + 1) * (cy2 - cy1 + 1);
    }
    void Fill() {
        const int64_t cells = static_cast<int64_t>(nx_) * ny_;
        cellStart_.assign(static_cast<size_t>(cells + 1), 0);
        largeFlag_.assign(rects_.size(), 0);
        for (size_t s = 0; s < rects_.size(); ++s) {
            if (CellsOf(rects_[s].Bounds) > MaxCellsPerRect) {
                largeFlag_[s] = 1;
                large_.push_back(static_cast<int32_t>(s));
                continue;
            }
            ForCells(rects_[s].Bounds, [&](int64_t c) { ++cellStart_[c + 1]; });
        }
        for (int64_t c = 0; c < cells; ++c) cellStart_[c + 1] += cellStart_[c];
        cellRects_.resize(static_cast<size_t>(cellStart_[cells]));
        cellTops_.assign(cellRects_.size(), std::numeric_limits<double>::infinity());
        std::vector<int64_t> fill(cellStart_.begin(), cellStart_.end() - 1);
        for (size_t s = 0; s < rects_.size(); ++s)
            if (!largeFlag_[s])
                ForCells(rects_[s].Bounds, [&](int64_t c) {
                    if (!tops_.empty()) cellTops_[static_cast<size_t>(fill[c])] = tops_[s];
                    cellRects_[static_cast<size_t>(fill[c]++)] = rects_[s];
                });
        blockTops_.assign(cellTops_.size() / TopBlock + 1, -std::numeric_limits<double>::infinity());
        for (size_t k = 0; k < cellTops_.size(); ++k)
            blockTops_[k / TopBlock] = std::max(blockTops_[k / TopBlock], cellTops_[k]);
    }
    template <class F>
    void ForCells(const TRect2D& r, F f) const {
        int32_t cx1, cy1, cx2, cy2;
        CellRange(r, cx1, cy1, cx2, cy2);
        for (int32_t cy = cy1; cy <= cy2; ++cy)
            for (int32_t cx = cx1; cx <= cx2; ++cx) f(static_cast<int64_t>(cy) * nx_ + cx);
    }

    const std::vector<TGroupRect>& rects_;
    double x0_ = 0, y0_ = 0, inverse_ = 1;
    int32_t nx_ = 1, ny_ = 1;
    std::vector<int64_t> cellStart_;
    const std::vector<double> tops_;
    std::vector<TGroupRect> cellRects_;  // per cell, in increasing slot order
    std::vector<double> cellTops_;       // the tops of cellRects_
    static constexpr int64_t TopBlock = 16;
    std::vector<double> blockTops_;  // the highest of every TopBlock tops in a row
    std::vector<int32_t> large_;
    std::vector<char> largeFlag_;
};

namespace {

// The candidates of slot s by testing every other rectangle.
void TestEveryRect(const std::vector<TGroupRect>& rects, int32_t s, std::vector<int32_t>& out) {
    const TRect2D& own = rects[static_cast<size_t>(s)].Bounds;
    for (size_t t = 0; t < rects.size(); ++t)
        if (static_cast<int32_t>(t) != s && !RectsDisjoint(own, rects[t].Bounds)) out.push_back(rects[t].Outer);
}

}  // namespace

TCandidateTable::TCandidateTable() = default;
TCandidateTable::~TCandidateTable() = default;

bool TCandidateTable::Build(const std::vector<TGroupRect>& rects, bool useGrid, int32_t threads,
                            const std::function<bool()>& poll, std::atomic<bool>& stop, std::vector<double> tops) {
    rects_ = &rects;
    grid_.reset();
    lists_.clear();
    const int32_t n = static_cast<int32_t>(rects.size());
    if (n == 0) return true;
    if (useGrid && GridFits(rects)) {
        grid_ = std::make_unique<TRectGrid>(rects, std::move(tops));
        return true;
    }
    lists_.assign(rects.size(), {});
    TChunkCounter counter(n, 256);
    auto work = [&](int32_t worker) {
        int32_t first, last;
        while (!stop && counter.Next(first, last)) {
            for (int32_t s = first; s < last && !stop; ++s) {
                TestEveryRect(rects, s, lists_[static_cast<size_t>(s)]);
                if (worker == 0 && poll && !poll()) stop = true;
            }
        }
    };
    std::function<void()> idle;
    if (poll) idle = [&] { if (!poll()) stop = true; };
    RunOnThreads(threads, work, idle, stop);
    return !stop;
}

void TCandidateTable::Start(int32_t s, const TRect2D& query, double floor, TCandidateScratch& scratch) const {
    scratch.List = nullptr;
    scratch.ListAt = 0;
    if (!grid_) {
        scratch.List = &lists_[static_cast<size_t>(s)];
        return;
    }
    grid_->Start(query, (*rects_)[static_cast<size_t>(s)].Outer, floor, scratch);
}

bool TCandidateTable::Next(TCandidateScratch& scratch, int32_t& outer) const {
    if (scratch.List) {
        if (scratch.ListAt >= scratch.List->size()) return false;
        outer = (*scratch.List)[scratch.ListAt++];
        return true;
    }
    return grid_->Next(scratch, outer);
}

}  // namespace zv
