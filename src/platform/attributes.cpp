#include "platform/attributes.h"

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"
#include "runtime/message.h"

namespace zv {

const TClass& TZVattributes::Class() {
    static const TClass info("TZVattributes", &TZVGraphicObject::Class(), &NewInstance<TZVattributes>);
    return info;
}
const TClass& TZVattributes::ClassType() const { return Class(); }

TZVattributes::TZVattributes(TComponent* owner) : TZVGraphicObject(owner) {
    material_ = Create<TZVmaterial>(this);
    texture_ = Create<Tzvbitmap>(this);
}

void TZVattributes::Notification(TComponent* component, TOperation operation) {
    TZVGraphicObject::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == material_) material_ = nullptr;
    if (component == texture_) texture_ = nullptr;
}

template <class T>
void TZVattributes::SetClearing(T& field, const T& value, bool& parentFlag) {
    InBracket([&] {
        field = value;
        parentFlag = false;
    });
}

void TZVattributes::SetPenwidth(int32_t value) { SetClearing(penwidth_, value, parentPen_); }
void TZVattributes::SetPenStyle(TPenStyle value) { SetClearing(penStyle_, value, parentPen_); }
void TZVattributes::SetPenColor(TColor value) { SetClearing(penColor_, value, parentPen_); }
void TZVattributes::SetPolygonMode(int32_t value) { SetClearing(polygonMode_, value, parentPolygonmode_); }

void TZVattributes::SetMaterial(const TZVmaterial* m) {
    InBracket([&] {
        if (!m) return;
        if (material_) material_->SetMaterialRecord(m->GetMaterialRecord());
        parentMaterial_ = false;
    });
}

void TZVattributes::SetTexture(const Tzvbitmap* t) {
    InBracket([&] {
        if (!texture_) return;
        texture_->AttachPixels(nullptr);
        if (!t) return;
        texture_->SetSettings(t->GetSettings());
        parentTexture_ = false;
    });
}

void TZVattributes::GetAttributeRecord(TAttributeRecord& record) const {
    record = TAttributeRecord{};
    record.Texture = texture_;
    if (material_)
        record.Material = material_->GetMaterialRecord();
    else
        ShowMessage(" no Material no future ");
    record.BrushFill = brushFill_;
    record.ParentMaterial = parentMaterial_;
    record.ParentTexture = parentTexture_;
    record.ParentBrush = parentBrush_;
    record.ParentPolygonmode = parentPolygonmode_;
    record.ParentPen = parentPen_;
    record.PolygonMode = polygonMode_;
    record.Penwidth = penwidth_;
    record.Brushcolor = brushcolor_;
    record.PenColor = penColor_;
    record.PenStyle = penStyle_;
}

void TZVattributes::WriteToStream(TZVWriter& writer) {
    TZVGraphicObject::WriteToStream(writer);
    if (!texture_ || !material_) throw Exception("An attribute set without material or texture cannot be written");
    texture_->WriteToStream(writer);
    material_->WriteToStream(writer);
    WriteFlag(writer, "ParentTexture", parentTexture_);
    WriteFlag(writer, "ParentMaterial", parentMaterial_);
    WriteFlag(writer, "ParentPolygonmode", parentPolygonmode_);
    writer.WriteInteger("Polygonmode", polygonMode_);
    WriteFlag(writer, "ParentPen", parentPen_);
    writer.WriteInteger("Penwidth", penwidth_);
    writer.WriteInteger("PenColor", static_cast<int32_t>(penColor_));
    writer.WriteInteger("PenStyle", penStyle_);
    WriteFlag(writer, "ParentBrush", parentBrush_);
    writer.WriteInteger("BrushColor", static_cast<int32_t>(brushcolor_));
    WriteFlag(writer, "BrushFill", brushFill_);
}

void TZVattributes::ReadFromStream(TZVReader& reader) {
    TZVGraphicObject::ReadFromStream(reader);
    if (!texture_ || !material_) throw Exception("An attribute set without material or texture cannot be read");
    InBracket([&] {
        texture_->ReadFromStream(reader);
        material_->ReadFromStream(reader);
        parentTexture_ = ReadFlag(reader, "ParentTexture", parentTexture_);
        parentMaterial_ = ReadFlag(reader, "ParentMaterial", parentMaterial_);
        parentPolygonmode_ = ReadFlag(reader, "ParentPolygonmode", parentPolygonmode_);
        reader.ReadInteger("Polygonmode", polygonMode_);
        parentPen_ = ReadFlag(reader, "ParentPen", parentPen_);
        reader.ReadInteger("Penwidth", penwidth_);
        int32_t color = static_cast<int32_t>(penColor_);
        reader.ReadInteger("PenColor", color);
        penColor_ = static_cast<TColor>(color);
        int32_t style = penStyle_;
        reader.ReadInteger("PenStyle", style);
        penStyle_ = static_cast<TPenStyle>(style);
        parentBrush_ = ReadFlag(reader, "ParentBrush", parentBrush_);
        color = static_cast<int32_t>(brushcolor_);
        reader.ReadInteger("BrushColor", color);
        brushcolor_ = static_cast<TColor>(color);
        brushFill_ = ReadFlag(reader, "BrushFill", brushFill_);
    });
}

void TZVattributes::Loaded() {
    TZVGraphicObject::Loaded();
    if (texture_) texture_->Loaded();
}

}  // namespace zv
