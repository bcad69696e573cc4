#include "platform/component.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "platform/application.h"
#include "platform/message_server.h"
#include "runtime/message.h"

namespace zv {
namespace {

TZvComponent* RootContainer() {
    TStdApplication* app = Application();
    return app ? app->Components() : nullptr;
}

// Destructors must not raise: a failing step is shown and the rest goes on.
template <class Step>
void RunShowingErrors(Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

}  // namespace

const TClass& TZvComponent::Class() {
    static const TClass info("TZvComponent", &TComponent::Class(), &NewInstance<TZvComponent>);
    return info;
}
const TClass& TZvComponent::ClassType() const { return Class(); }

TZvComponent::TZvComponent(TComponent* owner) : TComponent(owner), childClass_(&Class()) {
    changeReceiver_ = Create<TzvChangeReceiver>(nullptr);
    changeServer_ = Create<TZvChangeServer>(nullptr);
}

void TZvComponent::AfterConstruction() {
    TComponent::AfterConstruction();
    if (TStdApplication* app = Application()) {
        TZvComponent* root = app->Components();
        if (root && root != this) root->AddChild(this);
        SetParent(app->CurrentRoot());
    }
    FrameworkBroadcast(zvmCreated, this);
}

void TZvComponent::BeforeDestruction() {
    if (IsSystemComponent()) throw Exception(" Cannot destroy a Systemcomponent " + zvName_);
    TComponent::BeforeDestruction();
}

TZvComponent::~TZvComponent() {
    RunShowingErrors([&] { SetParent(nullptr); });
    RunShowingErrors([&] { changeServer_->DestroyObject(this); });
    RunShowingErrors([&] { FrameworkBroadcast(zvmDestroyed, this); });
    TzvChangeReceiver* receiver = changeReceiver_;
    TZvChangeServer* server = changeServer_;
    changeReceiver_ = nullptr;
    changeServer_ = nullptr;
    receiver->Free();
    server->Free();
    ClearChildren();
    if (TZvComponent* root = RootContainer(); root && root != this) root->RemoveChild(this);
    DetachRemainingChildren();
}

// Children that joined while the component was dying must not keep a
// pointer to it.
void TZvComponent::DetachRemainingChildren() {
    while (children_.Count() > 0) {
        TZvComponent* child = ChildAt(children_.Count() - 1);
        children_.Delete(children_.Count() - 1);
        if (child->parent_ != this) continue;
        child->parent_ = nullptr;
        TZvComponent* root = RootContainer();
        if (root && root != this) RunShowingErrors([&] { root->AddChild(child); });
    }
}

bool TZvComponent::IsRootContainer() const { return RootContainer() == this; }

TZvComponent* TZvComponent::Changing(bool begin) {
    lastChangeBegin_ = begin;
    if (begin) {
        if (++changeLevel_ != 1) return this;
        DoBeginChange();
        return nullptr;
    }
    if (changeLevel_ == 0) return this;
    if (--changeLevel_ != 0) return this;
    DoEndChange();
    return nullptr;
}

void TZvComponent::DoBeginChange() {
    if (changeServer_) changeServer_->BeginChange(this);
}

void TZvComponent::DoEndChange() {
    if (changeServer_) changeServer_->EndChange(this);
}

TZvComponent* TZvComponent::ChildAt(int32_t index) const { return static_cast<TZvComponent*>(children_.Get(index)); }

int32_t TZvComponent::IndexOfChild(const TZvComponent* child) const { return children_.IndexOf(child); }

TZvComponent* TZvComponent::ChildNamed(const std::string& name, const TZvComponent* except) const {
    if (name.empty()) return nullptr;
    for (int32_t i = 0; i < children_.Count(); ++i) {
        TZvComponent* child = ChildAt(i);
        if (child != except && SameName(child->zvName_, name)) return child;
    }
    return nullptr;
}

std::string TZvComponent::UniqueChildName(const std::string& base, const TZvComponent* except) const {
    if (!ChildNamed(base, except)) return base;
    for (uint64_t n = 0;; ++n) {
        std::string candidate = base + std::to_string(n);
        if (!ChildNamed(candidate, except)) return candidate;
    }
}

std::string TZvComponent::UniqueChildName(const std::string& base) const { return UniqueChildName(base, nullptr); }

void TZvComponent::AddChild(TZvComponent* child) {
    if (!child || child == this) return;
    if (!IsRootContainer() && child->parent_ != this) {
        child->SetParent(this);
        return;
    }
    if (IndexOfChild(child) >= 0) return;
    if (ChildNamed(child->zvName_, child)) child->SetZvName(UniqueChildName(child->zvName_, child));
    children_.Add(child);
}

void TZvComponent::RemoveChild(TZvComponent* child) {
    if (!child) return;
    if (!IsRootContainer() && child->parent_ == this) {
        child->SetParent(nullptr);
        return;
    }
    int32_t index = IndexOfChild(child);
    if (index >= 0) children_.Delete(index);
}

bool TZvComponent::IsSelfOrAncestorOf(const TZvComponent* component) const {
    for (const TZvComponent* c = component; c; c = c->parent_)
        if (c == this) return true;
    return false;
}

void TZvComponent::CheckParentAccepts(const TZvComponent* newParent) const {
    const TClass* required = newParent->EffectiveChildClass();
    if (!ClassType().InheritsFrom(required))
        throw Exception("Parent expect the Class " + required->Name() + "\r\n" + ", but the Component " + GetPath() +
                        " is Of Class " + ClassName());
    if (zvName_.find('\\') != std::string::npos) throw Exception("Componentname contains \"\\\"");
}

void TZvComponent::SetParent(TZvComponent* newParent) {
    if (newParent && newParent->IsRootContainer()) newParent = nullptr;
    if (newParent == parent_) return;
    if (newParent && IsSelfOrAncestorOf(newParent)) return;
    if (newParent) CheckParentAccepts(newParent);
    TZvComponent* oldParent = parent_;
    parent_ = newParent;
    if (oldParent) oldParent->RemoveChild(this);
    TZvComponent* root = RootContainer();
    if (!newParent) {
        if (root && root != this && !IsDestroying() && root->IndexOfChild(this) < 0) root->AddChild(this);
        FrameworkBroadcast(zvmParentCleared, this);
        return;
    }
    if (root) root->RemoveChild(this);
    newParent->AddChild(this);
    FrameworkBroadcast(zvmParentSet, this);
    if (zvName_.empty()) SetZvName("c" + std::to_string(reinterpret_cast<uintptr_t>(this)));
}

void TZvComponent::SetZvName(const std::string& name) {
    if (name == zvName_) return;
    std::string stored = name;
    if (parent_) {
        if (parent_->ChildNamed(name, this)) {
            if (parent_->ChildNamed(name + "1", this)) throw Exception("Non unique Name");
            stored = name + "1";
        }
        if (name.find('\\') != std::string::npos) throw Exception("Componentname contains \"\\\"");
    }
    if (stored == zvName_) return;
    zvName_ = stored;
    FrameworkBroadcast(zvmNameChanged, this);
}

void TZvComponent::SetName(const std::string& newName) {
    ValidateName(newName);
    SetZvName(parent_ ? parent_->UniqueChildName(newName, this) : newName);
    TComponent::SetName(newName);
}

void TZvComponent::ClearChild(TZvComponent* child) {
    child->SetParent(nullptr);
    // The root container's entries have no parent to leave.
    int32_t index = IndexOfChild(child);
    if (index >= 0) children_.Delete(index);
    if (!child->Owner()) child->Free();
}

void TZvComponent::ClearChildren() {
    // Freeing a child may free this component too (through what the child
    // owns); clearing then stops.
    TLifeWatch watch(this);
    for (int32_t i = children_.Count() - 1; i >= 0; i = std::min(i - 1, children_.Count() - 1)) {
        TZvComponent* child = ChildAt(i);
        std::string path = GetPath();
        try {
            ClearChild(child);
        } catch (const std::exception& e) {
            ShowMessage(" clear error bei : mes: " + path + e.what());
        }
        if (!watch.Alive()) return;
    }
}

TZvComponent* TZvComponent::FindChild(const std::string& path) const {
    size_t start = 0;
    while (start < path.size() && static_cast<unsigned char>(path[start]) <= ' ') ++start;
    if (start < path.size() && path[start] == '\\') ++start;
    size_t cut = path.find('\\', start);
    std::string head = path.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
    TZvComponent* child = ChildNamed(head, nullptr);
    if (!child || cut == std::string::npos || cut + 1 == path.size()) return child;
    return child->FindChild(path.substr(cut + 1));
}

std::string TZvComponent::GetPath(const TZvComponent* upTo) const {
    std::string path = "\\" + zvName_;
    for (const TZvComponent* p = parent_; p && p != upTo; p = p->parent_) path = "\\" + p->zvName_ + path;
    return path;
}

void TZvComponent::SetChildClass(const TClass* cls) {
    if (!cls) {
        childClass_ = &Class();
        return;
    }
    if (!cls->InheritsFrom(Class()))
        throw Exception("Class " + cls->Name() + " does not inherit from TzvComponent ");
    childClass_ = cls;
}

const TClass* TZvComponent::EffectiveChildClass() const {
    const TClass* result = childClass_;
    for (const TZvComponent* p = parent_; p; p = p->parent_)
        if (p->childClass_->InheritsFrom(result)) result = p->childClass_;
    return result;
}

void TZvComponent::ListenTo(TZvComponent* other) {
    if (other && other->changeServer_ && changeReceiver_) other->changeServer_->AddReceiver(changeReceiver_);
}

void TZvComponent::StopListening(TZvComponent* other) {
    if (other && other->changeServer_ && changeReceiver_) other->changeServer_->RemoveReceiver(changeReceiver_);
}

void FreeSystemComponent(TZvComponent* component) {
    if (!component) return;
    component->SetFlags(0);
    component->Free();
}

}  // namespace zv
