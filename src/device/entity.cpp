#include "device/entity.h"

#include "platform/application.h"
#include "platform/stream_reader.h"
#include "platform/stream_writer.h"
#include "runtime/message.h"
#include "runtime/stream.h"

namespace zv {

const TClass& TZvEntity::Class() {
    static const TClass info("TZvEntity", &TZvComponent::Class(), &NewInstance<TZvEntity>);
    return info;
}
const TClass& TZvEntity::ClassType() const { return Class(); }

TZvEntity::TZvEntity(TComponent* owner) : TZvComponent(owner) {
    if (TzvChangeReceiver* receiver = ChangeReceiver()) {
        receiver->OnBeginChange = [this](TComponent* s, TComponent* o) { ListenedBeginChange(s, o); };
        receiver->OnEndChange = [this](TComponent* s, TComponent* o) { ListenedEndChange(s, o); };
        receiver->OnDestroyObject = [this](TComponent* s, TComponent* o) { ListenedDestroy(s, o); };
    }
    attributes_ = Create<TZVattributes>(this);
    HookAttributes(attributes_, true);
}

TZvEntity::~TZvEntity() {
    if (attributes_) HookAttributes(attributes_, false);
}

void TZvEntity::HookAttributes(TZVattributes* attributes, bool on) {
    TZVGraphicObject* parts[] = {attributes, attributes->Material(), attributes->Texture()};
    for (TZVGraphicObject* part : parts) {
        if (!part) continue;
        part->BeforeChange = on ? TNotifyEvent([this](TComponent* s) { AttributesBeginChange(s); }) : nullptr;
        part->AfterChange = on ? TNotifyEvent([this](TComponent* s) { AttributesEndChange(s); }) : nullptr;
    }
    if (on && attributes->Owner() != this) FreeNotification(attributes);
}

void TZvEntity::Notification(TComponent* component, TOperation operation) {
    TZvComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == attributes_) attributes_ = nullptr;
}

void TZvEntity::AttributesBeginChange(TComponent*) { Changing(true); }
void TZvEntity::AttributesEndChange(TComponent*) { Changing(false); }

void TZvEntity::SetAttributes(TZVattributes* attributes) {
    Changing(true);
    if (attributes_ && attributes_ != attributes) HookAttributes(attributes_, false);
    attributes_ = attributes;
    if (attributes) HookAttributes(attributes, true);
    Changing(false);
}

void TZvEntity::SetVisible(bool visible) {
    if (visible == visible_) return;
    Changing(true);
    visible_ = visible;
    Changing(false);
}

void TZvEntity::SetBase(const TProjectionBase& base) {
    Changing(true);
    base_ = base;
    Changing(false);
}

void TZvEntity::SetScale(const TXYZ& scale) {
    Changing(true);
    scale_ = scale;
    Changing(false);
}

void TZvEntity::SetParentAttributes(bool on) {
    Changing(true);
    parentAttributes_ = on;
    Changing(false);
}

// A parent that is the entity itself or one of its descendants is refused
// by SetParent; the entity then stays where it is.
void TZvEntity::SetParentEntity(TZvEntity* parent) {
    if (parent == GetParentEntity()) return;
    Changing(true);
    SetParent(parent);
    if (parent && Parent() == parent) visible_ = parent->Visible();
    Changing(false);
}

namespace {

template <class F>
void ShowingFailure(F step) {
    try {
        step();
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

bool HasScale(const TXYZ& scale) { return std::abs(scale.X) > 0.00001; }

}  // namespace

TMatrix4 TZvEntity::LocalMatrix() const {
    TProjectionBase base;
    GetBase(base);
    const TMatrix4 frame = MatrixFromFrame(FrameOf(base));
    return HasScale(scale_) ? MatMul(ScaleMatrix(scale_), frame) : frame;
}

void TZvEntity::Draw(TZVDevice* device) {
    if (!device || !device->HandleValid() || !visible_) return;
    TProjectionBase base;
    GetBase(base);
    device->PushMatrix();
    device->MultMatrix(MatrixFromFrame(FrameOf(base)));
    device->CheckError();
    if (HasScale(scale_)) device->MultMatrix(ScaleMatrix(scale_));
    TAttributeRecord saved;
    if (!parentAttributes_) {
        device->GetAttributeRecord(saved);
        if (attributes_) {
            TAttributeRecord own;
            attributes_->GetAttributeRecord(own);
            device->SetAttributeRecord(own);
        }
        device->CheckError();
    }
    ShowingFailure([&] { DrawContentsCached(*device); });
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (auto* child = dynamic_cast<TZvEntity*>(ChildAt(i))) ShowingFailure([&] { child->DrawOn(device); });
    device->CheckError();
    device->PopMatrix();
    if (!parentAttributes_) device->SetAttributeRecord(saved);
    device->CheckError();
}

void TZvEntity::DrawOn(TZVDevice* device) {
    if (!device) return;
    const bool markBusy = !device->Busy();
    if (markBusy) device->SetBusy(true);
    TLifeWatch watch(this);
    BeginDraw();
    DrawPass(device);
    if (watch.Alive()) EndDraw();
    if (markBusy) device->SetBusy(false);
}

void TZvEntity::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::fmOpenRead);
    TZVReader* reader = static_cast<TZVReader*>(Application()->ReaderClass().CreateInstance(nullptr));
    reader->CreateOnStream(&stream);
    try {
        ReadSection(*reader);
    } catch (...) {
        reader->Free();
        throw;
    }
    reader->Free();
}

void TZvEntity::ReadSection(TZVReader& reader) {
    std::string className, name, parent;
    if (!reader.ReadBeginClass(className, name)) return;
    reader.ReadString("Parent", parent);
    Changing(true);
    Loading();
    SetReading(true);
    auto finish = [this] {
        SetReading(false);
        Loaded();
        Changing(false);
    };
    try {
        ReadFromStream(reader);
        reader.ReadEndClass();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TZvEntity::SaveToFile(const std::string& fileName) { TZvComponent::SaveToFile(fileName); }

TZvEntity* TZvEntity::CloneEntity() {
    TZvComponent* copy = Clone();
    if (auto* entity = dynamic_cast<TZvEntity*>(copy)) return entity;
    if (copy) copy->Free();
    return nullptr;
}

void TZvEntity::WriteToStream(TZVWriter& writer) {
    writer.WritePoint3D("BaseO", base_.Origin);
    writer.WritePoint3D("Basex", base_.XAxis);
    writer.WritePoint3D("Basey", base_.YAxis);
    writer.WritePoint3D("Basez", base_.ZAxis);
    writer.WritePoint3D("Scale", scale_);
    writer.WriteBoolean("Visible", visible_);
    writer.WriteBoolean("ParentAttributes", parentAttributes_);
    if (attributes_) attributes_->WriteToStream(writer);
}

void TZvEntity::ReadFromStream(TZVReader& reader) {
    Changing(true);
    try {
        reader.ReadPoint3D("BaseO", base_.Origin);
        reader.ReadPoint3D("Basex", base_.XAxis);
        reader.ReadPoint3D("Basey", base_.YAxis);
        reader.ReadPoint3D("Basez", base_.ZAxis);
        reader.ReadPoint3D("Scale", scale_);
        reader.ReadBoolean("Visible", visible_);
        reader.ReadBoolean("ParentAttributes", parentAttributes_);
        if (attributes_) attributes_->ReadFromStream(reader);
    } catch (...) {
        Changing(false);
        throw;
    }
    Changing(false);
}

}  // namespace zv
