// The ZVSD family: the C door to the software engine. Every export checks its
// handle against the registry of live buffers, keeps the store unchanged
// while a calculation or a drawing walks it, and lets no exception out.
#include <cmath>
#include <memory>
#include <mutex>
#include <new>

#include "interface/dll_hidden_buffer.h"
#include "interface/handle_registry.h"
#include "runtime/exception.h"
#include "runtime/message.h"

using zv::TDLLHiddenbuffer;

namespace {

TDLLHiddenbuffer* Lookup(ZVSDHandle h) { return zv::HandleRegistry<TDLLHiddenbuffer>().Find(h); }

void Destroy(TDLLHiddenbuffer* buffer) {
    zv::HandleRegistry<TDLLHiddenbuffer>().Remove(buffer);
    delete buffer;
}

// After a call that may have run host callbacks: carries out a free that a
// callback asked for, once nothing walks the store any more.
void Settle(TDLLHiddenbuffer* buffer) {
    if (buffer->FreePending && !buffer->Locked()) Destroy(buffer);
}

// Runs body and turns any exception into a message; an export never throws.
template <class Body>
void Guard(Body body) {
    try {
        body();
    } catch (const zv::Exception& e) {
        zv::ShowMessage(e.Message());
    } catch (const std::bad_alloc&) {
        zv::ShowMessage("Out of memory");
    } catch (...) {
        zv::ShowMessage("Unexpected error");
    }
}

int32_t AddContour(ZVSDHandle h, int32_t count, const TXYZ* points, bool hole) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return -1;
    if (!buffer->Locked() && !buffer->FreePending && count > 0 && points) {
        zv::TPointArray view = zv::ArrayView(points, 24, count);
        Guard([&] { hole ? buffer->AddHole(view) : buffer->AddContour(view); });
    }
    int32_t result = buffer->Count() - 1;
    Settle(buffer);
    return result;
}

// The item at index, or nil for an index outside the store.
zv::THbufferItem* ItemAt(TDLLHiddenbuffer* buffer, int32_t index) {
    if (!buffer || index < 0 || index >= buffer->Count()) return nullptr;
    return buffer->Items(index);
}

// The results of a calculation that runs on helper threads are not to be read
// until it ends.
zv::THbufferItem* ResultItemAt(ZVSDHandle h, int32_t index) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    return (buffer && buffer->WorkersRunning) ? nullptr : ItemAt(buffer, index);
}

}  // namespace

extern "C" {

ZVHLR_API ZVSDHandle ZVSDCreate(void) {
    TDLLHiddenbuffer* buffer = nullptr;
    Guard([&] {
        auto created = std::make_unique<TDLLHiddenbuffer>();
        zv::HandleRegistry<TDLLHiddenbuffer>().Add(created.get());
        buffer = created.release();
    });
    return buffer ? buffer->Handle() : nullptr;
}

ZVHLR_API void ZVSDFree(ZVSDHandle h) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return;
    if (buffer->Locked()) {
        buffer->FreePending = true;
        return;
    }
    Destroy(buffer);
}

ZVHLR_API void ZVSDClear(ZVSDHandle h) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer || buffer->Locked() || buffer->FreePending) return;
    buffer->Clearing = true;  // a message shown while freeing must not reach half-freed items
    Guard([&] { buffer->Clear(); });
    buffer->Clearing = false;
    Settle(buffer);
}

ZVHLR_API int32_t _ZVSDGetData(ZVSDHandle h, TZVSDData* data) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return -1;
    if (!data) return static_cast<int32_t>(sizeof(TZVSDData));
    buffer->GetData(*data);
    return 0;
}

ZVHLR_API void _ZVSDSetData(ZVSDHandle h, const TZVSDData* data) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer || !data || buffer->WorkersRunning) return;
    buffer->SetData(*data);
}

ZVHLR_API void ZVSDSetChanging(ZVSDHandle h, int16_t changing) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return;
    Guard([&] { buffer->SetChanging(changing != 0); });
    Settle(buffer);
}

ZVHLR_API void ZVSDChanged(ZVSDHandle h) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return;
    Guard([&] { buffer->Calculate(); });
    Settle(buffer);
}

ZVHLR_API void ZVSDDraw(ZVSDHandle h, int32_t) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return;
    Guard([&] { buffer->Draw(); });
    Settle(buffer);
}

ZVHLR_API int32_t ZVSDAddContour(ZVSDHandle h, int32_t count, const TXYZ* points) {
    return AddContour(h, count, points, false);
}

ZVHLR_API int32_t ZVSDAddHole(ZVSDHandle h, int32_t count, const TXYZ* points) {
    return AddContour(h, count, points, true);
}

ZVHLR_API int32_t ZVSDGetArray3d(ZVSDHandle h, int32_t index, TXYZ* buffer) {
    zv::THbufferItem* item = ItemAt(Lookup(h), index);
    if (!item) return -1;
    const zv::TPointArray& points = item->Points;
    if (!buffer) return points.Count;
    for (int32_t k = 0; k < points.Count; ++k) buffer[k] = points.At<TXYZ>(k);
    return 0;
}

ZVHLR_API int32_t ZVSDGetArray2d(ZVSDHandle h, int32_t index, TXY* buffer) {
    zv::THbufferItem* item = ResultItemAt(h, index);
    if (!item) return -1;
    const zv::TPointArray& points = *item->Masked.Points;
    if (!buffer) return points.Count;
    for (int32_t k = 0; k < points.Count; ++k) buffer[k] = points.At<TXY>(k);
    return 0;
}

ZVHLR_API int32_t ZVSDGetMask(ZVSDHandle h, int32_t index, double* buffer) {
    zv::THbufferItem* item = ResultItemAt(h, index);
    if (!item) return -1;
    const zv::TPointArray& mask = *item->Masked.Mask;
    if (!buffer) return mask.Count;
    for (int32_t k = 0; k < mask.Count; ++k) {
        double v = mask.At<double>(k);
        buffer[k] = k > 0 ? std::fabs(v) : v;
    }
    return 0;
}

ZVHLR_API int32_t ZVSDSetOptions(ZVSDHandle h, int32_t flags, int32_t threads) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer || (flags & ~(ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW | ZVSD_OPTION_SPLIT)) != 0 || threads < 0) return -1;
    buffer->CalcOptions = flags;
    buffer->CalcThreads = threads;
    return 0;
}

ZVHLR_API int32_t ZVSDSetView(ZVSDHandle h, const double base[12], double angle) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return -1;
    return zv::MakeBuiltinView(base, angle, buffer->BuiltinView) ? 0 : -1;
}

ZVHLR_API int32_t ZVSDGetStatistics(ZVSDHandle h, int64_t counts[2]) {
    TDLLHiddenbuffer* buffer = Lookup(h);
    if (!buffer || !counts || !buffer->Figures.Valid) return -1;
    counts[0] = buffer->Figures.Pairs;
    counts[1] = buffer->Figures.Crossings;
    return 0;
}

}  // extern "C"
