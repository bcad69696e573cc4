// Drives the ZVSD exports with a byte-coded sequence of calls, as a host in a
// bad mood would: several handles, callbacks that answer NaN, infinity or huge
// values, contours with degenerate, duplicate, collinear and non-finite points,
// brackets opened and closed at random, and callbacks that call back into the
// library (adding, clearing, drawing, freeing their own or another handle).
//
// Besides the sanitizers, the target checks what a host can rely on: results
// read back are consistent (the mask starts with +-1.0, later values are
// non-negative, the 3-D count agrees with the stored contour), and
// _ZVSDGetData reports the item count that the adds returned.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "interface/library_units.h"
#include "zvhlr.h"

namespace {

constexpr int kSlots = 3;
constexpr int kMaxOps = 64;
constexpr int kMaxPoints = 24;         // per contour
constexpr int kMaxPointsPerHandle = 256;  // keeps one calculation well below the timeout
constexpr int kMaxScript = 8;
constexpr int kMaxDepth = 2;            // nesting of callbacks that call back
// Runs of the callback script per input: each run may start whole calculations
// whose callbacks run it again, so without a budget the harness itself, not
// the library, would grow as the cube of the number of callbacks.
constexpr int kMaxScriptRuns = 48;
constexpr int kMaxCallbackItems = 32;  // items a handle may reach through adds from callbacks
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "zvsd_calls_fuzz: violated: %s\n", what);
        std::abort();
    }
}

// How the host answers its callbacks, per handle.
struct HostMode {
    uint8_t project = 0;      // ProjectAnswer
    uint8_t depth = 0;        // DepthAnswer
    uint8_t interpolate = 0;  // InterpolateAnswer
    uint8_t abortAfter = 0;   // 0: never aborts
    uint8_t scriptAt = 0;     // which callback runs the script (ScriptSite)
    uint32_t calls = 0;       // callbacks answered so far
};

enum ScriptSite : uint8_t { siteNone, siteProject, siteDepth, siteInterpolate, siteMove, siteLine, siteBegin, siteEnd,
                            siteAbort, siteCount };

struct Slot {
    ZVSDHandle handle = nullptr;
    HostMode mode;
    int points = 0;  // points added so far (a bound, not the stored count)
};

struct Session {
    Slot slots[kSlots];
    std::vector<uint8_t> script;  // calls the callbacks make
    int depth = 0;
    int scriptRuns = 0;
    TXYZ lastContour[kMaxPoints + 1]{};
    int lastCount = 0;
};

Session* session = nullptr;
// ZVSD_FUZZ_TRACE set in the environment: every call and every mask read back
// goes to stderr, for looking into a finding.
bool trace = false;

Slot* SlotOf(ZVSDHandle h) {
    for (Slot& s : session->slots)
        if (s.handle == h && h) return &s;
    return nullptr;
}

void RunScript(ZVSDHandle self);

// Runs the script when this callback of this handle is the chosen site.
void AtSite(ZVSDHandle h, ScriptSite site) {
    Slot* slot = SlotOf(h);
    if (!slot || slot->mode.scriptAt % siteCount != site) return;
    if (session->depth >= kMaxDepth || session->scriptRuns >= kMaxScriptRuns) return;
    ++session->scriptRuns;
    ++session->depth;
    RunScript(h);
    --session->depth;
}

double Answer(uint8_t mode, double sane, uint32_t call) {
    switch (mode % 9) {
        case 0: return sane;
        case 1: return kNaN;
        case 2: return kInf;
        case 3: return -kInf;
        case 4: return sane * 1e300;
        case 5: return call % 3 == 0 ? kNaN : sane;
        case 6: return call % 2 ? -sane : sane;
        case 7: return 0.0;
        default: return sane + 1e12;
    }
}

void Project(ZVSDHandle h, const TXYZ* p, TXY* out) {
    Slot* slot = SlotOf(h);
    uint8_t mode = slot ? slot->mode.project : 0;
    uint32_t call = slot ? slot->mode.calls++ : 0;
    if (mode % 10 == 9) return;  // leaves the point as it was
    // A slightly oblique parallel view, so that faces in several planes overlap.
    const double x = p->X + 0.25 * p->Z, y = p->Y + 0.125 * p->Z;
    out->X = Answer(mode, x, call);
    out->Y = Answer(mode / 10, y, call);
    AtSite(h, siteProject);
}

