// Class references and the registry of classes known by name.
//
// Every component class has one TClass: its name, its parent class and a
// factory that creates an instance with an owner. Classes that must be
// created by name (a stream naming a class, a model naming its controller)
// are registered at start-up and looked up here.
#pragma once

#include <string>
#include <vector>

#include "runtime/exception.h"

namespace zv {

class TComponent;

// A class name that the registry does not know.
class EClassNotFound : public Exception {
public:
    using Exception::Exception;
};

// A second, different class registered under a name already taken.
class EFilerError : public Exception {
public:
    using Exception::Exception;
};

class TClass {
public:
    using Factory = TComponent* (*)(TComponent* owner);

    // factory may be null for a class that cannot be instantiated.
    TClass(const char* name, const TClass* parent, Factory factory)
        : name_(name), parent_(parent), factory_(factory) {}
    TClass(const TClass&) = delete;
    TClass& operator=(const TClass&) = delete;

    std::string Name() const { return name_; }
    const TClass* Parent() const { return parent_; }
    // True for the class itself and for every class it descends from.
    bool InheritsFrom(const TClass* ancestor) const;
    bool InheritsFrom(const TClass& ancestor) const { return InheritsFrom(&ancestor); }
    bool CanCreate() const { return factory_ != nullptr; }
    // A new instance owned by owner (which may be none); raises
    // EComponentError for a class that cannot be instantiated.
    TComponent* CreateInstance(TComponent* owner) const;

private:
    const char* name_;  // a literal: TClass objects live until the process ends
    const TClass* parent_;
    Factory factory_;
};

// Registers a class under its name; registering it again does nothing.
// Raises EFilerError when another class already has that name.
void RegisterClass(const TClass& cls);
void RegisterClasses(const std::vector<const TClass*>& classes);
// Forgets a registered class; an unknown class is ignored.
void UnregisterClass(const TClass& cls);
// The registered class of that name (letter case ignored), or none.
const TClass* GetClass(const std::string& name);
// The registered class of that name; raises EClassNotFound when unknown.
const TClass& FindClass(const std::string& name);
// A new instance of the registered class of that name.
TComponent* CreateInstanceOf(const std::string& className, TComponent* owner);

}  // namespace zv
