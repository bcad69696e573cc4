#include "label.h"

#include <algorithm>
#include <cstdint>

#include "fonts/curve_piece.h"
#include "fonts/system_font.h"

namespace zv::tool {

namespace {

// The length of a UTF-8 sequence from its lead byte; 0 for a byte that
// cannot start one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

char AnsiOfCodePoint(uint32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int c = 0x80; c < 0xA0; ++c)
        if (UnicodeOfAnsi(static_cast<uint8_t>(c)) == code && code != 0) return static_cast<char>(c);
    return '?';
}

}  // namespace

std::string AnsiOfUtf8(const std::string& text) {
    std::string ansi;
    for (size_t k = 0; k < text.size();) {
        const auto lead = static_cast<unsigned char>(text[k]);
        const int length = SequenceLength(lead);
        bool valid = length > 0 && k + length <= text.size();
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[k + i]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            ansi.push_back(static_cast<char>(lead));
            ++k;
            continue;
        }
        ansi.push_back(AnsiOfCodePoint(code));
        k += static_cast<size_t>(length);
    }
    return ansi;
}

Label LabelUnder(const std::string& text, const std::string& fontName, const Extent& extent) {
    Label label;
    TSystemFont font(fontName);
    label.family = font.Family();
    // The text in units of the font height, from the origin along the baseline.
    TlistOFCurveArray curves;
    double x = 0;
    for (char c : AnsiOfUtf8(text)) x += font.ConvertOutline(static_cast<uint8_t>(c), TXY{x, 0}, curves);
    TlistOFxyzArray outlines;
    FlattenCurves(curves, outlines);
    std::vector<Polyline> lines;
    for (int32_t i = 0; i < outlines.Count(); ++i) {
        const TPointArray& outline = *outlines.Items(i);
        Polyline line;
        for (int32_t k = 0; k < outline.Count; ++k) line.push_back({outline.At<TXYZ>(k).X, outline.At<TXYZ>(k).Y});
        if (line.size() >= 2) lines.push_back(std::move(line));
    }
    const Extent own = ExtentOf(Drawing{lines, {}, {}}, false);
    if (own.empty) return label;
    const double height = extent.empty ? 1 : std::max(extent.max.x - extent.min.x, extent.max.y - extent.min.y) / 20;
    const double scale = height > 0 ? height : 1;
    const double centreX = extent.empty ? 0 : (extent.min.x + extent.max.x) / 2;
    const double top = extent.empty ? 0 : extent.min.y - scale / 2;
    const double shiftX = centreX - scale * (own.min.x + own.max.x) / 2;
    const double shiftY = top - scale * own.max.y;
    for (Polyline& line : lines) {
        for (Point2& p : line) p = {shiftX + scale * p.x, shiftY + scale * p.y};
    }
    label.lines = std::move(lines);
    return label;
}

}  // namespace zv::tool
