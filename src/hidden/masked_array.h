// TMAskedArray: the projected outline of one item and its visibility mask.
//
// Mask format: m[0] is 1.0 (visible at parameter 0) or -1.0 (hidden); every
// later value is a toggle at parameter abs(m[k]) in vertex units (integer
// part = segment, fraction = position within the projected segment), in
// ascending order; its sign is the state from there on. The outline is
// closed, so the state after the last toggle equals the state at the start.
#pragma once

#include "geometry/point_array.h"

namespace zv {

class TMAskedArray {
public:
    TMAskedArray();   // empty outline, mask [1.0]
    ~TMAskedArray();
    TMAskedArray(const TMAskedArray&) = delete;
    TMAskedArray& operator=(const TMAskedArray&) = delete;

    TPointArray* Points;  // TXY, element size 16
    TPointArray* Mask;    // Double, element size 8
};

// Target := visible exactly where both Target and Source are visible.
void MergeMask(TPointArray& target, const TPointArray& source);

// Reads mask value i.
inline double MaskValue(const TPointArray& mask, int32_t i) { return mask.At<double>(i); }
// Sets a mask to the single value v.
void SetSingleMask(TPointArray& mask, double v);

}  // namespace zv
