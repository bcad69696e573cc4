#include "hidden/hidden_buffer.h"

#include <cmath>
#include <cstring>

#include "geometry/space.h"

namespace zv {

THbufferItem::THbufferItem() { ArrayInit(Points, 24, 5); }

THbufferItem::~THbufferItem() { ArrayClear(Points); }

void THbufferItem::SetContour(const TXYZArray& contour) {
    if (contour.Count < 1 || contour.ElemSize != static_cast<int32_t>(sizeof(TXYZ))) return;
    if (EqualXYZ(PolygonNormal(contour), TXYZ{0, 0, 0})) return;
    // One block of exactly the closed contour's size: the store holds
    // millions of these.
    const TXYZ first = contour.At<TXYZ>(0);
    const bool closed = EqualXYZ(contour.At<TXYZ>(contour.Count - 1), first);
    ArrayClear(Points);
    ArrayInit(Points, 24, contour.Count + (closed ? 0 : 1));
    ArraySetCount(Points, contour.Count);
    std::memcpy(Points.Data, contour.Data, static_cast<size_t>(contour.Count) * sizeof(TXYZ));
    if (!closed) ArrayAdd(Points, &first);
    Frame = PolygonFrame(Points);
}

TzvHiddenbuffer::~TzvHiddenbuffer() { TzvHiddenbuffer::Clear(); }

void TzvHiddenbuffer::Clear() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
        delete Items(i);
        Delete(i);
    }
    TList::Clear();
}

bool IsAcceptableContour(const TXYZArray& contour) {
    if (contour.Count < 2 || contour.Data == nullptr || contour.ElemSize != 24) return false;
    for (int32_t k = 0; k < contour.Count; ++k) {
        const TXYZ& p = contour.At<TXYZ>(k);
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) return false;
    }
    TXYZ normal = PolygonNormal(contour);
    if (!std::isfinite(normal.X) || !std::isfinite(normal.Y) || !std::isfinite(normal.Z)) return false;
    return !EqualXYZ(normal, TXYZ{0, 0, 0});
}

void TzvHiddenbuffer::AddItem(const TXYZArray& contour, bool isHole) {
    if (!IsAcceptableContour(contour)) return;
    SetChanging(true);
    auto* item = new THbufferItem();
    item->IsHole = isHole;
    try {
        item->SetContour(contour);
    } catch (...) {
        delete item;
        --ChangeCount;  // close the bracket without calculating: nothing was added
        throw;
    }
    Add(item);
    SetChanging(false);
}

void TzvHiddenbuffer::AddContour(const TXYZArray& contour) { AddItem(contour, false); }

void TzvHiddenbuffer::AddHole(const TXYZArray& contour) { AddItem(contour, true); }

void TzvHiddenbuffer::SetChanging(bool changing) {
    ChangeCount += changing ? 1 : -1;
    LastChanging = changing;
    if (ChangeCount == 0) Calculate();
}

void TzvHiddenbuffer::BeginCalc() {
    Busy = true;
    if (OnBeginCalc) OnBeginCalc(this);
}

void TzvHiddenbuffer::EndCalc() {
    if (OnEndCalc) OnEndCalc(this);
    Busy = false;
}

bool TzvHiddenbuffer::QueryAbort() {
    bool abort = false;
    if (OnQueryAbort) OnQueryAbort(this, abort);
    return abort;
}

int32_t TzvHiddenbuffer::GroupOf(int32_t i) const {
    for (int32_t k = i; k >= 0; --k)
        if (!Items(k)->IsHole) return k;
    return -1;
}

}  // namespace zv
