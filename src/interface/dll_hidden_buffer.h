// TDLLHiddenbuffer: the buffer behind a ZVSD handle. Its events forward to
// the host's callbacks; a nil callback pointer skips the call.
#pragma once

#include <cstddef>

#include "hidden/hidden_buffer.h"
#include "zvhlr.h"

namespace zv {

class TDLLHiddenbuffer : public TzvHiddenbuffer {
public:
    TDLLHiddenbuffer();

    ZVSDHandle Handle() { return reinterpret_cast<ZVSDHandle>(this); }
    void GetData(TZVSDData& data) const;
    void SetData(const TZVSDData& data);

    TZVSDDepthProc DepthProc = nullptr;
    TZVSDProjectProc ProjectProc = nullptr;
    TZVSDInterpolateProc InterpolateProc = nullptr;
    TZVSDMoveToProc MoveToProc = nullptr;
    TZVSDLineToProc LineToProc = nullptr;
    TZVSDQueryAbortProc QueryAbortProc = nullptr;
    TZVSDNotifyProc BeginProc = nullptr;
    TZVSDNotifyProc EndProc = nullptr;
    int32_t HostValue1 = 0;
    int32_t HostValue2 = 0;

    // A free asked for while the store was locked; carried out when it is unlocked.
    bool FreePending = false;
};

// The record's layout is part of the interface: 48 bytes with 4-byte
// callbacks, 80 with 8-byte ones.
static_assert(offsetof(TZVSDData, DepthProc) == 0);
static_assert(offsetof(TZVSDData, ProjectProc) == sizeof(void*));
static_assert(offsetof(TZVSDData, InterpolateProc) == 2 * sizeof(void*));
static_assert(offsetof(TZVSDData, LineToProc) == 3 * sizeof(void*));
static_assert(offsetof(TZVSDData, MoveToProc) == 4 * sizeof(void*));
static_assert(offsetof(TZVSDData, QueryAbortProc) == 5 * sizeof(void*));
static_assert(offsetof(TZVSDData, BeginProc) == 6 * sizeof(void*));
static_assert(offsetof(TZVSDData, EndProc) == 7 * sizeof(void*));
static_assert(offsetof(TZVSDData, FrontPositiveFlag) == 8 * sizeof(void*));
static_assert(offsetof(TZVSDData, DrawHiddenFlag) == 8 * sizeof(void*) + 2);
static_assert(offsetof(TZVSDData, HostValue1) == 8 * sizeof(void*) + 4);
static_assert(offsetof(TZVSDData, HostValue2) == 8 * sizeof(void*) + 8);
static_assert(offsetof(TZVSDData, ItemCount) == 8 * sizeof(void*) + 12);
static_assert(sizeof(TZVSDData) == (sizeof(void*) == 4 ? 48 : 80));
static_assert(sizeof(TPlane) == 48 && sizeof(TXYZ) == 24 && sizeof(TXY) == 16);

}  // namespace zv
