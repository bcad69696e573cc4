#include "platform/bitmap.h"

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"

namespace zv {

const TClass& Tzvbitmap::Class() {
    static const TClass info("Tzvbitmap", &TZVGraphicObject::Class(), &NewInstance<Tzvbitmap>);
    return info;
}
const TClass& Tzvbitmap::ClassType() const { return Class(); }

Tzvbitmap::Tzvbitmap(TComponent* owner) : TZVGraphicObject(owner) {
    if (TZvComponent* container = BitmapsContainer()) SetZvName(container->UniqueChildName("Bitmap"));
}

TzvbitmapData* Tzvbitmap::Pixels() const { return dynamic_cast<TzvbitmapData*>(pixels_); }

void Tzvbitmap::AttachPixels(TZvComponent* block) {
    if (block == pixels_) return;
    if (pixels_) RemoveFreeNotification(pixels_);
    pixels_ = block;
    if (block) FreeNotification(block);
}

void Tzvbitmap::Notification(TComponent* component, TOperation operation) {
    TZVGraphicObject::Notification(component, operation);
    if (operation == TOperation::opRemove && component == static_cast<TComponent*>(pixels_)) pixels_ = nullptr;
}

void Tzvbitmap::GetSettings(TTextureSettings& settings) const {
    settings = TTextureSettings{filter_,    width_,       height_, static_cast<uint8_t>(repeating_),
                                shininess_, translucent_, Pixels()};
}

TTextureSettings Tzvbitmap::GetSettings() const {
    TTextureSettings settings;
    GetSettings(settings);
    return settings;
}

void Tzvbitmap::SetSettings(const TTextureSettings& settings) {
    InBracket([&] {
        filter_ = settings.Filter;
        width_ = settings.Width;
        height_ = settings.Height;
        SetRepeating(settings.Repeating != 0);
        shininess_ = settings.Shininess;
        translucent_ = settings.Translucent;
        AttachPixels(settings.Pixels);
    });
}

void Tzvbitmap::Assign(const TComponent* source) {
    auto* texture = dynamic_cast<const Tzvbitmap*>(source);
    if (!texture)
        throw EConvertError("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) + " to a " +
                            ClassName());
    SetSettings(texture->GetSettings());
}

void Tzvbitmap::WriteToStream(TZVWriter& writer) {
    TZVGraphicObject::WriteToStream(writer);
    writer.WriteInteger("Width", width_);
    writer.WriteInteger("Height", height_);
    WriteFlag(writer, "Repeating", repeating_);
    writer.WriteInteger("Filter", filter_);
    writer.WriteFloat("Shininess", shininess_);
    writer.WriteFloat("Translucent", translucent_);
    writer.WriteReference("Pixels", nullptr, Pixels());
}

void Tzvbitmap::ReadFromStream(TZVReader& reader) {
    TZVGraphicObject::ReadFromStream(reader);
    InBracket([&] {
        reader.ReadInteger("Width", width_);
        reader.ReadInteger("Height", height_);
        repeating_ = ReadFlag(reader, "Repeating", repeating_);
        reader.ReadInteger("Filter", filter_);
        reader.ReadFloat("Shininess", shininess_);
        reader.ReadFloat("Translucent", translucent_);
        if (pixels_) RemoveFreeNotification(pixels_);
        reader.ReadReference("Pixels", pixels_);
        if (pixels_) FreeNotification(pixels_);
    });
}

void Tzvbitmap::Loaded() {
    TZVGraphicObject::Loaded();
    if (pixels_) FreeNotification(pixels_);
}

}  // namespace zv
