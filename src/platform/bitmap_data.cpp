#include "platform/bitmap_data.h"

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"

namespace zv {
namespace {

TZvComponent* bitmapsContainer = nullptr;

}  // namespace

TZvComponent* BitmapsContainer() { return bitmapsContainer; }

void CreateBitmapsContainer() {
    if (bitmapsContainer) return;
    TZvComponent* container = TComponent::Create<TZvComponent>(nullptr);
    container->SetName("Bitmaps");
    container->SetChildClass(&TzvbitmapData::Class());
    // Freed only when the unit ends: textures point into it.
    container->SetFlags(TZvComponent::zvfSystemComponent);
    bitmapsContainer = container;
}

void FreeBitmapsContainer() {
    TZvComponent* container = bitmapsContainer;
    bitmapsContainer = nullptr;
    FreeSystemComponent(container);
}

const TClass& TzvbitmapData::Class() {
    static const TClass info("TzvbitmapData", &TZvComponent::Class(), &NewInstance<TzvbitmapData>);
    return info;
}
const TClass& TzvbitmapData::ClassType() const { return Class(); }

TzvbitmapData::TzvbitmapData(TComponent* owner, int32_t size) : TZvComponent(owner) {
    if (size < 0) throw Exception("A pixel block cannot hold " + std::to_string(size) + " bytes");
    data_.assign(static_cast<size_t>(size), 0);
    if (bitmapsContainer) SetZvName(bitmapsContainer->UniqueChildName("Bitmap"));
}

void TzvbitmapData::AfterConstruction() {
    TZvComponent::AfterConstruction();
    if (bitmapsContainer) SetParent(bitmapsContainer);
}

void TzvbitmapData::WriteToStream(TZVWriter& writer) {
    TZvComponent::WriteToStream(writer);
    writer.WriteBinary("Bitmap", Size(), data_.data());
}

void TzvbitmapData::ReadFromStream(TZVReader& reader) {
    TZvComponent::ReadFromStream(reader);
    int32_t size = Size();
    reader.ReadBinary("Bitmap", size, data_);
}

}  // namespace zv
