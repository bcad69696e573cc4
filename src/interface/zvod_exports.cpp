// The ZVOD family: the C door to the OpenGL engine. Every export checks its
// handle against the registry of live buffers and lets no exception out; a
// free asked for from inside a running call of the same handle waits for it.
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "interface/dll_ogl_hidden_buffer.h"
#include "interface/handle_registry.h"
#include "ogl/opengl_unit.h"
#include "ogl/x11_context.h"
#include "runtime/exception.h"
#include "runtime/message.h"
#include "runtime/yield.h"

using zv::TDLLOglHiddenbuffer;

namespace {

TDLLOglHiddenbuffer* Lookup(ZVODHandle h) { return zv::HandleRegistry<TDLLOglHiddenbuffer>().Find(h); }

void Destroy(TDLLOglHiddenbuffer* buffer) {
    zv::HandleRegistry<TDLLOglHiddenbuffer>().Remove(buffer);
    try {
        delete buffer;
    } catch (...) {
        zv::ShowMessage("Error while freeing an OpenGL buffer");
    }
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
    } catch (const std::exception& e) {
        zv::ShowMessage(e.what());
    } catch (...) {
        zv::ShowMessage("Unexpected error");
    }
}

// Runs body on the live buffer of h (nothing for an unknown handle), then
// carries out a free that was asked for meanwhile.
template <class Body>
void WithBuffer(ZVODHandle h, Body body) {
    TDLLOglHiddenbuffer* buffer = Lookup(h);
    if (!buffer || buffer->FreePending) return;
    ++buffer->Calls;
    Guard([&] { body(*buffer); });
    if (--buffer->Calls == 0 && buffer->FreePending) Destroy(buffer);
}

int32_t AddContour(ZVODHandle h, int32_t count, const TXYZ* points, bool hole) {
    int32_t result = -1;
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) {
        if (count > 0 && points) {
            zv::TPointArray view = zv::ArrayView(points, sizeof(TXYZ), count);
            hole ? buffer.AddHole(view) : buffer.AddContour(view);
        }
        result = buffer.ContourCount() - 1;
    });
    return result;
}

// The window to paint on, or 0 with the reason shown when there is none
// that OpenGL can reach.
zv::XWindow UsableWindow(ZVODWindow window) {
    if (!zv::OpenGLAvailable()) {
        zv::ShowMessage(std::string("ZVODCreate: OpenGL is not available: ") + zv::OpenGLUnavailableReason());
        return 0;
    }
    if (!zv::LibraryDisplay()) {
        zv::ShowMessage("ZVODCreate: no X server (check $DISPLAY)");
        return 0;
    }
    if (window == 0) return zv::ActiveWindow();
    if (!zv::GetDC(window)) {
        char text[80];
        std::snprintf(text, sizeof text, "ZVODCreate: there is no window 0x%lx on the X server", window);
        zv::ShowMessage(text);
        return 0;
    }
    return window;
}

bool AllFinite(const double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}

}  // namespace

extern "C" {

ZVHLR_API ZVODHandle ZVODCreate(ZVODWindow window) {
    TDLLOglHiddenbuffer* buffer = nullptr;
    Guard([&] {
        zv::XWindow target = UsableWindow(window);
        if (target == 0) return;
        auto created = std::make_unique<TDLLOglHiddenbuffer>(target);
        zv::HandleRegistry<TDLLOglHiddenbuffer>().Add(created.get());
        buffer = created.release();
    });
    return buffer ? buffer->Handle() : nullptr;
}

ZVHLR_API void ZVODFree(ZVODHandle h) {
    TDLLOglHiddenbuffer* buffer = Lookup(h);
    if (!buffer) return;
    if (buffer->Calls > 0) {
        buffer->FreePending = true;
        return;
    }
    Destroy(buffer);
}

ZVHLR_API void ZVODClear(ZVODHandle h) {
    WithBuffer(h, [](TDLLOglHiddenbuffer& buffer) { buffer.Clear(); });
}

ZVHLR_API int32_t _ZVODGetData(ZVODHandle h, TZVODData* data) {
    int32_t result = -1;
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) {
        result = static_cast<int32_t>(sizeof(TZVODData));
        if (!data) return;
        buffer.GetData(*data);
        result = 0;
    });
    if (result == 0) zv::YieldTimeSlice();
    return result;
}

ZVHLR_API void _ZVODSetData(ZVODHandle h, const TZVODData* data) {
    if (!data) return;
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) { buffer.SetData(*data); });
    zv::YieldTimeSlice();
}

ZVHLR_API void ZVODSetChanging(ZVODHandle h, int16_t begin) {
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) { buffer.SetChanging(begin != 0); });
}

ZVHLR_API void ZVODChanged(ZVODHandle h) {
    WithBuffer(h, [](TDLLOglHiddenbuffer& buffer) { buffer.Changed(); });
}

ZVHLR_API void ZVODDraw(ZVODHandle h, int32_t) {
    WithBuffer(h, [](TDLLOglHiddenbuffer& buffer) { buffer.Draw(); });
}

ZVHLR_API int32_t ZVODAddContour(ZVODHandle h, int32_t count, const TXYZ* points) {
    return AddContour(h, count, points, false);
}

ZVHLR_API int32_t ZVODAddHole(ZVODHandle h, int32_t count, const TXYZ* points) {
    return AddContour(h, count, points, true);
}

ZVHLR_API void ZVODProjectionBaseChanged(ZVODHandle h, const double base[12]) {
    if (!base || !AllFinite(base, 12)) return;
    double copy[12];
    for (int i = 0; i < 12; ++i) copy[i] = base[i];
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) { buffer.SetProjectionBase(copy); });
}

ZVHLR_API void ZVODSetViewPort(ZVODHandle h, const int32_t rect[4]) {
    if (!rect) return;
    const zv::TRect r{rect[0], rect[1], rect[2], rect[3]};
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) {
        if (buffer.Canvas()) buffer.Canvas()->SetViewport(r);
    });
}

ZVHLR_API int32_t ZVODPick(ZVODHandle h, int32_t x, int32_t y) {
    int32_t result = -1;
    WithBuffer(h, [&](TDLLOglHiddenbuffer& buffer) { result = buffer.Pick(x, y); });
    return result;
}

}  // extern "C"
