#include "runtime/component.h"

#include <cctype>

namespace zv {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] &&
            std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string UpperCaseName(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool IsValidIdent(const std::string& name) {
    if (name.empty()) return false;
    auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    if (!isAlpha(name[0])) return false;
    for (char c : name)
        if (!isAlpha(c) && !std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

TLifeWatch::TLifeWatch(TComponent* component) : component_(component), outer_(component->watches_) {
    component->watches_ = this;
}

TLifeWatch::~TLifeWatch() {
    if (component_) component_->watches_ = outer_;
}

const TClass& TComponent::Class() {
    static const TClass info("TComponent", nullptr, &NewInstance<TComponent>);
    return info;
}

const TClass& TComponent::ClassType() const { return Class(); }

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Links made while the derived destructors ran are still answered.
    SendFreeNotifications();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    for (TLifeWatch* w = watches_; w; w = w->outer_) w->component_ = nullptr;
}

void TComponent::DestroyInstance(TComponent* component) noexcept {
    component->inDestructor_ = true;
    component->Destroying();
    component->SendFreeNotifications();
    delete component;
}

void TComponent::Free() {
    if (inDestructor_) return;
    BeforeDestruction();
    DestroyInstance(this);
}

TComponent* TComponent::Components(int32_t index) const {
    return static_cast<TComponent*>(components_.Get(index));
}

int32_t TComponent::ComponentIndex() const { return owner_ ? owner_->components_.IndexOf(this) : -1; }

TComponent* TComponent::OwnedNamed(const std::string& name, const TComponent* except) const {
    if (name.empty()) return nullptr;
    for (int32_t i = 0; i < components_.Count(); ++i) {
        TComponent* c = Components(i);
        if (c != except && SameName(c->name_, name)) return c;
    }
    return nullptr;
}

TComponent* TComponent::FindComponent(const std::string& name) const { return OwnedNamed(name, nullptr); }

bool TComponent::OwnsTransitively(const TComponent* component) const {
    for (const TComponent* o = this; o; o = o->owner_)
        if (o == component) return true;
    return false;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (OwnsTransitively(component))
        throw EComponentError("A component cannot own itself or one of its owners");
    if (OwnedNamed(component->name_, component))
        throw EComponentError("A component named " + component->name_ + " already exists");
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.Add(component);
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    int32_t index = components_.IndexOf(component);
    if (index < 0) return;
    components_.Delete(index);
    component->owner_ = nullptr;
    Notification(component, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
    TLifeWatch watch(this);
    while (watch.Alive() && components_.Count() > 0) {
        int32_t last = components_.Count() - 1;
        TComponent* component = Components(last);
        components_.Delete(last);
        component->owner_ = nullptr;
        // One whose destructor already runs (it freed its owner) finishes alone.
        if (!component->inDestructor_) DestroyInstance(component);
    }
}

void TComponent::ValidateName(const std::string& newName) const {
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError("'" + newName + "' is not a valid component name");
    if (owner_ && owner_->OwnedNamed(newName, this))
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const std::string& newName) {
    if (newName == name_) return;
    ValidateName(newName);
    name_ = newName;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (freeNotifies_.IndexOf(component) < 0) freeNotifies_.Add(component);
    if (component->freeNotifies_.IndexOf(this) < 0) component->freeNotifies_.Add(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    int32_t index = freeNotifies_.IndexOf(component);
    if (index >= 0) freeNotifies_.Delete(index);
    index = component->freeNotifies_.IndexOf(this);
    if (index >= 0) component->freeNotifies_.Delete(index);
}

void TComponent::SendFreeNotifications() {
    while (freeNotifies_.Count() > 0) {
        int32_t last = freeNotifies_.Count() - 1;
        TComponent* other = static_cast<TComponent*>(freeNotifies_.Get(last));
        freeNotifies_.Delete(last);
        int32_t back = other->freeNotifies_.IndexOf(this);
        if (back >= 0) other->freeNotifies_.Delete(back);
        other->Notification(this, TOperation::opRemove);
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove) RemoveFreeNotification(component);
    for (int32_t i = components_.Count() - 1; i >= 0; --i) {
        if (i >= components_.Count()) continue;
        Components(i)->Notification(component, operation);
    }
}

void TComponent::Destroying() {
    if (IsDestroying()) return;
    state_ |= csDestroying;
    for (int32_t i = components_.Count() - 1; i >= 0; --i) Components(i)->Destroying();
}

}  // namespace zv
