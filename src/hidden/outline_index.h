// TOutlineIndex: the segments of one projected outline sorted into a small
// uniform grid (for box and point queries) and into horizontal slabs (for
// the even-odd ray test), so that an outline with many points is not walked
// whole for every contact, clearance or containment question. Queries return
// a superset of the segments that can matter; the callers apply the same
// exact tests as to the whole outline, so the answers do not change.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point_array.h"

namespace zv {

class TOutlineIndex {
public:
    // Outlines with fewer points are not worth an index.
    static constexpr int32_t MinPoints = 24;

    // Indexes the segments (k, k + 1 modulo the count) of a finite outline;
    // reach is the distance within which queries must find a segment.
    void Build(const TXYArray& outline, double reach);
    void Reset();
    // True when built for an outline of this many points.
    bool Ready(int32_t count) const { return count_ == count && count_ > 0; }

    // Calls visit(k) once for every segment whose box, widened by the reach,
    // meets the box [x1, x2] x [y1, y2].
    template <class Visit>
    void ForBox(double x1, double y1, double x2, double y2, Visit visit) const {
        const TStore& s = *store_;
        const int32_t qx1 = s.CellX(x1), qx2 = s.CellX(x2), qy1 = s.CellY(y1), qy2 = s.CellY(y2);
        for (int32_t cy = qy1; cy <= qy2; ++cy)
            for (int32_t cx = qx1; cx <= qx2; ++cx) {
                const int64_t c = static_cast<int64_t>(cy) * s.Nx + cx;
                for (int32_t e = s.CellStart[c]; e < s.CellStart[c + 1]; ++e) {
                    const int32_t k = s.CellSegs[e];
                    // A segment covers several cells: visit it in the first
                    // cell that both ranges share.
                    if (cx == (s.FirstX[k] > qx1 ? s.FirstX[k] : qx1) && cy == (s.FirstY[k] > qy1 ? s.FirstY[k] : qy1))
                        visit(k);
                }
            }
        for (int32_t k : s.Long) visit(k);
    }

    // Calls visit(k) for every segment whose widened box may hold the point
    // (each once).
    template <class Visit>
    void ForPoint(double x, double y, Visit visit) const {
        const TStore& s = *store_;
        const int64_t c = static_cast<int64_t>(s.CellY(y)) * s.Nx + s.CellX(x);
        for (int32_t e = s.CellStart[c]; e < s.CellStart[c + 1]; ++e) visit(s.CellSegs[e]);
        for (int32_t k : s.Long) visit(k);
    }

    // Calls visit(k) once for every segment whose y range may hold y.
    template <class Visit>
    void ForRow(double y, Visit visit) const {
        const TStore& s = *store_;
        const int32_t slab = s.Slab(y);
        for (int32_t e = s.SlabStart[slab]; e < s.SlabStart[slab + 1]; ++e) visit(s.SlabSegs[e]);
    }

private:
    // The buckets and the grid's shape, held only while built: most
    // outlines never get an index, and a buffer holds millions of outlines.
    struct TStore {
        double X0 = 0, Y0 = 0, InvX = 0, InvY = 0, InvSlab = 0;
        int32_t Nx = 1, Ny = 1, Slabs = 1;
        std::vector<int32_t> CellStart, CellSegs, FirstX, FirstY, Long;
        std::vector<int32_t> SlabStart, SlabSegs;
        int32_t CellX(double x) const { return Clamp((x - X0) * InvX, Nx); }
        int32_t CellY(double y) const { return Clamp((y - Y0) * InvY, Ny); }
        int32_t Slab(double y) const { return Clamp((y - Y0) * InvSlab, Slabs); }
        static int32_t Clamp(double v, int32_t n) {
            const double c = std::floor(v);
            if (!(c > 0)) return 0;
            return c >= n - 1 ? n - 1 : static_cast<int32_t>(c);
        }
    };

    int32_t count_ = 0;
    std::unique_ptr<TStore> store_;
};

}  // namespace zv
