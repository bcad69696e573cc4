// TPointArray: the growable array record that holds every sequence of points
// or values in the library, the point records it holds, and the array lists.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/list.h"
#include "zvhlr.h"  // TXY, TXYZ

namespace zv {

struct TXYi {
    int32_t X, Y;
};

static_assert(sizeof(TXY) == 16 && sizeof(TXYZ) == 24 && sizeof(TXYi) == 8);

struct TPointArray {
    TPointArray* SelfRef;
    int32_t ElemSize;
    int32_t Delta;
    int32_t Capacity;
    int32_t Count;
    void* Data;

    // Typed element access; the owner knows the element type.
    template <class T> T& At(int32_t i) { return static_cast<T*>(Data)[i]; }
    template <class T> const T& At(int32_t i) const { return static_cast<const T*>(Data)[i]; }
};

using TXYArray = TPointArray;
using TXYZArray = TPointArray;
using TXYiArray = TPointArray;

// Text pattern of the point text forms; "0.00" while the unit is initialised.
extern const char* PointFloatFormat;
void InitPointArrayUnit();
void FinalizePointArrayUnit();

void ArrayNew(TPointArray*& array);
void ArrayInit(TPointArray& array, int32_t elemSize, int32_t delta);
void ArrayClear(TPointArray& array);
void ArrayGrow(TPointArray& array);
void ArraySetCount(TPointArray& array, int32_t n);
void* ArrayInsertNew(TPointArray& array, int32_t index);
void ArrayInsert(TPointArray& array, int32_t index, const void* element);
void ArrayAdd(TPointArray& array, const void* element);
void ArrayDelete(TPointArray& array, int32_t index);
void ArrayPut(TPointArray& array, int32_t index, const void* element);
void ArrayAssign(TPointArray& dest, const TPointArray& source);
// A read-only view of foreign memory: SelfRef nil, Capacity = Count = count.
TPointArray ArrayView(const void* data, int32_t elemSize, int32_t count);

TXYZ MakeXYZ(double x, double y, double z);
TXY MakeXY(double x, double y);
TXYi MakeXYi(int32_t x, int32_t y);
TXYZ XYiToXYZ(const TXYi& p);
std::string XYToStr(const TXY& p);
std::string XYZToStr(const TXYZ& p);
TXY StrToXY(const std::string& text);
TXYZ StrToXYZ(const std::string& text);

// Lists that own heap TPointArray records of one element type.
class TlistOFxyzArray : public TList {
public:
    ~TlistOFxyzArray() override;
    TPointArray* AddNew();
    TPointArray* Items(int32_t i) const { return static_cast<TPointArray*>(Get(i)); }
    void Clear() override;  // releases every array
};

class TlistOFXYArray : public TList {
public:
    ~TlistOFXYArray() override;
    TPointArray* AddNew();
    TPointArray* Items(int32_t i) const { return static_cast<TPointArray*>(Get(i)); }
};

class TlistOFXYiArray : public TList {
public:
    ~TlistOFXYiArray() override;
    TPointArray* AddNew();
    TPointArray* Items(int32_t i) const { return static_cast<TPointArray*>(Get(i)); }
};

}  // namespace zv