double Depth(ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ* scratch) {
    Slot* slot = SlotOf(h);
    uint8_t mode = slot ? slot->mode.depth : 0;
    uint32_t call = slot ? slot->mode.calls++ : 0;
    scratch->X = scratch->Y = scratch->Z = kNaN;
    const TXYZ& n = plane->Normal;
    // The projection maps p and p + t (-0.25, -0.125, 1) to the same point: that
    // is the direction towards the viewer.
    const double dz = n.Z - 0.25 * n.X - 0.125 * n.Y;
    double d = 0.0;
    if (std::fabs(dz) > 1e-12)
        d = ((p->X - plane->Origin.X) * n.X + (p->Y - plane->Origin.Y) * n.Y + (p->Z - plane->Origin.Z) * n.Z) / dz;
    AtSite(h, siteDepth);
    return Answer(mode, d, call);
}

void Interpolate(ZVSDHandle h, const TXYZ* a, const TXYZ* b, double t, TXYZ* out) {
    Slot* slot = SlotOf(h);
    uint8_t mode = slot ? slot->mode.interpolate : 0;
    uint32_t call = slot ? slot->mode.calls++ : 0;
    if (mode % 9 != 7) {
        out->X = Answer(mode, a->X + (b->X - a->X) * t, call);
        out->Y = a->Y + (b->Y - a->Y) * t;
        out->Z = a->Z + (b->Z - a->Z) * t;
    }
    AtSite(h, siteInterpolate);
}

void MoveTo(ZVSDHandle h, const TXY*) { AtSite(h, siteMove); }
void LineTo(ZVSDHandle h, int32_t visible, const TXY*) {
    Check(visible == 0 || visible == 1, "LineTo visibility flag is 0 or 1");
    AtSite(h, siteLine);
}
void Begin(ZVSDHandle h) { AtSite(h, siteBegin); }
void End(ZVSDHandle h) { AtSite(h, siteEnd); }
void QueryAbort(ZVSDHandle h, int16_t* abort) {
    Check(*abort == 0, "the abort flag holds 0 on entry");
    Slot* slot = SlotOf(h);
    if (slot && slot->mode.abortAfter && slot->mode.calls++ % slot->mode.abortAfter == 0) *abort = 1;
    AtSite(h, siteAbort);
}

// ---------------------------------------------------------------- contours

double Coordinate(FuzzedDataProvider& in, uint8_t kind) {
    switch (kind % 6) {
        case 0: return in.ConsumeIntegralInRange<int>(-6, 6);          // a small grid: many collinear points
        case 1: return in.ConsumeIntegralInRange<int>(-6, 6) * 0.5;
        case 2: return in.ConsumeFloatingPoint<double>();           // anything, NaN and infinity included
        case 3: return in.ConsumeIntegralInRange<int>(-6, 6) + 1e12;   // far from the origin
        case 4: return in.ConsumeIntegralInRange<int>(-6, 6) * 1e-6;   // within the tolerance
        default: return in.ConsumeIntegralInRange<int>(-100, 100) * 0.1;
    }
}

int ReadContour(FuzzedDataProvider& in, TXYZ* points) {
    const uint8_t shape = in.ConsumeIntegral<uint8_t>();
    int n = in.ConsumeIntegralInRange<int>(0, kMaxPoints);
    if (shape % 4 == 0 && session->lastCount > 0) {
        // The previous contour again, shifted in depth: duplicates and coplanar overlaps.
        n = session->lastCount;
        const double dz = in.ConsumeIntegralInRange<int>(-2, 2);
        for (int k = 0; k < n; ++k) points[k] = {session->lastContour[k].X, session->lastContour[k].Y,
                                                 session->lastContour[k].Z + dz};
        return n;
    }
    for (int k = 0; k < n; ++k) {
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        points[k].X = Coordinate(in, kind);
        points[k].Y = Coordinate(in, kind >> 3);
        points[k].Z = (shape % 4 == 1) ? 0.0 : Coordinate(in, kind >> 5);  // often planar in z
    }
    if (shape % 8 == 2 && n > 0) points[n++] = points[0];  // given closed
    return n;
}

// ---------------------------------------------------------------- reading back

void CheckItem(ZVSDHandle h, int32_t index) {
    const int32_t n3 = ZVSDGetArray3d(h, index, nullptr);
    const int32_t n2 = ZVSDGetArray2d(h, index, nullptr);
    const int32_t nm = ZVSDGetMask(h, index, nullptr);
    if (n3 < 0) {
        Check(n2 == -1 && nm == -1, "an index outside the store gives -1 everywhere");
        return;
    }
    Check(n3 >= 3, "a stored contour has at least 3 points");
    Check(n2 == 0 || n2 == n3, "the outline is empty or has one point per 3-D point");
    Check(nm >= 1, "a mask has at least one value");
    std::vector<TXYZ> p3(n3);
    std::vector<TXY> p2(n2 + 1);
    std::vector<double> mask(nm);
    Check(ZVSDGetArray3d(h, index, p3.data()) == 0, "GetArray3d with a buffer returns 0");
    Check(ZVSDGetArray2d(h, index, p2.data()) == 0, "GetArray2d with a buffer returns 0");
    Check(ZVSDGetMask(h, index, mask.data()) == 0, "GetMask with a buffer returns 0");
    for (const TXYZ& p : p3) Check(std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z), "stored points are finite");
    Check(mask[0] == 1.0 || mask[0] == -1.0, "the mask starts with +-1.0");
    for (int32_t k = 1; k < nm; ++k) Check(!(mask[k] < 0.0), "later mask values are non-negative");
    if (trace) {
        std::fprintf(stderr, "  item %d: %d points, mask", index, n3);
        for (double v : mask) std::fprintf(stderr, " %g", v);
        std::fprintf(stderr, "\n");
    }
}

