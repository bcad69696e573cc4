// The visibility computation: every edge polyline against every other
// front-facing group, with the hidden stretches decided by the owner's depths.
#include <cmath>
#include <memory>

#include "hidden/cross_list.h"
#include "hidden/hidden_buffer.h"
#include "runtime/yield.h"

namespace zv {

namespace {

constexpr TRect2D EmptyBounds{1e10, 1e10, -1e10, -1e10};

bool IsFinite(const TXY& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// A depth outside the tolerance band decides; inside it the point lies on the plane.
bool Decided(double d) { return !EqualTol(d, 0.0); }

class CollectedLists {
public:
    ~CollectedLists() { Free(); }
    void Free() {
        for (TCrossList* list : lists_) delete list;
        lists_.clear();
    }
    TCrossList* Add() {
        auto owned = std::make_unique<TCrossList>();
        lists_.push_back(owned.get());
        return owned.release();
    }
    const std::vector<TCrossList*>& Lists() const { return lists_; }
    bool Empty() const { return lists_.empty(); }

private:
    std::vector<TCrossList*> lists_;
};

// All crossings of the group's lists in one sequence, ordered by ParamA;
// crossings within the tolerance keep their arrival order.
std::vector<TCross*> MergeCrossings(const std::vector<TCrossList*>& lists) {
    std::vector<TCross*> merged;
    for (TCrossList* list : lists) {
        for (int32_t k = 0; k < list->Count(); ++k) {
            TCross* c = list->Items(k);
            auto pos = merged.begin();
            while (pos != merged.end() && !LessTol(c->ParamA, (*pos)->ParamA)) ++pos;
            merged.insert(pos, c);
        }
    }
    for (size_t k = 0; k < merged.size(); ++k) merged[k]->SortIndex = static_cast<int32_t>(k);
    return merged;
}

}  // namespace

void InsertToggle(TPointArray& mask, double v) {
    int32_t p = 1;
    while (p < mask.Count && LessTol(std::fabs(mask.At<double>(p)), std::fabs(v))) ++p;
    ArrayInsert(mask, p, &v);
}

void CloseMask(TPointArray& mask) {
    if (mask.Count > 1) mask.At<double>(0) = mask.At<double>(mask.Count - 1) > Eps ? 1.0 : -1.0;
}

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

void TzvHiddenbuffer::ProjectItem(THbufferItem& item) {
    item.Bounds = EmptyBounds;
    TPointArray& outline = *item.Masked.Points;
    ArraySetCount(outline, item.Points.Count);
    item.ProjectedFinite = true;
    for (int32_t k = 0; k < item.Points.Count; ++k) {
        TXY& q = outline.At<TXY>(k);
        OnProject(&item, item.Points.At<TXYZ>(k), q);
        if (!IsFinite(q)) item.ProjectedFinite = false;
        ExtendRect(item.Bounds, q);
    }
    double a = item.ProjectedFinite ? SignedArea2(outline) : 0.0;
    item.Orientation = a > Eps ? 1 : (a < -Eps ? -1 : 0);
    SetSingleMask(*item.Masked.Mask, 1.0);
}

void TzvHiddenbuffer::ProjectAll() {
    if (!OnProject) return;
    for (int32_t k = 0; k < Count(); ++k) ProjectItem(*Items(k));
}

bool TzvHiddenbuffer::IsStretchHidden(int32_t i, int32_t j0, const TCross* x, const TCross* y) {
    const int32_t ni = Items(i)->Points.Count;
    if (!x || !y) {
        for (int32_t k = 0; k < ni; ++k) {
            double d = DepthAt(i, j0, k);
            if (Decided(d)) return d < -Eps;
        }
        return false;
    }
    int32_t o = x->Owner->OtherIndex;
    double d = DepthAt(o, i, x->ParamB);
    if (Decided(d)) return d > Eps;
    o = y->Owner->OtherIndex;
    d = DepthAt(o, i, y->ParamB);
    if (Decided(d)) return d > Eps;
    // Walk item i's vertices from X to Y: at most one pass over its points.
    int32_t kx = ModPos(FloorTol(x->ParamA), ni);
    const int32_t ky = ModPos(FloorTol(y->ParamA), ni);
    for (int32_t steps = 0; kx != ky && steps < ni; ++steps) {
        kx = ModPos(kx + 1, ni);
        d = DepthAt(i, o, kx);
        if (Decided(d)) return d < -Eps;
    }
    // Walk the occluder's vertices from Y towards X: X may lie on another
    // contour of the group, so again at most one pass over its points.
    const int32_t no = Items(o)->Points.Count;
    int32_t kyB = ModPos(FloorTol(y->ParamB), no);
    const int32_t kxB = ModPos(FloorTol(x->ParamB), no);
    for (int32_t steps = 0; kyB != kxB && steps < no; ++steps) {
        kyB = ModPos(kyB + 1, no);
        d = DepthAt(o, i, kyB);
        if (Decided(d)) return d > Eps;
    }
    YieldTimeSlice();
    return false;
}

void TzvHiddenbuffer::ComputeVisibility(int32_t i, const std::vector<TCrossList*>& lists) {
    TPointArray& target = *Items(i)->Masked.Mask;
    std::vector<TCross*> crossings = MergeCrossings(lists);
    if (crossings.empty()) {
        const int32_t j0 = lists.front()->OtherIndex;
        bool insideOuter = lists.front()->Status == csAInsideB;
        bool insideHole = false;
        for (size_t k = 1; k < lists.size(); ++k)
            if (lists[k]->Status == csAInsideB) insideHole = true;
        if (insideOuter && !insideHole && IsStretchHidden(i, j0, nullptr, nullptr)) {
            TPointArray hidden{};
            ArrayInit(hidden, 8, 1);
            SetSingleMask(hidden, -1.0);
            MergeMask(target, hidden);
            ArrayClear(hidden);
        }
        return;
    }
    TPointArray m{};
    ArrayInit(m, 8, static_cast<int32_t>(crossings.size()) + 1);
    SetSingleMask(m, 1.0);
    const int32_t count = static_cast<int32_t>(crossings.size());
    const int32_t firstDir = crossings.front()->DirA;
    int32_t s = ((FrontPositive && firstDir == 1) || (!FrontPositive && firstDir == -1)) ? 0 : 1;
    for (; s < count; s += 2) {
        const TCross* x = crossings[s];
        const TCross* y = crossings[(s + 1) % count];
        if (IsStretchHidden(i, lists.front()->OtherIndex, x, y)) {
            InsertToggle(m, -x->ParamA);
            InsertToggle(m, y->ParamA);
        }
    }
    CloseMask(m);
    MergeMask(target, m);
    ArrayClear(m);
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
    CollectedLists collected;
    const int32_t n = Count();
    std::vector<int32_t> group(n);
    for (int32_t k = 0; k < n; ++k) group[k] = Items(k)->IsHole ? (k > 0 ? group[k - 1] : -1) : k;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t gi = group[i];
        collected.Free();
        if (gi < 0) continue;  // a hole before any outer contour takes no part
        for (int32_t j = 0; j < n; ++j) {
            const int32_t gj = group[j];
            THbufferItem* itemJ = Items(j);
            if (!itemJ->IsHole) collected.Free();
            if (gj >= 0) {
                if (RectsDisjoint(Items(gi)->Bounds, Items(gj)->Bounds)) {
                    if (!itemJ->IsHole) YieldTimeSlice();
                } else if (IsFront(gi) && IsFront(gj) && gi != gj && Items(i)->ProjectedFinite &&
                           itemJ->ProjectedFinite) {
                    TCrossList* list = collected.Add();
                    list->OutlineA = *Items(i)->Masked.Points;
                    list->OutlineB = *itemJ->Masked.Points;
                    list->OtherIndex = j;
                    ComputeCrossings(list->OutlineA, list->OutlineB, *list, false);
                }
                const bool groupEnds = j == n - 1 || !Items(j + 1)->IsHole;
                if (groupEnds && !collected.Empty()) ComputeVisibility(i, collected.Lists());
            }
            if (QueryAbort()) return;  // collected lists freed, EndCalc fired by the guards
        }
        // A group that faces away (or an outline the projection could not place)
        // hides nothing and shows nothing.
        if (!IsFront(gi) || !Items(i)->ProjectedFinite) Items(i)->Masked.Mask->At<double>(0) = -1.0;
    }
}

}  // namespace zv

