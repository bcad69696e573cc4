#include "geometry/point_array.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/exception.h"
#include "runtime/message.h"
#include "runtime/number_text.h"

namespace zv {

// A pointer to a literal: constant-initialised and never destroyed, so it is
// ready whichever file the load constructor reaches first.
const char* PointFloatFormat = "";

void InitPointArrayUnit() { PointFloatFormat = "0.00"; }
void FinalizePointArrayUnit() { PointFloatFormat = ""; }

namespace {

size_t BlockBytes(int32_t capacity, int32_t elemSize) {
    if (capacity < 0 || elemSize < 0) throw std::bad_alloc();
    return static_cast<size_t>(capacity) * static_cast<size_t>(elemSize);
}

void* AllocZeroed(int32_t capacity, int32_t elemSize) {
    size_t bytes = BlockBytes(capacity, elemSize);
    if (bytes == 0) return nullptr;
    void* block = std::calloc(1, bytes);
    if (!block) throw std::bad_alloc();
    return block;
}

char* ElementAt(TPointArray& array, int32_t index) {
    return static_cast<char*>(array.Data) + static_cast<size_t>(index) * static_cast<size_t>(array.ElemSize);
}

// Moves elements index..Count-1 up by one place; the caller has made room.
void ShiftUp(TPointArray& array, int32_t index) {
    size_t tail = static_cast<size_t>(array.Count - index) * static_cast<size_t>(array.ElemSize);
    if (tail) std::memmove(ElementAt(array, index + 1), ElementAt(array, index), tail);
}

}  // namespace

void ArrayNew(TPointArray*& array) { array = new TPointArray{}; }

void ArrayInit(TPointArray& array, int32_t elemSize, int32_t delta) {
    array.SelfRef = &array;
    array.Count = 0;
    array.Delta = delta == 0 ? 5 : delta;
    array.Capacity = array.Delta;
    array.ElemSize = elemSize;
    array.Data = AllocZeroed(array.Capacity, elemSize);
}

void ArrayClear(TPointArray& array) {
    const long long bytes = static_cast<long long>(array.Capacity) * array.ElemSize;
    void* block = array.Data;
    // The record is empty before anyone hears of it: a message handler may
    // call back into the library.
    array.Count = 0;
    array.Capacity = 0;
    array.Delta = 0;
    array.Data = nullptr;
    if (block && bytes != 0) std::free(block);
    if (bytes > 100000) ShowMessage("bescheidenheit ist eine tugend (freigeben)");
}

void ArrayGrow(TPointArray& array) {
    if (array.Delta == 0) array.Delta = 5;
    if (array.Capacity > INT32_MAX - array.Delta) throw std::bad_alloc();
    int32_t capacity = array.Capacity + array.Delta;
    void* block = AllocZeroed(capacity, array.ElemSize);
    if (array.Count > 0) std::memcpy(block, array.Data, BlockBytes(array.Count, array.ElemSize));
    std::free(array.Data);
    array.Data = block;
    array.Capacity = capacity;
}

void ArraySetCount(TPointArray& array, int32_t n) {
    if (n < 0) n = 0;
    if (n > array.Capacity) {
        // One growth to the final size; the step stays Delta-sized so the
        // capacity is what repeated growth would give.
        int32_t delta = array.Delta == 0 ? 5 : array.Delta;
        long long steps = (static_cast<long long>(n) - array.Capacity + delta - 1) / delta;
        long long capacity = array.Capacity + steps * delta;
        if (capacity > INT32_MAX) throw std::bad_alloc();
        int32_t saved = array.Delta;
        array.Delta = static_cast<int32_t>(capacity - array.Capacity);
        ArrayGrow(array);
        array.Delta = saved == 0 ? 5 : saved;
    }
    array.Count = n;
}

void* ArrayInsertNew(TPointArray& array, int32_t index) {
    if (index < 0 || index > array.Count) index = array.Count;
    if (array.Count == array.Capacity) ArrayGrow(array);
    ShiftUp(array, index);
    std::memset(ElementAt(array, index), 0, static_cast<size_t>(array.ElemSize));
    ++array.Count;
    return ElementAt(array, index);
}

void ArrayInsert(TPointArray& array, int32_t index, const void* element) {
    if (index < 0 || index > array.Count) index = array.Count;
    // The grown block is zero-filled like every other: elements past Count
    // must never hold indeterminate bytes that ArraySetCount could expose.
    if (array.Count == array.Capacity) ArrayGrow(array);
    ShiftUp(array, index);
    ++array.Count;
    ArrayPut(array, index, element);
}

void ArrayAdd(TPointArray& array, const void* element) { ArrayInsert(array, array.Count, element); }

void ArrayDelete(TPointArray& array, int32_t index) {
    if (index < 0 || index >= array.Count) return;
    size_t tail = static_cast<size_t>(array.Count - index - 1) * static_cast<size_t>(array.ElemSize);
    if (tail) std::memmove(ElementAt(array, index), ElementAt(array, index + 1), tail);
    --array.Count;
}

void ArrayPut(TPointArray& array, int32_t index, const void* element) {
    if (index < 0 || index >= array.Count || element == nullptr) return;
    std::memmove(ElementAt(array, index), element, static_cast<size_t>(array.ElemSize));
}

void ArrayAssign(TPointArray& dest, const TPointArray& source) {
    if (&dest == &source) return;
    // Read the source before clearing: it may share nothing with dest, but a
    // caller may pass a view into dest's own block.
    const int32_t capacity = source.Capacity;
    const int32_t count = source.Count;
    const int32_t elemSize = source.ElemSize;
    std::vector<char> copy;
    if (source.Data && capacity > 0) {
        const char* from = static_cast<const char*>(source.Data);
        copy.assign(from, from + BlockBytes(capacity, elemSize));
    }
    ArrayClear(dest);
    ArrayInit(dest, elemSize, capacity);
    dest.Count = count;
    if (!copy.empty()) std::memcpy(dest.Data, copy.data(), copy.size());
}

TPointArray ArrayView(const void* data, int32_t elemSize, int32_t count) {
    TPointArray view{};
    view.SelfRef = nullptr;
    view.ElemSize = elemSize;
    view.Delta = 5;
    view.Capacity = count;
    view.Count = count;
    view.Data = const_cast<void*>(data);
    return view;
}

TXYZ MakeXYZ(double x, double y, double z) { return TXYZ{x, y, z}; }
TXY MakeXY(double x, double y) { return TXY{x, y}; }
TXYi MakeXYi(int32_t x, int32_t y) { return TXYi{x, y}; }
TXYZ XYiToXYZ(const TXYi& p) { return TXYZ{static_cast<double>(p.X), static_cast<double>(p.Y), 0.0}; }

namespace {

// Decimals of the point pattern: the digits after its separator ("0.00": 2).
int PatternDecimals() {
    const std::string pattern = PointFloatFormat;
    size_t dot = pattern.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
}

std::string FormatCoordinate(double v) { return FormatFixed(v, PatternDecimals()); }

std::vector<std::string> SplitPieces(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t slash = text.find('/', start);
        pieces.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
        while (start < text.size() && text[start] == ' ') ++start;
    }
    return pieces;
}

double Piece(const std::vector<std::string>& pieces, size_t i, const std::string& text) {
    if (i >= pieces.size()) throw EConvertError("'" + text + "' is not a valid point");
    return ParseFloat(pieces[i]);
}

}  // namespace