void CheckHandle(ZVSDHandle h) {
    TZVSDData d;
    if (_ZVSDGetData(h, &d) != 0) return;
    for (int32_t k = -1; k <= d.ItemCount; ++k) CheckItem(h, k);
}

// ---------------------------------------------------------------- settings

void SetHost(ZVSDHandle h, FuzzedDataProvider& in) {
    Slot* slot = SlotOf(h);
    TZVSDData d;
    if (_ZVSDGetData(h, &d) != 0) return;
    const uint16_t which = in.ConsumeIntegral<uint16_t>();
    d.ProjectProc = (which & 1) ? nullptr : Project;
    d.DepthProc = (which & 2) ? nullptr : Depth;
    d.InterpolateProc = (which & 4) ? Interpolate : nullptr;
    d.LineToProc = (which & 8) ? nullptr : LineTo;
    d.MoveToProc = (which & 16) ? nullptr : MoveTo;
    d.QueryAbortProc = (which & 32) ? QueryAbort : nullptr;
    d.BeginProc = (which & 64) ? Begin : nullptr;
    d.EndProc = (which & 128) ? End : nullptr;
    d.FrontPositiveFlag = static_cast<int16_t>(in.ConsumeIntegral<uint8_t>() % 3);
    d.DrawHiddenFlag = static_cast<int16_t>(which >> 8);
    d.HostValue1 = in.ConsumeIntegral<int32_t>();
    d.ItemCount = in.ConsumeIntegral<int32_t>();  // ignored by the library
    if (slot) {
        slot->mode.project = in.ConsumeIntegral<uint8_t>();
        slot->mode.depth = in.ConsumeIntegral<uint8_t>();
        slot->mode.interpolate = in.ConsumeIntegral<uint8_t>();
        slot->mode.abortAfter = in.ConsumeIntegral<uint8_t>() % 8;
        slot->mode.scriptAt = in.ConsumeIntegral<uint8_t>();
    }
    _ZVSDSetData(h, &d);
    TZVSDData back;
    Check(_ZVSDGetData(h, &back) == 0, "GetData of a live handle returns 0");
    Check(back.ProjectProc == d.ProjectProc && back.HostValue1 == d.HostValue1, "settings read back as written");
    Check(back.FrontPositiveFlag == (d.FrontPositiveFlag ? -1 : 0), "Booleans read back as -1 or 0");
}

// ---------------------------------------------------------------- calls

enum Op : uint8_t { opCreate, opFree, opSetData, opOpen, opClose, opAdd, opAddHole, opChanged, opDraw, opGet,
                    opClear, opScript, opCount };

// A square of side 4 at a depth that depends on the call: something to add from a callback.
const TXYZ* CallbackSquare(uint8_t variant) {
    static TXYZ square[4];
    const double z = variant % 3;
    const double o = variant % 5;
    square[0] = {o, o, z};
    square[1] = {o + 4, o, z};
    square[2] = {o + 4, o + 4, z};
    square[3] = {o, o + 4, z};
    return square;
}

// Adds from callbacks stop at a few dozen items per handle: every add outside
// a bracket recalculates the whole handle, so more would only measure how
// often the script adds, not how long one calculation takes.
bool Crowded(ZVSDHandle h) {
    TZVSDData d;
    return _ZVSDGetData(h, &d) == 0 && d.ItemCount >= kMaxCallbackItems;
}

