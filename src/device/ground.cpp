#include "device/ground.h"

#include <memory>

#include "platform/application.h"
#include "platform/stream_reader.h"
#include "platform/stream_writer.h"
#include "runtime/stream.h"

namespace zv {
namespace {

struct TFreeing {
    void operator()(TComponent* c) const { c->Free(); }
};

// A new instance of the application's registered writer or reader class.
template <class T>
std::unique_ptr<T, TFreeing> NewStreamer(const TClass* cls, const char* missing) {
    if (!cls || !cls->InheritsFrom(T::Class())) throw Exception(missing);
    return std::unique_ptr<T, TFreeing>(static_cast<T*>(cls->CreateInstance(nullptr)));
}

}  // namespace

const TClass& TZvGrob::Class() {
    static const TClass info("TZvGrob", &TZvEntity::Class(), &NewInstance<TZvGrob>);
    return info;
}
const TClass& TZvGrob::ClassType() const { return Class(); }

TZvGrob::TZvGrob(TComponent* owner) : TZvEntity(owner) { scale_ = {1, 1, 1}; }

// The children go with the component: those without owner are freed, the
// others are detached.
TZvGrob::~TZvGrob() { ForgetTemplate(); }

void TZvGrob::BeforeDestruction() {
    TZvEntity::BeforeDestruction();
    SetInheritClass(std::string());
    if (dynamic_cast<TZvGrob*>(Parent())) SetParentGrob(nullptr);
}

void TZvGrob::SetInheritClass(const std::string& path) {
    ForgetTemplate();
    inheritClass_ = path;
}

TZvGrob* TZvGrob::InheritGrob() {
    if (inheritGrob_ || inheritClass_.empty() || !Application()) return inheritGrob_;
    auto* found = dynamic_cast<TZvGrob*>(Application()->FindByPath(inheritClass_));
    if (!found || found == this) return nullptr;
    inheritGrob_ = found;
    FreeNotification(found);
    ListenTo(found);
    return inheritGrob_;
}

void TZvGrob::ForgetTemplate() {
    TZvGrob* old = std::exchange(inheritGrob_, nullptr);
    if (!old) return;
    StopListening(old);
    RemoveFreeNotification(old);
}

void TZvGrob::Notification(TComponent* component, TOperation operation) {
    TZvEntity::Notification(component, operation);
    if (operation == TOperation::opRemove && component == inheritGrob_) {
        inheritGrob_ = nullptr;
        inheritClass_.clear();
    }
}

void TZvGrob::ListenedBeginChange(TComponent*, TComponent*) { Changing(true); }
void TZvGrob::ListenedEndChange(TComponent*, TComponent*) { Changing(false); }

void TZvGrob::ListenedDestroy(TComponent*, TComponent* obj) {
    if (obj && obj == inheritGrob_) {
        ForgetTemplate();
        inheritClass_.clear();
    }
}

void TZvGrob::WriteToStream(TZVWriter& writer) {
    TZvEntity::WriteToStream(writer);
    writer.WriteString("InheritClass", inheritClass_.empty() ? "*" : inheritClass_);
    writer.WriteBoolean("CatchEnabled", CatchEnabled);
    writer.WriteBoolean("NoHit", NoHit);
    writer.WriteBoolean("Selectenabled", SelectpenEnabled);
    writer.WriteBoolean("Hoverenabled", Hoveredenabled);
    writer.WriteBoolean("SelectPenenabled", SelectpenEnabled);
}

void TZvGrob::ReadFromStream(TZVReader& reader) {
    TZvEntity::ReadFromStream(reader);
    std::string path;
    reader.ReadString("InheritClass", path);
    SetInheritClass(path == "*" ? std::string() : path);
    reader.ReadBoolean("CatchEnabled", CatchEnabled);
    reader.ReadBoolean("NoHit", NoHit);
    reader.ReadBoolean("Selectenabled", SelectpenEnabled);
    reader.ReadBoolean("Hoverenabled", Hoveredenabled);
    reader.ReadBoolean("SelectPenenabled", SelectpenEnabled);
}

// The source is written as a section and this grob reads the section's
// fields; its own name, parent and children stay as they are.
void TZvGrob::AssignGrob(TZvGrob* source) {
    if (!source || source == this) return;
    if (&source->ClassType() != &ClassType())
        throw Exception("Cannot assign a " + source->ClassName() + " to a " + ClassName());
    TMemoryStream stream;
    {
        auto writer = NewStreamer<TZVWriter>(ApplicationWriterClass(), "No writerclass registered");
        writer->CreateOnStream(&stream);
        writer->WriteComponent("Source", source);
    }
    stream.Seek(0);
    auto reader = NewStreamer<TZVReader>(ApplicationReaderClass(), "No readerClass registered");
    reader->CreateOnStream(&stream);
    ReadSection(*reader);
}

void TZvGrob::GetLocalMatrix(TMatrix4& m) const {
    TProjectionBase base;
    GetBase(base);
    m = MatrixFromFrame(FrameOf(base));
}

bool TZvGrob::HitTest(const TRect&, THitItem*& hit) {
    hit = nullptr;
    return false;
}

TZVDevice* TZvGrob::GetDevice() const {
    for (const TZvComponent* c = Parent(); c; c = c->Parent())
        if (auto* ground = dynamic_cast<const TZVground*>(c)) return ground->GetDevice();
    return nullptr;
}

void TZvGrob::SetParentGrob(TZvGrob* parent) {
    if (parent != Parent()) SetParentEntity(parent);
}

void TZvGrob::DoDraw() { Handler(&TZvGrob::OnDraw)(this); }

void TZvGrob::DrawPick(TZVDevice* device) {
    if (!device) return;
    int32_t mode = device->GetRenderMode();
    if (mode != kSelectMode) {
        Draw(device);
        return;
    }
    if (!CatchEnabled || NoHit) return;
    if (const TList* exclude = device->PickExclude(); exclude && exclude->IndexOf(this) >= 0) return;
    device->PushNamePair(2000, THitType::kTargetMarker);
    device->PushNamePair(3000, device->PickObject(this));
    THitItem* hit = nullptr;
    if (!HitTest(device->PickRect(), hit)) {
        Draw(device);
    } else if (hit && device->HitList()) {
        device->HitList()->Add(hit);
    } else {
        delete hit;
    }
    device->PopNamePair();
    device->PopNamePair();
}

void TZvGrob::DrawContentsCached(TZVDevice& device) {
    TDisplayList* list = device.DisplayList();
    if (!list || !list->AutoCompile()) {
        DrawContents(device);
        return;
    }
    // The select pass draws the contents itself: a replayed list would not
    // reach the device's software hit test of polylines.
    int32_t mode = device.GetRenderMode();
    if (mode != kRenderMode) {
        DrawContents(device);
        return;
    }
    int32_t savedList = list->CurrentList();
    if (compiled_) {
        list->SetCurrentList(listId_);
        list->CallList();
    } else {
        list->SetCurrentList(listId_);
        list->NewList(kGLCompileAndExecute);
        listId_ = list->CurrentList();
        DrawContents(device);
        list->EndList();
        device.CheckError();
        compiled_ = true;
    }
    list->SetCurrentList(savedList);
}

void TZvGrob::MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    Handler(&TZvGrob::OnMOusedown)(sender, button, shift, x, y);
}

