#include "platform/stream_values.h"

#include <cmath>

#include "runtime/component.h"
#include "runtime/exception.h"
#include "runtime/number_text.h"

namespace zv {
namespace {

char ListSeparator() { return DecimalSeparator() == ',' ? ';' : ','; }

std::vector<std::string> SplitAt(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t cut = text.find(separator, start);
        pieces.push_back(text.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
        if (cut == std::string::npos) return pieces;
        start = cut + 1;
    }
}

template <class Format>
std::string ListText(const TPointArray& a, int32_t elemSize, Format format) {
    if (a.Count > 0 && a.ElemSize != elemSize)
        throw Exception("Array of " + std::to_string(a.ElemSize) + "-byte elements where " + std::to_string(elemSize) +
                        " bytes were expected");
    std::string text = "{";
    for (int32_t i = 0; i < a.Count; ++i) {
        if (i > 0) text += ListSeparator();
        text += format(i);
    }
    return text + "}";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string BooleanText(bool b) { return b ? "True" : "False"; }
bool BooleanFromText(const std::string& text) { return UpperCaseName(text) == "TRUE"; }

std::string FloatText(double d) {
    if (!std::isfinite(d)) throw EConvertError("A value that is not a finite number cannot be written");
    return FormatFloat(d);
}

std::string CoordinateText(double d) {
    std::string fixed = FormatFixed(d, 2);
    if (std::isfinite(d) && ParseFloat(fixed) == d) return fixed;
    return FloatText(d);
}

std::string Point2DText(const TXY& p) { return CoordinateText(p.X) + "/" + CoordinateText(p.Y); }
std::string Point3DText(const TXYZ& p) {
    return CoordinateText(p.X) + "/" + CoordinateText(p.Y) + "/" + CoordinateText(p.Z);
}
std::string IntPointText(const TXYi& p) { return std::to_string(p.X) + "/" + std::to_string(p.Y); }
std::string IntPoint3DText(const TXYZi& p) {
    return std::to_string(p.X) + "/" + std::to_string(p.Y) + "/" + std::to_string(p.Z);
}

TXYi IntPointFromText(const std::string& text) {
    std::vector<std::string> pieces = SplitAt(text, '/');
    if (pieces.size() != 2) throw EConvertError("'" + text + "' is not a valid integer point");
    return TXYi{ParseInteger(pieces[0]), ParseInteger(pieces[1])};
}

TXYZi IntPoint3DFromText(const std::string& text) {
    std::vector<std::string> pieces = SplitAt(text, '/');
    if (pieces.size() != 3) throw EConvertError("'" + text + "' is not a valid integer point");
    return TXYZi{ParseInteger(pieces[0]), ParseInteger(pieces[1]), ParseInteger(pieces[2])};
}

std::string IntArrayText(const TPointArray& a) {
    return ListText(a, 4, [&](int32_t i) { return std::to_string(a.At<int32_t>(i)); });
}

std::string DoubleArrayText(const TPointArray& a) {
    return ListText(a, 8, [&](int32_t i) { return CoordinateText(a.At<double>(i)); });
}

std::string Point2DArrayText(const TPointArray& a) {
    return ListText(a, 16, [&](int32_t i) { return Point2DText(a.At<TXY>(i)); });
}

std::vector<std::string> ArrayItems(const std::string& text) {
    if (text.size() < 2 || text.front() != '{' || text.back() != '}')
        throw EConvertError("'" + text + "' is not a valid array value");
    std::string inner = text.substr(1, text.size() - 2);
    if (inner.find_first_not_of(" \t") == std::string::npos) return {};
    std::vector<std::string> items;
    for (std::string& piece : SplitAt(inner, ';')) {
        std::vector<std::string> parts =
            DecimalSeparator() == ',' ? std::vector<std::string>{piece} : SplitAt(piece, ',');
        items.insert(items.end(), parts.begin(), parts.end());
    }
    return items;
}

std::string HexText(const void* data, int32_t size) {
    static const char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string text;
    text.reserve(size > 0 ? 2 * static_cast<size_t>(size) : 0);
    for (int32_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::vector<uint8_t> BytesFromHex(const std::string& text, int32_t size) {
    if (size < 0 || text.size() != 2 * static_cast<size_t>(size))
        throw EConvertError("A block of " + std::to_string(size) + " bytes takes " +
                            std::to_string(2 * static_cast<int64_t>(size)) + " hexadecimal digits, not " +
                            std::to_string(text.size()));
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (size_t i = 0; i < bytes.size(); ++i) {
        int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) throw EConvertError("'" + text.substr(2 * i, 2) + "' is not a hexadecimal byte");
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return bytes;
}

}  // namespace zv
