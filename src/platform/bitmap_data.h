// TzvbitmapData: a block of raw pixel bytes, a child of the process-wide
// container "Bitmaps" (made by the graphic-attribute unit), which frees the
// blocks when the framework ends.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/component.h"

namespace zv {

class TzvbitmapData : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }
    int32_t Size() const { return static_cast<int32_t>(data_.size()); }

    // After the children: the binary block "Bitmap".
    void WriteToStream(TZVWriter& writer) override;
    // Replaces the block held before.
    void ReadFromStream(TZVReader& reader) override;

protected:
    friend class TComponent;
    // A zero-filled block of size bytes, named "Bitmap" (made unique) under
    // the bitmaps container. Raises for a negative size.
    explicit TzvbitmapData(TComponent* owner, int32_t size = 0);
    ~TzvbitmapData() override = default;

    // Joins the bitmaps container.
    void AfterConstruction() override;

private:
    std::vector<uint8_t> data_;
};

// The container "Bitmaps", or none outside the graphic-attribute unit.
TZvComponent* BitmapsContainer();
void CreateBitmapsContainer();
void FreeBitmapsContainer();

}  // namespace zv
