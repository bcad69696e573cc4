// The visibility computation: every edge polyline against every other
// front-facing group. The polyline is cut wherever it meets one of the
// group's outlines, and each stretch between two cuts is judged on its own:
// it is hidden when a point of it that lies clearly inside the group's area
// (outer contour minus holes) lies behind the group's plane. A stretch that
// runs along an outline stays visible, and no lost or extra cut can change
// anything beyond the stretches next to it.
#include <algorithm>
#include <cmath>
#include <span>

#include "hidden/group_area.h"
#include "hidden/hidden_buffer.h"
#include "hidden/outline_contacts.h"
#include "hidden/stretch_mask.h"
#include "runtime/yield.h"

namespace zv {

namespace {

constexpr TRect2D EmptyBounds{1e10, 1e10, -1e10, -1e10};

bool IsFinite(const TXY& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// A depth outside the tolerance band decides; inside it the point lies on
// the plane. A depth that is not a number decides nothing.
bool Decided(double d) { return d < -Eps || d > Eps; }

// Points nearer than this to an outline of the occluding group count as on
// its boundary, and contacts of two outlines as near are cut points.
constexpr double ContactBand = static_cast<double>(Eps);

// The length of an outline in vertex units: a closed outline (last point
// repeating the first) ends where it starts, one point early.
int32_t OutlineLength(const TXYArray& outline) {
    const int32_t n = outline.Count;
    if (n > 1 && outline.At<TXY>(0).X == outline.At<TXY>(n - 1).X && outline.At<TXY>(0).Y == outline.At<TXY>(n - 1).Y)
        return n - 1;
    return n;
}

// A point of a stretch at which it can be judged.
struct TSample {
    double T;  // parameter, reduced into [0, length)
    TXY Q;     // its projected point
};

// The sample points of the stretch (from, to) of an outline, one at a time:
// the middle of every piece the stretch has on a segment, then the quarter
// points of every piece. Most stretches are decided by their first points,
// so they are made only as they are asked for.
class TSampleWalk {
public:
    TSampleWalk(const TXYArray& outline, int32_t length, double from, double to)
        : outline_(outline), length_(length), from_(from), to_(to), k_(std::floor(from)) {}

    bool Next(TSample& sample) {
        static constexpr double Fractions[2][2] = {{0.5, 0}, {0.25, 0.75}};
        static constexpr int Counts[2] = {1, 2};
        while (pass_ < 2) {
            if (piece_ && w_ < Counts[pass_]) {
                const double f = lo_ - k_ + (hi_ - lo_) * Fractions[pass_][w_++];
                sample = {seg_ + f, TXY{p_->X + (q_->X - p_->X) * f, p_->Y + (q_->Y - p_->Y) * f}};
                return true;
            }
            if (piece_) k_ += 1.0;
            piece_ = false;
            if (!(k_ < to_)) {
                ++pass_;
                k_ = std::floor(from_);
                continue;
            }
            lo_ = std::max(from_, k_);
            hi_ = std::min(to_, k_ + 1.0);
            seg_ = hi_ > lo_ ? ModPos(static_cast<int32_t>(k_), length_) : 0;
            p_ = &outline_.At<TXY>(seg_);
            q_ = &outline_.At<TXY>((seg_ + 1) % outline_.Count);  // an open outline wraps
            if (hi_ <= lo_ || (p_->X == q_->X && p_->Y == q_->Y)) {
                k_ += 1.0;
                continue;
            }
            piece_ = true;
            w_ = 0;
        }
        return false;
    }

private:
    const TXYArray& outline_;
    const int32_t length_;
    const double from_, to_;
    double k_, lo_ = 0, hi_ = 0;
    int pass_ = 0, w_ = 0;
    bool piece_ = false;
    int32_t seg_ = 0;
    const TXY* p_ = nullptr;
    const TXY* q_ = nullptr;
};

// Are two outlines with these exact extents too far apart for any contact?
// The same comparisons as the edge boxes' test, on boxes that hold every
// edge box, so no contact that test would let through is skipped.
bool OutlinesApart(const TRect2D& a, const TRect2D& b, double band) {
    return a.X1 > b.X2 + band || b.X1 - band > a.X2 || a.Y1 > b.Y2 + band || b.Y1 - band > a.Y2;
}

}  // namespace

bool TzvHiddenbuffer::IsFront(int32_t index) const {
    if (index < 0) return false;
    const THbufferItem* item = Items(index);
    if (!item->ProjectedFinite) return false;
    return (item->Orientation == 1 && FrontPositive) || (item->Orientation == -1 && !FrontPositive);
}

TXYZ TzvHiddenbuffer::Interpolate(const TXYZ& a, const TXYZ& b, double f) {
    TXYZ r{0, 0, 0};
    if (OnInterpolate) {
        OnInterpolate(this, a, b, f, r);
    } else {
        r = LerpXYZ(a, b, f);
    }
    return r;
}

double TzvHiddenbuffer::DepthAt(int32_t a, int32_t b, double t) {
    if (!OnDepth) return 0.0;
    const THbufferItem* itemA = Items(a);
    const int32_t n = itemA->Points.Count;
    const int32_t k = FloorTol(t);
    const double f = t - k;
    TXYZ p = Interpolate(itemA->Points.At<TXYZ>(ModPos(k, n)), itemA->Points.At<TXYZ>(ModPos(k + 1, n)), f);
    const TPlaneFrame& frame = Items(b)->Frame;
    return OnDepth(this, p, TPlane{frame.Origin, frame.Normal});
}

// Depth of the point at fraction f of segment seg of item i against the plane of item o.
double TzvHiddenbuffer::SegmentDepth(int32_t i, int32_t o, int32_t seg, double f) {
    if (!OnDepth) return 0.0;
    const TXYZArray& points = Items(i)->Points;
    TXYZ p = Interpolate(points.At<TXYZ>(seg), points.At<TXYZ>((seg + 1) % points.Count), f);
    const TPlaneFrame& frame = Items(o)->Frame;
    return OnDepth(this, p, TPlane{frame.Origin, frame.Normal});
}

void TzvHiddenbuffer::ProjectItem(THbufferItem& item) {
    item.Bounds = EmptyBounds;
    TPointArray& outline = *item.Masked.Points;
    ArraySetCount(outline, item.Points.Count);
    item.ProjectedFinite = true;
    item.Extent = EmptyBounds;
    for (int32_t k = 0; k < item.Points.Count; ++k) {
        TXY& q = outline.At<TXY>(k);
        OnProject(&item, item.Points.At<TXYZ>(k), q);
        if (!IsFinite(q)) item.ProjectedFinite = false;
        ExtendRect(item.Bounds, q);
        if (k == 0) item.Extent = TRect2D{q.X, q.Y, q.X, q.Y};
        item.Extent = TRect2D{std::min(item.Extent.X1, q.X), std::min(item.Extent.Y1, q.Y),
                              std::max(item.Extent.X2, q.X), std::max(item.Extent.Y2, q.Y)};
    }
    if (item.ProjectedFinite && outline.Count >= TOutlineIndex::MinPoints)
        item.Index.Build(outline, ContactBand);
    else
        item.Index.Reset();
    double a = item.ProjectedFinite ? SignedArea2(outline) : 0.0;
    item.Orientation = a > Eps ? 1 : (a < -Eps ? -1 : 0);
    SetSingleMask(*item.Masked.Mask, 1.0);
}

void TzvHiddenbuffer::ProjectAll() {
    if (!OnProject) return;
    for (int32_t k = 0; k < Count(); ++k) ProjectItem(*Items(k));
    UniteHoleBounds();
}

void TzvHiddenbuffer::UniteHoleBounds() {
    int32_t outer = -1;
    for (int32_t k = 0; k < Count(); ++k) {
        const THbufferItem* item = Items(k);
        if (!item->IsHole) {
            outer = k;
        } else if (outer >= 0) {
            TRect2D& r = Items(outer)->Bounds;
            r = TRect2D{std::min(r.X1, item->Bounds.X1), std::min(r.Y1, item->Bounds.Y1),
                        std::max(r.X2, item->Bounds.X2), std::max(r.Y2, item->Bounds.Y2)};
        }
    }
}

bool TzvHiddenbuffer::IsStretchHidden(int32_t i, int32_t o, const TGroupArea& area, double from, double to,
                                      TVisibilityScratch& scratch) {
    const TXYArray& outline = *Items(i)->Masked.Points;
    const int32_t length = OutlineLength(outline);
    std::vector<TStretch>& hidden = scratch.Hidden;
    TSampleWalk walk(outline, length, from, to);
    // The first sample clear of the group's outlines tells on which side of
    // them the whole stretch lies; a stretch with none runs along them.
    TSample clear{};
    bool found = false;
    while (!found && walk.Next(clear)) found = area.IsClear(clear.Q, ContactBand);
    if (!found || !area.Contains(clear.Q)) return false;
    if ((CalcOptions & ZVSD_OPTION_SPLIT) != 0) {
        const size_t before = hidden.size();
        HiddenBehindPlane(i, o, from, to, hidden);
        return hidden.size() > before;
    }
    // The depth at the first clear sample decides, or at the next clear one
    // where it lies on the plane.
    TSample s = clear;
    for (bool first = true;; first = false) {
        if (first || area.IsClear(s.Q, ContactBand)) {
            const double d = DepthAt(i, o, s.T);
            if (Decided(d)) {
                if (d >= -Eps) return false;
                hidden.push_back({from, to});
                return true;
            }
        }
        if (!walk.Next(s)) break;
    }
    YieldTimeSlice();
    return false;
}

void TzvHiddenbuffer::HiddenBehindPlane(int32_t i, int32_t o, double from, double to, std::vector<TStretch>& hidden) {
    const int32_t length = OutlineLength(*Items(i)->Masked.Points);
    for (double k = std::floor(from); k < to; k += 1.0) {
        const double lo = std::max(from, k), hi = std::min(to, k + 1.0);
        if (hi <= lo) continue;
        const int32_t seg = ModPos(static_cast<int32_t>(k), length);
        const double f0 = lo - k, f1 = hi - k;
        const double d0 = SegmentDepth(i, o, seg, f0), d1 = SegmentDepth(i, o, seg, f1);
        const bool behind0 = d0 < -Eps, behind1 = d1 < -Eps;
        const bool front0 = d0 > Eps, front1 = d1 > Eps;
        if ((behind0 && front1) || (front0 && behind1)) {
            // The edge passes through the plane on this piece: the depth along a
            // straight edge changes sign once, so halve the bracket around it.
            double a = f0, b = f1;
            for (int step = 0; step < 64 && b - a > 1e-13; ++step) {
                const double m = 0.5 * (a + b);
                const double dm = SegmentDepth(i, o, seg, m);
                if ((dm < 0) == (d0 < 0))
                    a = m;
                else
                    b = m;
            }
            const double cut = k + 0.5 * (a + b);
            hidden.push_back(behind0 ? TStretch{lo, cut} : TStretch{cut, hi});
        } else if (behind0 || behind1) {
            if (!front0 && !front1) hidden.push_back({lo, hi});
        }
    }
}

int64_t TzvHiddenbuffer::ComputeVisibility(int32_t i, int32_t first, int32_t last) {
    TVisibilityScratch scratch;
    return ComputeVisibility(i, first, last, scratch);
}

int64_t TzvHiddenbuffer::ComputeVisibility(int32_t i, int32_t first, int32_t last, TVisibilityScratch& scratch) {
    const int64_t cuts = FindHiddenStretches(i, first, last, scratch);
    MergeHiddenStretches(i, scratch.Hidden);
    return cuts;
}

int64_t TzvHiddenbuffer::FindHiddenStretches(int32_t i, int32_t first, int32_t last, TVisibilityScratch& scratch) {
    std::vector<TStretch>& hidden = scratch.Hidden;
    hidden.clear();
    const TXYArray& outline = *Items(i)->Masked.Points;
    const int32_t length = OutlineLength(outline);
    if (length < 2) return 0;
    TGroupArea& area = scratch.Area;
    area.Reset();
    std::vector<double>& cuts = scratch.Cuts;
    cuts.clear();
    const bool finite = Items(i)->ProjectedFinite;
    for (int32_t j = first; j <= last; ++j) {
        const TXYArray& other = *Items(j)->Masked.Points;
        if (!Items(j)->ProjectedFinite || other.Count < 2) continue;
        area.Add(&other, &Items(j)->Index, &Items(j)->Extent);
        if (finite && OutlinesApart(Items(i)->Extent, Items(j)->Extent, ContactBand)) continue;
        AppendOutlineContacts(outline, &Items(i)->Index, other, &Items(j)->Index, ContactBand, cuts);
    }
    NormalizeParams(cuts, length);
    if (cuts.empty()) {
        IsStretchHidden(i, first, area, 0, length, scratch);
    } else {
        for (size_t k = 0; k < cuts.size(); ++k) {
            const double from = cuts[k];
            const double to = k + 1 < cuts.size() ? cuts[k + 1] : cuts.front() + length;
            IsStretchHidden(i, first, area, from, to, scratch);
        }
    }
    return static_cast<int64_t>(cuts.size());
}

void TzvHiddenbuffer::MergeHiddenStretches(int32_t i, const std::vector<TStretch>& hidden) {
    if (hidden.empty()) return;
    TPointArray m{};
    ArrayInit(m, 8, 2 * static_cast<int32_t>(hidden.size()) + 2);
    StretchMask(hidden, OutlineLength(*Items(i)->Masked.Points), m);
    MergeMask(*Items(i)->Masked.Mask, m);
    ArrayClear(m);
}

bool TzvHiddenbuffer::HideWhole(int32_t i, const std::vector<TStretch>& hidden) {
    if (hidden.empty()) return false;
    TPointArray m{};
    ArrayInit(m, 8, 2 * static_cast<int32_t>(hidden.size()) + 2);
    StretchMask(hidden, OutlineLength(*Items(i)->Masked.Points), m);
    const bool whole = m.Count == 1 && m.At<double>(0) == -1.0;
    ArrayClear(m);
    return whole;
}

void TzvHiddenbuffer::Calculate() {
    if (Locked()) return;
    BeginCalc();
    struct EndGuard {
        TzvHiddenbuffer* self;
        ~EndGuard() { if (self->Busy) self->EndCalc(); }
    } endGuard{this};
    if (CalculateFast()) return;  // the opt-in indexed or built-in view run
    ProjectAll();
    const int32_t n = Count();
    std::vector<int32_t> group(n);
    TVisibilityScratch scratch;
    for (int32_t k = 0; k < n; ++k) group[k] = Items(k)->IsHole ? (k > 0 ? group[k - 1] : -1) : k;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t gi = group[i];
        const bool examined = IsExamined(i, gi);
        const TRect2D& bounds = Items(gi < 0 ? i : gi)->Bounds;
        for (int32_t j = 0; j < n; ++j) {
            const int32_t gj = group[j];
            if (gj >= 0) {
                const bool groupEnds = j == n - 1 || !Items(j + 1)->IsHole;
                if (RectsDisjoint(bounds, Items(gj)->Bounds)) {
                    if (!Items(j)->IsHole) YieldTimeSlice();
                } else if (groupEnds && examined && gj != gi && IsFront(gj)) {
                    ComputeVisibility(i, gj, j, scratch);
                }
            }
            if (QueryAbort()) return;  // EndCalc fired by the guard
        }
        // A group that faces away (or an outline the projection could not place)
        // hides nothing and shows nothing.
        if (!examined) Items(i)->Masked.Mask->At<double>(0) = -1.0;
    }
}

bool TzvHiddenbuffer::IsExamined(int32_t i, int32_t gi) const {
    // A hole before any outer contour has no face to face away with: it is
    // examined like the contour of a front face, and hides nothing.
    return Items(i)->ProjectedFinite && (gi < 0 || IsFront(gi));
}

}  // namespace zv

