// The value texts of the object stream: how each kind of field value is
// written to and read from one field line.
//
// Coordinates and array values are written with two decimals when that
// reads back to the same Double, and with as many digits as it takes
// otherwise. Array items are separated by ",", or by ";" while the decimal
// separator is a comma; reading takes ";" always and "," whenever it cannot
// be a decimal separator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/point_array.h"

namespace zv {

struct TXYZi {
    int32_t X, Y, Z;
};

// Bounds of what one stream holds: bytes of one line, items of one array
// value or string list, bytes of one binary block, nesting of sections.
constexpr size_t kMaxStreamLine = size_t{64} << 20;
constexpr int32_t kMaxStreamItems = 1 << 24;
constexpr int32_t kMaxStreamBlock = static_cast<int32_t>((kMaxStreamLine - 4096) / 2);
constexpr int kMaxStreamNesting = 256;

std::string BooleanText(bool b);
// True exactly when the upper-cased text is "TRUE".
bool BooleanFromText(const std::string& text);

// Raises EConvertError for a value that is not a finite number.
std::string FloatText(double d);
std::string CoordinateText(double d);
std::string Point2DText(const TXY& p);
std::string Point3DText(const TXYZ& p);
std::string IntPointText(const TXYi& p);
std::string IntPoint3DText(const TXYZi& p);
// "x/y" and "x/y/z" with integers; raises EConvertError.
TXYi IntPointFromText(const std::string& text);
TXYZi IntPoint3DFromText(const std::string& text);

// "{a,b,c}"; the arrays hold 32-bit integers, Doubles or 2-D points.
std::string IntArrayText(const TPointArray& a);
std::string DoubleArrayText(const TPointArray& a);
std::string Point2DArrayText(const TPointArray& a);
// The items between "{" and "}"; raises EConvertError for another form.
std::vector<std::string> ArrayItems(const std::string& text);

// Two upper-case hexadecimal digits a byte.
std::string HexText(const void* data, int32_t size);
// Exactly size bytes from 2 * size hexadecimal digits; raises EConvertError.
std::vector<uint8_t> BytesFromHex(const std::string& text, int32_t size);

}  // namespace zv
