// A system font opened by family name through fontconfig and FreeType, and
// its glyph outlines as line and quadratic-spline pieces.
#pragma once

#include <cstdint>
#include <string>

#include "fonts/curve_piece.h"

namespace zv {

class TSystemFont {
public:
    // Opens the outline font that fontconfig matches best for the family
    // name; that may be another family (see Family). When no font file can
    // be opened the font is not Valid and has no glyphs.
    explicit TSystemFont(const std::string& family);
    ~TSystemFont();
    TSystemFont(const TSystemFont&) = delete;
    TSystemFont& operator=(const TSystemFont&) = delete;

    bool Valid() const { return face_ != nullptr; }
    // The family and file of the font opened; empty when none.
    const std::string& Family() const { return family_; }
    const std::string& File() const { return file_; }
    // The font's height (ascent plus descent) in font units: the unit of
    // every coordinate below.
    double Height() const { return height_; }

    // Adds one curve array per contour of the glyph of character code c (the
    // Windows-1252 code page) to curves, points scaled by 1/Height and moved
    // by origin, and returns the glyph's advance in the same units. A code
    // the font has no glyph for adds nothing and returns 0.
    double ConvertOutline(uint8_t c, const TXY& origin, TlistOFCurveArray& curves) const;
    // The contours and points of the glyph's outline as the font stores it
    // (on-curve and control points); false when there is no outline.
    bool OutlineCounts(uint8_t c, int& contours, int& points) const;

private:
    // Loads the glyph of code c into the face's slot; false when there is none.
    bool LoadGlyph(uint8_t c) const;

    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    std::string family_, file_;
    double height_ = 1;
};

// The Unicode code point of a Windows-1252 code; 0 for the five unassigned ones.
uint32_t UnicodeOfAnsi(uint8_t c);

}  // namespace zv
