// TDLLOglHiddenbuffer: the buffer behind a ZVOD handle. It adds the host's
// two values and the settings record's reading and writing.
#pragma once

#include <cstddef>

#include "ogl/ogl_hidden_buffer.h"
#include "zvhlr.h"

namespace zv {

class TDLLOglHiddenbuffer : public TOglhiddenbuffer {
public:
    using TOglhiddenbuffer::TOglhiddenbuffer;

    ZVODHandle Handle() { return reinterpret_cast<ZVODHandle>(this); }
    void GetData(TZVODData& data) const;
    void SetData(const TZVODData& data);

    int32_t HostValue1 = 0;
    int32_t HostValue2 = 0;

    // Export calls of this handle in progress, and a free asked for meanwhile.
    int32_t Calls = 0;
    bool FreePending = false;
};

static_assert(sizeof(TZVODData) == 24);
static_assert(offsetof(TZVODData, Clockwise) == 4 && offsetof(TZVODData, HiddenLines) == 6);
static_assert(offsetof(TZVODData, LineColor) == 8 && offsetof(TZVODData, HostValue1) == 12);
static_assert(offsetof(TZVODData, HostValue2) == 16 && offsetof(TZVODData, Reserved) == 20);

}  // namespace zv