std::string XYToStr(const TXY& p) { return FormatCoordinate(p.X) + "/" + FormatCoordinate(p.Y); }

std::string XYZToStr(const TXYZ& p) {
    return FormatCoordinate(p.X) + "/" + FormatCoordinate(p.Y) + "/" + FormatCoordinate(p.Z);
}

TXY StrToXY(const std::string& text) {
    std::vector<std::string> pieces = SplitPieces(text);
    return TXY{Piece(pieces, 0, text), Piece(pieces, 1, text)};
}

TXYZ StrToXYZ(const std::string& text) {
    std::vector<std::string> pieces = SplitPieces(text);
    return TXYZ{Piece(pieces, 0, text), Piece(pieces, 1, text), Piece(pieces, 2, text)};
}

namespace {

TPointArray* NewArray(TList& list, int32_t elemSize) {
    TPointArray* array = nullptr;
    ArrayNew(array);
    ArrayInit(*array, elemSize, 5);
    list.Add(array);
    return array;
}

// Releases every array from the last to the first, leaving nil items.
void ReleaseArrays(TList& list) {
    for (int32_t i = list.Count() - 1; i >= 0; --i) {
        auto* array = static_cast<TPointArray*>(list.Get(i));
        if (array) {
            ArrayClear(*array);
            delete array;
        }
        list.Put(i, nullptr);
    }
}

}  // namespace

TlistOFxyzArray::~TlistOFxyzArray() {
    TlistOFxyzArray::Clear();
    Pack();
}

TPointArray* TlistOFxyzArray::AddNew() { return NewArray(*this, 24); }

void TlistOFxyzArray::Clear() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
        auto* array = static_cast<TPointArray*>(Get(i));
        if (array) {
            ArrayClear(*array);
            delete array;
        }
        Delete(i);
    }
    TList::Clear();
}

TlistOFXYArray::~TlistOFXYArray() {
    ReleaseArrays(*this);
    Pack();
}

TPointArray* TlistOFXYArray::AddNew() { return NewArray(*this, 16); }

TlistOFXYiArray::~TlistOFXYiArray() {
    ReleaseArrays(*this);
    Pack();
}

TPointArray* TlistOFXYiArray::AddNew() { return NewArray(*this, 8); }

}  // namespace zv
