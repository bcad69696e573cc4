#include "fonts/stroke_font.h"

#include "fonts/curves.h"
#include "fonts/system_font.h"
#include "runtime/exception.h"
#include "runtime/message.h"

namespace zv {
namespace {

TZvComponent* primFonts = nullptr;

}  // namespace

TGlyphs::~TGlyphs() { TGlyphs::Clear(); }

void TGlyphs::Clear() {
    for (int32_t i = Count() - 1; i >= 0; --i) delete static_cast<TGlyph*>(Get(i));
    TList::Clear();
}

const TClass& TPrimfont::Class() {
    static const TClass info("TPrimfont", &TZvComponent::Class(), &NewInstance<TPrimfont>);
    return info;
}
const TClass& TPrimfont::ClassType() const { return Class(); }

TPrimfont::TPrimfont(TComponent* owner) : TZvComponent(owner), glyphs_(new TGlyphs) {}

TPrimfont::~TPrimfont() { delete glyphs_; }

void TPrimfont::AfterConstruction() {
    TZvComponent::AfterConstruction();
    if (primFonts) SetParent(primFonts);
}

TZvComponent* PrimFonts() { return primFonts; }

void BuildFont(TPrimfont& font, const std::string& name) {
    TSystemFont system(name);
    TGlyphs& glyphs = font.Glyphs();
    glyphs.Clear();
    glyphs.Family = system.Family();
    if (!system.Valid()) ShowMessage("No outline font found for \"" + name + "\": its text stays empty");
    for (int c = 0; c < 256; ++c) {
        auto* glyph = new TGlyph;
        glyphs.Add(glyph);
        glyph->Advance = system.ConvertOutline(static_cast<uint8_t>(c), TXY{0, 0}, glyph->Curves);
        FlattenCurves(glyph->Curves, glyph->Polylines);
    }
}

TGlyphs& FontByName(const std::string& name) {
    if (!primFonts) throw Exception("Stroke fonts are not available");
    if (name.empty() || name.find('\\') != std::string::npos) throw Exception("Invalid font name \"" + name + "\"");
    if (TZvComponent* found = primFonts->FindChild(name)) {
        if (found->InheritsFrom(TPrimfont::Class())) return static_cast<TPrimfont*>(found)->Glyphs();
        throw Exception("\"" + name + "\" below PrimFonts is not a font");
    }
    TPrimfont* font = TComponent::Create<TPrimfont>(nullptr);
    try {
        font->SetZvName(name);
        BuildFont(*font, name);
    } catch (...) {
        font->Free();
        throw;
    }
    return font->Glyphs();
}

double TextAdvance(const TGlyphs& glyphs, const std::string& text) {
    double width = 0;
    for (char c : text)
        if (const TGlyph* glyph = glyphs.Glyph(static_cast<uint8_t>(c))) width += glyph->Advance;
    return width;
}

void InitFontUnit() {
    RegisterClass(TPrimfont::Class());
    RegisterCurveClasses();
    if (primFonts) return;
    primFonts = TComponent::Create<TZvComponent>(nullptr);
    primFonts->SetZvName("PrimFonts");
    primFonts->SetChildClass(&TPrimfont::Class());
}

void FinalizeFontUnit() {
    TZvComponent* container = primFonts;
    primFonts = nullptr;
    if (container) container->Free();  // frees the fonts, which have no owner
    UnregisterCurveClasses();
    UnregisterClass(TPrimfont::Class());
}

}  // namespace zv
