#include "hidden/masked_array.h"

namespace zv {

TMAskedArray::TMAskedArray() {
    ArrayNew(Mask);
    ArrayInit(*Mask, 8, 5);
    SetSingleMask(*Mask, 1.0);
    ArrayNew(Points);
    ArrayInit(*Points, 16, 5);
}

TMAskedArray::~TMAskedArray() {
    ArrayClear(*Mask);
    delete Mask;
    ArrayClear(*Points);
    delete Points;
}

void SetSingleMask(TPointArray& mask, double v) {
    ArraySetCount(mask, 1);
    mask.At<double>(0) = v;
}

}  // namespace zv
