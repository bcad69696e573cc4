#include "hidden/outline_index.h"

#include <algorithm>
#include <cmath>

namespace zv {
namespace {

// A segment that would cover more cells than this is visited by every box
// and point query instead.
constexpr int64_t MaxCellsPerSegment = 16;

struct TSegBox {
    double X1, Y1, X2, Y2;
};

// Fills start/items as a bucket list: start[b]..start[b + 1] - 1 index the
// items of bucket b. each(k, add) calls add(b) for every bucket of item k.
template <class Each>
void FillBuckets(int32_t buckets, int32_t items, Each each, std::vector<int32_t>& start,
                 std::vector<int32_t>& out) {
    start.assign(static_cast<size_t>(buckets) + 1, 0);
    for (int32_t k = 0; k < items; ++k) each(k, [&](int64_t b) { ++start[static_cast<size_t>(b) + 1]; });
    for (int32_t b = 0; b < buckets; ++b) start[b + 1] += start[b];
    out.resize(static_cast<size_t>(start[buckets]));
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (int32_t k = 0; k < items; ++k) each(k, [&](int64_t b) { out[static_cast<size_t>(fill[b]++)] = k; });
}

}  // namespace

void TOutlineIndex::Reset() {
    count_ = 0;
    store_.reset();
}

void TOutlineIndex::Build(const TXYArray& outline, double reach) {
    Reset();
    const int32_t n = outline.Count;
    if (n < 2) return;
    double x1 = outline.At<TXY>(0).X, y1 = outline.At<TXY>(0).Y, x2 = x1, y2 = y1, scale = 0;
    for (int32_t k = 0; k < n; ++k) {
        const TXY& p = outline.At<TXY>(k);
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return;
        x1 = std::min(x1, p.X);
        y1 = std::min(y1, p.Y);
        x2 = std::max(x2, p.X);
        y2 = std::max(y2, p.Y);
        scale = std::max({scale, std::abs(p.X), std::abs(p.Y)});
    }
    // Twice the reach, plus room for the rounding of coordinates far from
    // the origin, so that no segment within the reach can be missed.
    const double margin = 2 * reach + scale * 1e-12;
    std::vector<TSegBox> boxes(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const TXY& p = outline.At<TXY>(k);
        const TXY& q = outline.At<TXY>((k + 1) % n);
        boxes[k] = {std::min(p.X, q.X) - margin, std::min(p.Y, q.Y) - margin, std::max(p.X, q.X) + margin,
                    std::max(p.Y, q.Y) + margin};
    }
    store_ = std::make_unique<TStore>();
    TStore& s = *store_;
    s.X0 = x1 - margin;
    s.Y0 = y1 - margin;
    const double w = x2 - x1 + 2 * margin, h = y2 - y1 + 2 * margin;
    // About one cell per segment, shaped like the outline's extent.
    const double side = std::sqrt(w * h / n);
    s.Nx = side > 0 ? static_cast<int32_t>(std::clamp(std::round(w / side), 1.0, static_cast<double>(n))) : 1;
    s.Ny = std::max(1, n / s.Nx);
    s.InvX = s.Nx / w;
    s.InvY = s.Ny / h;
    // Slabs thin enough for a few segments each, but not so thin that steep
    // segments fill them many times over.
    s.Slabs = n;
    for (;;) {
        s.InvSlab = s.Slabs / h;
        int64_t entries = 0;
        for (const TSegBox& b : boxes) entries += s.Slab(b.Y2) - s.Slab(b.Y1) + 1;
        if (entries <= 8 * static_cast<int64_t>(n) || s.Slabs == 1) break;
        s.Slabs = std::max(1, s.Slabs / 2);
    }
    std::vector<int32_t>& firstX = s.FirstX;
    std::vector<int32_t>& firstY = s.FirstY;
    firstX.resize(static_cast<size_t>(n));
    firstY.resize(static_cast<size_t>(n));
    std::vector<char> isLong(static_cast<size_t>(n), 0);
    for (int32_t k = 0; k < n; ++k) {
        const TSegBox& b = boxes[k];
        firstX[k] = s.CellX(b.X1);
        firstY[k] = s.CellY(b.Y1);
        const int64_t cells = static_cast<int64_t>(s.CellX(b.X2) - firstX[k] + 1) * (s.CellY(b.Y2) - firstY[k] + 1);
        if (cells > MaxCellsPerSegment) {
            isLong[k] = 1;
            s.Long.push_back(k);
        }
    }
    FillBuckets(
        s.Nx * s.Ny, n,
        [&](int32_t k, auto add) {
            if (isLong[k]) return;
            for (int32_t cy = firstY[k]; cy <= s.CellY(boxes[k].Y2); ++cy)
                for (int32_t cx = firstX[k]; cx <= s.CellX(boxes[k].X2); ++cx) add(static_cast<int64_t>(cy) * s.Nx + cx);
        },
        s.CellStart, s.CellSegs);
    FillBuckets(
        s.Slabs, n,
        [&](int32_t k, auto add) {
            for (int32_t slab = s.Slab(boxes[k].Y1); slab <= s.Slab(boxes[k].Y2); ++slab) add(slab);
        },
        s.SlabStart, s.SlabSegs);
    count_ = n;
}

}  // namespace zv
