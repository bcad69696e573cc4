// Tzvbitmap: a texture. It points to a pixel block of the bitmaps container
// (never owned) and keeps the settings that tell how the block is used.
#pragma once

#include <cstdint>

#include "platform/bitmap_data.h"
#include "platform/graphic_object.h"

namespace zv {

constexpr int32_t kGLNearest = 9728;

#pragma pack(push, 1)
struct TTextureSettings {
    int32_t Filter;
    int32_t Width;
    int32_t Height;
    uint8_t Repeating;
    double Shininess;
    double Translucent;
    TzvbitmapData* Pixels;
};
#pragma pack(pop)
static_assert(sizeof(TTextureSettings) == 29 + sizeof(void*));

class Tzvbitmap : public TZVGraphicObject {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    virtual void GetSettings(TTextureSettings& settings) const;
    // Applies every setting inside one bracket.
    virtual void SetSettings(const TTextureSettings& settings);
    virtual bool GetUsed() const { return used_; }
    virtual bool GetRepeating() const { return repeating_; }
    // A plain flag: no bracket.
    virtual void SetUsed(bool used) { used_ = used; }
    virtual void SetRepeating(bool repeating) { SetBracketed(repeating_, repeating); }

    TTextureSettings GetSettings() const;
    // A texture copies the settings of another texture; any other source
    // raises EConvertError.
    void Assign(const TComponent* source);

    // The pixel block, or none; it drops out when the block dies.
    TzvbitmapData* Pixels() const;
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Filter() const { return filter_; }
    double Shininess() const { return shininess_; }
    double Translucent() const { return translucent_; }
    uint8_t Valid() const { return valid_; }

    // After the children: "Width", "Height", "Repeating", "Filter",
    // "Shininess", "Translucent", and "Pixels" as a reference.
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;
    // Watches a pixel block that a reference read filled in.
    void Loaded() override;

protected:
    friend class TComponent;
    friend class TZVattributes;
    // Named "Bitmap" (made unique) under the bitmaps container, not placed
    // there.
    explicit Tzvbitmap(TComponent* owner);
    ~Tzvbitmap() override = default;

    void Notification(TComponent* component, TOperation operation) override;
    // Points to block without a bracket.
    void AttachPixels(TZvComponent* block);

private:
    bool used_ = false;
    double shininess_ = 1.0;
    double translucent_ = 1.0;
    // Held as a component: a reference read from a stream may name anything.
    TZvComponent* pixels_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool repeating_ = true;
    int32_t filter_ = kGLNearest;
    uint8_t valid_ = 1;
};

}  // namespace zv
