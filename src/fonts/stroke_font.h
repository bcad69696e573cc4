// Stroke fonts: every character of a system font as outline polylines in
// units of the font's height, built once per name and kept in the
// process-wide container "PrimFonts".
#pragma once

#include <cstdint>
#include <string>

#include "fonts/curve_piece.h"
#include "platform/component.h"

namespace zv {

class TGlyph {
public:
    TGlyph() = default;
    TGlyph(const TGlyph&) = delete;
    TGlyph& operator=(const TGlyph&) = delete;

    // One closed polyline per contour, points (x, y, 0) from the glyph's
    // origin on the baseline, y up.
    TlistOFxyzArray Polylines;
    double Advance = 0;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
    // The pieces of every contour before flattening.
    TlistOFCurveArray Curves;
};

// The glyphs of one font: item c is the glyph of character code c (0..255,
// the Windows-1252 code page).
class TGlyphs : public TList {
public:
    ~TGlyphs() override;
    void Clear() override;  // frees every glyph
    // The glyph of a character code; none before the font is built.
    TGlyph* Glyph(uint8_t c) const { return c < Count() ? static_cast<TGlyph*>(Get(c)) : nullptr; }
    // The family of the system font the glyphs come from; empty when no
    // font file could be opened (then every glyph is empty).
    std::string Family;
};

class TPrimfont : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TGlyphs& Glyphs() const { return *glyphs_; }

protected:
    friend class TComponent;
    explicit TPrimfont(TComponent* owner);
    ~TPrimfont() override;
    // Takes its place below "PrimFonts".
    void AfterConstruction() override;

private:
    TGlyphs* glyphs_;
};

// The container "PrimFonts" while the font unit runs, or none.
TZvComponent* PrimFonts();
// The glyphs of the stroke font called name, built from the system font of
// that name at the first request. Raises an Exception for an empty name, a
// name with a backslash, and while the font unit does not run.
TGlyphs& FontByName(const std::string& name);
// Builds the 256 glyphs of the system font called name into font.
void BuildFont(TPrimfont& font, const std::string& name);

// The width of a text of character codes in units of the font height.
double TextAdvance(const TGlyphs& glyphs, const std::string& text);

// Library start-up: creates "PrimFonts" and registers the curve classes.
void InitFontUnit();
void FinalizeFontUnit();

}  // namespace zv
