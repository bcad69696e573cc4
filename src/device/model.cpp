#include "device/model.h"

#include <algorithm>
#include <vector>

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"
#include "runtime/message.h"

namespace zv {
namespace {

// Every living controller, to find those that present a model.
std::vector<TZvMdctrl*>& Controllers() {
    static auto& list = *new std::vector<TZvMdctrl*>;
    return list;
}

struct TTemplateEntry {
    const TClass* ModelClass;
    TZvMdctrl* Controller;
};

std::vector<TTemplateEntry>& Templates() {
    static auto& table = *new std::vector<TTemplateEntry>;
    return table;
}

bool settingModelBase = false;

std::vector<TZvMdctrl*> ControllersOf(const TZvMdgrob* model) {
    std::vector<TZvMdctrl*> found;
    for (TZvMdctrl* c : Controllers())
        if (c->MDgrob() == model) found.push_back(c);
    return found;
}

TZvMdctrl* TemplateFor(const TClass* cls) {
    for (; cls && cls->InheritsFrom(TZvMdgrob::Class()); cls = cls->Parent())
        for (const TTemplateEntry& e : Templates())
            if (e.ModelClass == cls) return e.Controller;
    return nullptr;
}

// Enters controller as the template for models of cls; an existing entry
// is replaced only when asked to.
void MakeTemplate(const TClass* cls, TZvMdctrl* controller, bool replace) {
    for (TTemplateEntry& e : Templates())
        if (e.ModelClass == cls) {
            if (replace) e.Controller = controller;
            return;
        }
    Templates().push_back({cls, controller});
}

}  // namespace

// Model.

const TClass& TZvMdgrob::Class() {
    static const TClass info("TZvMdgrob", &TZvEntity::Class(), &NewInstance<TZvMdgrob>);
    return info;
}
const TClass& TZvMdgrob::ClassType() const { return Class(); }

const TClass& TZvMdSymbol::Class() {
    static const TClass info("TZvMdSymbol", &TZvMdgrob::Class(), &NewInstance<TZvMdSymbol>);
    return info;
}
const TClass& TZvMdSymbol::ClassType() const { return Class(); }

void TZvMdgrob::SetParentEntity(TZvEntity* parent) {
    if (parent == GetParentEntity()) return;
    auto* model = dynamic_cast<TZvMdgrob*>(parent);
    if (parent && !model) {
        ShowMessage(" type mismatch in Setparent " + Name());
        return;
    }
    for (TZvMdctrl* c : ControllersOf(this)) {
        c->SetVisible(false);
        c->SetParentEntity(nullptr);
        c->Free();
    }
    if (model) {
        std::string base = GetZvName().empty() ? ClassName() : GetZvName();
        SetZvName(model->UniqueChildName(base));
    }
    TZvEntity::SetParentEntity(parent);
    if (!model || Parent() != model) return;
    for (TZvMdctrl* c : ControllersOf(model)) CreateController(this)->SetParentEntity(c);
}

// Controller.

const TClass& TZvMdctrl::Class() {
    static const TClass info("TZvMdctrl", &TZvGrob::Class(), &NewInstance<TZvMdctrl>);
    return info;
}
const TClass& TZvMdctrl::ClassType() const { return Class(); }

TZvMdctrl::TZvMdctrl(TComponent* owner) : TZvGrob(owner) { Controllers().push_back(this); }

TZvMdctrl::~TZvMdctrl() {
    auto& list = Controllers();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    auto& table = Templates();
    table.erase(std::remove_if(table.begin(), table.end(), [this](const TTemplateEntry& e) { return e.Controller == this; }),
                table.end());
    if (model_) StopListening(model_);
}

void TZvMdctrl::SetMDgrob(TZvMdgrob* model) {
    if (model == model_) return;
    Changing(true);
    if (model_) {
        StopListening(model_);
        RemoveFreeNotification(model_);
    }
    model_ = model;
    if (model) {
        ListenTo(model);
        FreeNotification(model);
    }
    Changing(false);
}

void TZvMdctrl::SetMDClassName(const std::string& name) {
    if (ComponentState() & csLoading) {
        mdClassName_ = name;
        return;
    }
    const TClass* cls = GetClass(name);
    if (!cls || !cls->InheritsFrom(TZvMdgrob::Class())) {
        ShowMessage(name + " ist Nicht registriert oder stammt nicht von TZvMdgrob ab ");
        return;
    }
    mdClassName_ = name;
    MakeTemplate(cls, this, true);
}

void TZvMdctrl::GetBase(TProjectionBase& base) const {
    if (model_) model_->GetBase(base);
    else TZvGrob::GetBase(base);
}

void TZvMdctrl::SetBase(const TProjectionBase& base) {
    if (!model_) {
        TZvGrob::SetBase(base);
        return;
    }
    if (settingModelBase) return;
    settingModelBase = true;
    try {
        model_->SetBase(base);
    } catch (...) {
        settingModelBase = false;
        throw;
    }
    settingModelBase = false;
}

void TZvMdctrl::Transform(const TMatrix4& m) {
    if (model_) model_->Transform(m);
}

void TZvMdctrl::DrawContents(TZVDevice& device) {
    if (model_) model_->DrawContents(device);
    DoDraw();
}

void TZvMdctrl::ListenedDestroy(TComponent* sender, TComponent* obj) {
    TZvGrob::ListenedDestroy(sender, obj);
    if (obj && obj == model_) {
        model_ = nullptr;
        Free();
    }
}

void TZvMdctrl::Notification(TComponent* component, TOperation operation) {
    TZvGrob::Notification(component, operation);
    if (operation == TOperation::opRemove && component == model_) {
        model_ = nullptr;
        Free();
    }
}

void TZvMdctrl::AssignGrob(TZvGrob* source) {
    TZvGrob::AssignGrob(source);
    if (auto* other = dynamic_cast<TZvMdctrl*>(source); other && other != this) SetMDgrob(other->MDgrob());
}

namespace {

void WritePen(TZVWriter& writer, const std::string& name, const TZvPen& pen) {
    writer.WriteInteger(name + ".Color", static_cast<int32_t>(pen.Color));
    writer.WriteInteger(name + ".Width", pen.Width);
    writer.WriteInteger(name + ".Style", pen.Style);
}

void ReadPen(TZVReader& reader, const std::string& name, TZvPen& pen) {
    auto color = static_cast<int32_t>(pen.Color);
    int32_t style = pen.Style;
    reader.ReadInteger(name + ".Color", color);
    reader.ReadInteger(name + ".Width", pen.Width);
    reader.ReadInteger(name + ".Style", style);
    pen.Color = static_cast<TColor>(color);
    pen.Style = static_cast<TPenStyle>(style);
}

}  // namespace

void TZvMdctrl::WriteToStream(TZVWriter& writer) {
    TZvGrob::WriteToStream(writer);
    writer.WriteReference("MDgrob", nullptr, model_);
    writer.WriteString("MDClassName", mdClassName_.empty() ? "*" : mdClassName_);
    WritePen(writer, "HoverPen", HoverPen);
    WritePen(writer, "SelectPen", SelectPen);
}

// A controller read back becomes the template of its model class only when
// that class has none: a copy does not take over its source's role.
void TZvMdctrl::ReadFromStream(TZVReader& reader) {
    TZvGrob::ReadFromStream(reader);
    Changing(true);
    try {
        readModel_ = this;
        reader.ReadReference("MDgrob", readModel_);
        AdoptReadModel();
        std::string name = mdClassName_.empty() ? "*" : mdClassName_;
        reader.ReadString("MDClassName", name);
        mdClassName_ = name == "*" ? std::string() : name;
        const TClass* cls = mdClassName_.empty() ? nullptr : GetClass(mdClassName_);
        if (cls && cls->InheritsFrom(TZvMdgrob::Class())) MakeTemplate(cls, this, false);
        ReadPen(reader, "HoverPen", HoverPen);
        ReadPen(reader, "SelectPen", SelectPen);
    } catch (...) {
        Changing(false);
        throw;
    }
    Changing(false);
}

void TZvMdctrl::Loaded() {
    TZvGrob::Loaded();
    AdoptReadModel();
}

void TZvMdctrl::AdoptReadModel() {
    if (readModel_ == this) return;
    SetMDgrob(dynamic_cast<TZvMdgrob*>(std::exchange(readModel_, this)));
}

TZvMdctrl* CreateController(TZvMdgrob* model) {
    if (!model) return nullptr;
    TZvMdctrl* controller = nullptr;
    if (TZvMdctrl* pattern = TemplateFor(&model->ClassType()))
        controller = dynamic_cast<TZvMdctrl*>(pattern->CloneEntity());
    if (!controller) controller = TComponent::Create<TZvMdctrl>(nullptr);
    controller->SetVisible(true);
    controller->SetMDgrob(model);
    controller->SetZvName("CTRL_" + model->GetZvName());
    for (int32_t i = 0; i < model->ChildCount(); ++i)
        if (auto* child = dynamic_cast<TZvMdgrob*>(model->ChildAt(i)))
            CreateController(child)->SetParentEntity(controller);
    return controller;
}

// Symbol.

const TClass& TZvSymbol::Class() {
    static const TClass info("TZvSymbol", &TZvComponent::Class(), &NewInstance<TZvSymbol>);
    return info;
}
const TClass& TZvSymbol::ClassType() const { return Class(); }

void TZvSymbol::AfterConstruction() {
    TZvComponent::AfterConstruction();
    if (TZvComponent* symbols = SymbolsContainer()) SetParent(symbols);
}

}  // namespace zv