// One call of the callback script: on the calling handle or on another slot.
void ScriptCall(ZVSDHandle self, uint8_t code) {
    const int target = (code >> 4) % (kSlots + 1);
    ZVSDHandle h = target == kSlots ? self : session->slots[target].handle;
    switch (code % 13) {
        case 0:
            if (!Crowded(h)) ZVSDAddContour(h, 4, CallbackSquare(code));
            break;
        case 1:
            if (!Crowded(h)) ZVSDAddHole(h, 4, CallbackSquare(code));
            break;
        case 2: ZVSDClear(h); break;
        case 3: ZVSDChanged(h); break;
        case 4: ZVSDDraw(h, 0); break;
        case 5: ZVSDSetChanging(h, 1); break;
        case 6: ZVSDSetChanging(h, 0); break;
        case 7: CheckHandle(h); break;
        case 8: {
            TZVSDData d;
            if (_ZVSDGetData(h, &d) == 0) {
                d.FrontPositiveFlag = !d.FrontPositiveFlag;
                d.ProjectProc = (code & 0x40) ? nullptr : Project;
                _ZVSDSetData(h, &d);
            }
            break;
        }
        case 9:
            // The handle stays in its slot: later calls with it must be harmless.
            ZVSDFree(h);
            break;
        case 10: {
            ZVSDHandle fresh = ZVSDCreate();
            Slot* free = nullptr;
            for (Slot& s : session->slots)
                if (!s.handle) free = &s;
            if (free) {
                *free = Slot{};
                free->handle = fresh;
            } else {
                ZVSDFree(fresh);
            }
            break;
        }
        case 11: ZVSDAddContour(h, 0, nullptr); break;
        default: ZVSDGetMask(h, 0, nullptr); break;
    }
}

void RunScript(ZVSDHandle self) {
    const std::vector<uint8_t> script = session->script;  // a nested script may replace it
    for (uint8_t code : script) ScriptCall(self, code);
}

void AddFrom(FuzzedDataProvider& in, Slot& slot, bool hole) {
    TXYZ points[kMaxPoints + 1];
    const int n = ReadContour(in, points);
    if (slot.points + n > kMaxPointsPerHandle) return;
    slot.points += n;
    TZVSDData before;
    const bool live = _ZVSDGetData(slot.handle, &before) == 0;
    const int32_t index = hole ? ZVSDAddHole(slot.handle, n, points) : ZVSDAddContour(slot.handle, n, points);
    if (trace) {
        std::fprintf(stderr, "  %s of %d points ->%d:", hole ? "hole" : "contour", n, index);
        for (int k = 0; k < n; ++k) std::fprintf(stderr, " (%g %g %g)", points[k].X, points[k].Y, points[k].Z);
        std::fprintf(stderr, "\n");
    }
    for (int k = 0; k < n; ++k) session->lastContour[k] = points[k];
    session->lastCount = n;
    TZVSDData after;
    if (live && _ZVSDGetData(slot.handle, &after) == 0) {
        Check(index == after.ItemCount - 1, "an add returns the item count minus 1");
        bool finite = true;
        for (int k = 0; k < n; ++k)
            finite = finite && std::isfinite(points[k].X) && std::isfinite(points[k].Y) && std::isfinite(points[k].Z);
        if (!finite || n < 2) Check(after.ItemCount <= before.ItemCount + 0, "a non-finite or short contour is rejected");
    }
}

void RunCall(FuzzedDataProvider& in) {
    const uint8_t code = in.ConsumeIntegral<uint8_t>();
    Slot& slot = session->slots[(code >> 4) % kSlots];
    if (trace) std::fprintf(stderr, "call %d on slot %d\n", code % opCount, (code >> 4) % kSlots);
    switch (code % opCount) {
        case opCreate:
            if (!slot.handle) {
                slot = Slot{};
                slot.handle = ZVSDCreate();
                Check(slot.handle != nullptr, "ZVSDCreate gives a handle");
            }
            break;
        case opFree:
            ZVSDFree(slot.handle);
            slot = Slot{};
            break;
        case opSetData: SetHost(slot.handle, in); break;
        case opOpen: ZVSDSetChanging(slot.handle, static_cast<int16_t>(in.ConsumeIntegralInRange<int>(1, 0x7fff))); break;
        case opClose: ZVSDSetChanging(slot.handle, 0); break;
        case opAdd: AddFrom(in, slot, false); break;
        case opAddHole: AddFrom(in, slot, true); break;
        case opChanged: ZVSDChanged(slot.handle); break;
        case opDraw: ZVSDDraw(slot.handle, in.ConsumeIntegral<int32_t>()); break;
        case opGet: CheckHandle(slot.handle); break;
        case opClear:
            ZVSDClear(slot.handle);
            slot.points = 0;
            break;
        default: {
            const size_t n = in.ConsumeIntegralInRange<size_t>(0, kMaxScript);
            session->script = in.ConsumeBytes<uint8_t>(n);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zv::InitializeUnits();
    trace = std::getenv("ZVSD_FUZZ_TRACE") != nullptr;
    // The library reports recoverable trouble as messages; keep the fuzzer's output clean.
    ZVSetMessageHandler([](int32_t, const char*, void*) {}, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Session current;
    session = &current;
    current.slots[0].handle = ZVSDCreate();
    for (int op = 0; op < kMaxOps && in.remaining_bytes() > 0; ++op) RunCall(in);
    for (Slot& s : current.slots) {
        CheckHandle(s.handle);
        ZVSDFree(s.handle);
    }
    session = nullptr;
    return 0;
}
