// TZVattributes: the attribute set of an entity or a device: pen, brush,
// polygon mode, material and texture, each group with a flag that says
// whether the parent's value applies instead of this one. It owns its
// material and its texture. Every setter runs in a change bracket of its own.
#pragma once

#include <cstdint>

#include "platform/bitmap.h"
#include "platform/colour.h"
#include "platform/graphic_object.h"
#include "platform/material.h"

namespace zv {

using TPenStyle = uint8_t;  // 0: solid
constexpr int32_t kGLFill = 6914;

#pragma pack(push, 1)
struct TAttributeRecord {
    Tzvbitmap* Texture;
    TMaterialRecord Material;
    uint8_t BrushFill;
    uint8_t ParentMaterial;
    uint8_t ParentTexture;
    uint8_t ParentBrush;
    uint8_t ParentPolygonmode;
    uint8_t ParentPen;
    int32_t PolygonMode;
    int32_t Penwidth;
    TColor Brushcolor;
    TColor PenColor;
    TPenStyle PenStyle;
};
#pragma pack(pop)
static_assert(sizeof(TAttributeRecord) == 55 + sizeof(void*));

class TZVattributes : public TZVGraphicObject {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    bool ParentMaterial() const { return parentMaterial_; }
    void SetParentMaterial(bool value) { SetBracketed(parentMaterial_, value); }
    TZVmaterial* Material() const { return material_; }
    // Copies m's material record into the own material and clears
    // ParentMaterial; the set keeps its own material object.
    void SetMaterial(const TZVmaterial* m);
    bool ParentTexture() const { return parentTexture_; }
    void SetParentTexture(bool value) { SetBracketed(parentTexture_, value); }
    Tzvbitmap* Texture() const { return texture_; }
    // Detaches the own texture's pixels; with a texture t, copies its
    // settings, shares its pixel block and clears ParentTexture.
    void SetTexture(const Tzvbitmap* t);
    bool ParentPen() const { return parentPen_; }
    void SetParentPen(bool value) { SetBracketed(parentPen_, value); }
    // The pen setters and the polygon mode setter clear their Parent flag.
    int32_t Penwidth() const { return penwidth_; }
    void SetPenwidth(int32_t value);
    TPenStyle PenStyle() const { return penStyle_; }
    void SetPenStyle(TPenStyle value);
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor value);
    bool ParentBrush() const { return parentBrush_; }
    void SetParentBrush(bool value) { SetBracketed(parentBrush_, value); }
    // The brush setters leave ParentBrush as it is.
    TColor Brushcolor() const { return brushcolor_; }
    void SetBrushcolor(TColor value) { SetBracketed(brushcolor_, value); }
    bool BrushFill() const { return brushFill_; }
    void SetBrushFill(bool value) { SetBracketed(brushFill_, value); }
    bool ParentPolygonmode() const { return parentPolygonmode_; }
    void SetParentPolygonmode(bool value) { SetBracketed(parentPolygonmode_, value); }
    int32_t PolygonMode() const { return polygonMode_; }
    void SetPolygonMode(int32_t value);

    // Shows " no Material no future " when the set has no material (its
    // part of the record is then zero).
    void GetAttributeRecord(TAttributeRecord& record) const;

    // After the children: the texture's fields, the material's fields, then
    // the flags and values of the set.
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;
    void Loaded() override;

protected:
    friend class TComponent;
    explicit TZVattributes(TComponent* owner);
    ~TZVattributes() override = default;

    void Notification(TComponent* component, TOperation operation) override;

private:
    template <class T>
    void SetClearing(T& field, const T& value, bool& parentFlag);

    Tzvbitmap* texture_ = nullptr;
    TZVmaterial* material_ = nullptr;
    bool brushFill_ = false;
    bool parentMaterial_ = true;
    bool parentTexture_ = true;
    bool parentBrush_ = true;
    bool parentPolygonmode_ = true;
    bool parentPen_ = true;
    int32_t polygonMode_ = kGLFill;
    int32_t penwidth_ = 1;
    TColor brushcolor_ = 0xFFFFFF;
    TColor penColor_ = 0;
    TPenStyle penStyle_ = 0;
};

}  // namespace zv