void TZvGrob::MouseMove(TComponent* sender, TShiftState shift, int32_t x, int32_t y) {
    Handler(&TZvGrob::OnMouseMove)(sender, shift, x, y);
}

void TZvGrob::MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    Handler(&TZvGrob::OnMouseUp)(sender, button, shift, x, y);
}

void TZvGrob::Enter() {
    if (Hoveredenabled && !hovered_) {
        Changing(true);
        hovered_ = true;
        Changing(false);
    }
    Handler(&TZvGrob::OnEnter)(this);
}

void TZvGrob::Exit() {
    Handler(&TZvGrob::OnExit)(this);
    if (Hoveredenabled && hovered_) {
        Changing(true);
        hovered_ = false;
        Changing(false);
    }
}

// Selection events fire once per change of the state.
void TZvGrob::Select() {
    if (selected_) return;
    Changing(true);
    selected_ = true;
    Changing(false);
    Handler(&TZvGrob::OnSelect)(this);
}

void TZvGrob::Unselect() {
    if (!selected_) return;
    Changing(true);
    selected_ = false;
    Changing(false);
    Handler(&TZvGrob::OnUnSelect)(this);
}

TZvComponent* TZvGrob::Changing(bool begin) {
    if (begin) compiled_ = false;
    TZvComponent* result = TZvEntity::Changing(begin);
    if (!begin && ChangeLevel() == 0 && !Drawing())
        if (TZVDevice* device = GetDevice(); device && !device->Busy()) RefreshScreenRect(*device, screenRect_);
    return result;
}

void TZvGrob::RefreshScreenRect(TZVDevice& device, TRect& rect) { device.GetBounds2D(this, rect); }

void TZvGrob::DoBeginChange() {
    if (Drawing()) return;
    TZvEntity::DoBeginChange();
    if (TZVDevice* device = GetDevice()) device->BeginEntityChange(this);
    Handler(&TZvGrob::OnBeginChange)(this);
}

void TZvGrob::DoEndChange() {
    if (Drawing()) return;
    TZvEntity::DoEndChange();
    Handler(&TZvGrob::OnEndChange)(this);
    if (TZVDevice* device = GetDevice()) device->EndEntityChange(this);
}

// Ground.

const TClass& TZVground::Class() {
    static const TClass info("TZVground", &TZvGrob::Class(), &NewInstance<TZVground>);
    return info;
}
const TClass& TZVground::ClassType() const { return Class(); }

TZVground* TZVground::CreateFor(TZVDevice* device, const std::string& groundName) {
    TZVground* ground = Create<TZVground>(nullptr);
    ground->device_ = device;
    ground->groundName_ = groundName;
    return ground;
}

std::string TZVground::GetZvName() const {
    return device_ ? groundName_ + "_" + device_->GetZvName() : groundName_;
}

// A ground covers the whole viewport; measuring it would draw everything.
void TZVground::RefreshScreenRect(TZVDevice& device, TRect& rect) { device.GetViewport(rect); }

bool TZVground::Contains(const TZvEntity* entity) const {
    for (const TZvComponent* c = entity; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

}  // namespace zv
