#include "hidden/masked_array.h"

namespace zv {

// Both headers in one block: a buffer holds millions of these.
TMAskedArray::TMAskedArray() {
    TPointArray* headers = new TPointArray[2]{};
    Mask = &headers[0];
    Points = &headers[1];
    ArrayInit(*Mask, 8, 5);
    SetSingleMask(*Mask, 1.0);
    ArrayInit(*Points, 16, 5);
}

TMAskedArray::~TMAskedArray() {
    ArrayClear(*Mask);
    ArrayClear(*Points);
    delete[] Mask;
}

void SetSingleMask(TPointArray& mask, double v) {
    ArraySetCount(mask, 1);
    mask.At<double>(0) = v;
}

}  // namespace zv
