#include "runtime/class_registry.h"

#include <algorithm>

#include "runtime/component.h"

namespace zv {
namespace {

// Never destroyed: the library's unload may run after the exit-time destructors.
std::vector<const TClass*>& Registered() {
    static auto* classes = new std::vector<const TClass*>;
    return *classes;
}

}  // namespace

bool TClass::InheritsFrom(const TClass* ancestor) const {
    for (const TClass* c = this; c; c = c->parent_)
        if (c == ancestor) return true;
    return false;
}

TComponent* TClass::CreateInstance(TComponent* owner) const {
    if (!factory_) throw EComponentError(std::string("Cannot create an instance of ") + name_);
    return factory_(owner);
}

void RegisterClass(const TClass& cls) {
    const TClass* known = GetClass(cls.Name());
    if (known == &cls) return;
    if (known) throw EFilerError("A class named " + cls.Name() + " already exists");
    Registered().push_back(&cls);
}

void RegisterClasses(const std::vector<const TClass*>& classes) {
    for (const TClass* cls : classes) RegisterClass(*cls);
}

void UnregisterClass(const TClass& cls) {
    auto& classes = Registered();
    classes.erase(std::remove(classes.begin(), classes.end(), &cls), classes.end());
}

const TClass* GetClass(const std::string& name) {
    for (const TClass* cls : Registered())
        if (SameName(cls->Name(), name)) return cls;
    return nullptr;
}

const TClass& FindClass(const std::string& name) {
    const TClass* cls = GetClass(name);
    if (!cls) throw EClassNotFound("Class " + name + " not found");
    return *cls;
}

TComponent* CreateInstanceOf(const std::string& className, TComponent* owner) {
    return FindClass(className).CreateInstance(owner);
}

}  // namespace zv
