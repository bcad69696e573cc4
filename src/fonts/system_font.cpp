#include "fonts/system_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <vector>

namespace zv {
namespace {

struct FontFile {
    std::string path, family;
    int index = 0;
};

// The file of the outline font fontconfig prefers for the family name.
FontFile MatchFontFile(const std::string& family) {
    FontFile found;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return found;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match) {
        FcChar8* text = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch) found.path = reinterpret_cast<char*>(text);
        if (FcPatternGetString(match, FC_FAMILY, 0, &text) == FcResultMatch) found.family = reinterpret_cast<char*>(text);
        FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return found;
}

// Ascent plus descent as Windows measures a TrueType font, in font units.
double FontHeight(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return double(os2->usWinAscent) + double(os2->usWinDescent);
    if (face->ascender - face->descender > 0) return double(face->ascender) - double(face->descender);
    return face->units_per_EM > 0 ? face->units_per_EM : 1000;
}

// Builds the pieces of one contour: lines between on-curve points, quadratic
// splines through runs of conic points with the on-curve points implied
// midway between two of them, cubic arcs approximated by quadratic ones.
class ContourBuilder {
public:
    ContourBuilder(TPointArray& pieces, double scale, TXY origin) : pieces_(pieces), scale_(scale), origin_(origin) {}

    TXY Map(const FT_Vector& v) const { return {v.x * scale_ + origin_.X, v.y * scale_ + origin_.Y}; }

    void Start(const TXY& p) { current_ = p; }

    void Point(const TXY& p, char tag) {
        if (tag == FT_CURVE_TAG_ON) return OnCurve(p);
        if (!pending_.empty() && pendingTag_ != tag) FlushAsLines();
        pending_.push_back(p);
        pendingTag_ = tag;
    }

    // Ends the contour at its start; a closing line of no length is left out.
    void Close(const TXY& start) {
        if (!pending_.empty() || current_.X != start.X || current_.Y != start.Y) OnCurve(start);
    }

private:
    void Add(const TCurvePiece& piece) {
        ArrayAdd(pieces_, &piece);
        current_ = piece.End;
    }

    void OnCurve(const TXY& p) {
        if (pending_.empty()) {
            Add(LinePiece(current_, p));
        } else if (pendingTag_ == FT_CURVE_TAG_CONIC) {
            for (size_t k = 0; k < pending_.size(); ++k) {
                TXY end = k + 1 == pending_.size() ? p : Mid(pending_[k], pending_[k + 1]);
                Add(QsplinePiece(current_, pending_[k], end));
            }
        } else if (pending_.size() == 2) {
            AddCubic(current_, pending_[0], pending_[1], p);
        } else {
            FlushAsLines();
            Add(LinePiece(current_, p));
        }
        pending_.clear();
    }

    void FlushAsLines() {
        for (const TXY& q : pending_) Add(LinePiece(current_, q));
        pending_.clear();
    }

    static TXY Mid(const TXY& a, const TXY& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

    // Four quadratic arcs, one per quarter of the cubic's parameter range.
    void AddCubic(TXY p0, TXY p1, TXY p2, TXY p3) {
        auto at = [&](double t) {
            double s = 1 - t;
            return TXY{s * s * s * p0.X + 3 * s * s * t * p1.X + 3 * s * t * t * p2.X + t * t * t * p3.X,
                       s * s * s * p0.Y + 3 * s * s * t * p1.Y + 3 * s * t * t * p2.Y + t * t * t * p3.Y};
        };
        auto slope = [&](double t) {
            double s = 1 - t;
            return TXY{3 * (s * s * (p1.X - p0.X) + 2 * s * t * (p2.X - p1.X) + t * t * (p3.X - p2.X)),
                       3 * (s * s * (p1.Y - p0.Y) + 2 * s * t * (p2.Y - p1.Y) + t * t * (p3.Y - p2.Y))};
        };
        for (int k = 0; k < 4; ++k) {
            double t0 = k / 4.0, t1 = (k + 1) / 4.0, h = (t1 - t0) / 2;
            TXY a = at(t0), b = k == 3 ? p3 : at(t1), da = slope(t0), db = slope(t1);
            // The control point where the end tangents of the quarter meet, averaged.
            TXY control{(a.X + h * da.X + b.X - h * db.X) / 2, (a.Y + h * da.Y + b.Y - h * db.Y) / 2};
            Add(QsplinePiece(current_, control, b));
        }
    }

    TPointArray& pieces_;
    double scale_;
    TXY origin_;
    TXY current_{0, 0};
    std::vector<TXY> pending_;
    char pendingTag_ = FT_CURVE_TAG_CONIC;
};

void ConvertContour(const FT_Outline& outline, int first, int last, ContourBuilder& builder) {
    const int n = last - first + 1;
    int startAt = -1;
    for (int k = first; k <= last && startAt < 0; ++k)
        if (FT_CURVE_TAG(outline.tags[k]) == FT_CURVE_TAG_ON) startAt = k;
    TXY start;
    int from;  // the first point after the start, counted from first
    if (startAt >= 0) {
        start = builder.Map(outline.points[startAt]);
        from = startAt - first + 1;
    } else {  // only conic points: start midway between the last and the first
        TXY a = builder.Map(outline.points[last]), b = builder.Map(outline.points[first]);
        start = {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
        from = 0;
    }
    builder.Start(start);
    const int count = startAt >= 0 ? n - 1 : n;
    for (int i = 0; i < count; ++i) {
        int k = first + (from + i) % n;
        builder.Point(builder.Map(outline.points[k]), static_cast<char>(FT_CURVE_TAG(outline.tags[k])));
    }
    builder.Close(start);
}

}  // namespace

uint32_t UnicodeOfAnsi(uint8_t c) {
    static const uint16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
}

TSystemFont::TSystemFont(const std::string& family) {
    FontFile file = MatchFontFile(family);
    if (file.path.empty()) return;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return;
    library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return;
    if (!FT_IS_SCALABLE(face) || FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return;
    }
    face_ = face;
    family_ = file.family;
    file_ = file.path;
    height_ = FontHeight(face);
}

TSystemFont::~TSystemFont() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool TSystemFont::LoadGlyph(uint8_t c) const {
    if (!face_) return false;
    auto face = static_cast<FT_Face>(face_);
    const uint32_t code = UnicodeOfAnsi(c);
    const FT_UInt index = code ? FT_Get_Char_Index(face, code) : 0;
    return index != 0 && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0;
}

bool TSystemFont::OutlineCounts(uint8_t c, int& contours, int& points) const {
    contours = points = 0;
    if (!LoadGlyph(c)) return false;
    const FT_GlyphSlot slot = static_cast<FT_Face>(face_)->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    contours = slot->outline.n_contours;
    points = slot->outline.n_points;
    return true;
}

double TSystemFont::ConvertOutline(uint8_t c, const TXY& origin, TlistOFCurveArray& curves) const {
    if (!LoadGlyph(c)) return 0;
    const FT_GlyphSlot slot = static_cast<FT_Face>(face_)->glyph;
    const double advance = double(slot->metrics.horiAdvance) / height_;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return advance;
    const FT_Outline& outline = slot->outline;
    int first = 0;
    for (int contour = 0; contour < outline.n_contours; ++contour) {
        const int last = outline.contours[contour];
        if (last < first || last >= outline.n_points) break;
        ContourBuilder builder(*curves.AddNew(), 1.0 / height_, origin);
        ConvertContour(outline, first, last, builder);
        first = last + 1;
    }
    return advance;
}

}  // namespace zv
