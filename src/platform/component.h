// TZvComponent: the framework's component.
//
// On top of the runtime component (owner, runtime name, free-notification)
// it keeps a second tree: at most one Parent, an ordered list of children
// that it does not own, a framework name (ZvName) unique among siblings, a
// path of names from the top, a constraint on the class of its children, a
// system flag that forbids destruction, a change receiver and a change
// server, and nested begin/end change brackets.
//
// Owner and parent are independent: the owner frees, the parent places.
// While the application exists, every component without a parent is listed
// by the application's root container "ZvComponents" (which never becomes
// anyone's Parent).
#pragma once

#include <cstdint>
#include <string>

#include "platform/receiver.h"
#include "platform/server.h"
#include "runtime/component.h"
#include "runtime/list.h"

namespace zv {

class TStdApplication;
class TZVReader;
class TZVWriter;

class TZvComponent : public TComponent {
public:
    // Flags bit of a system component, which cannot be destroyed.
    static constexpr uint8_t zvfSystemComponent = 4;

    static const TClass& Class();
    const TClass& ClassType() const override;

    // Opens (true) or closes (false) a change bracket; only the outermost
    // bracket reaches the listeners. Returns none when it notified them and
    // the component otherwise. A close without an open bracket is ignored.
    virtual TZvComponent* Changing(bool begin);
    // Makes child a child of this one (as SetParent does), renaming it first
    // when a sibling answers to its name. A child already here stays put.
    virtual void AddChild(TZvComponent* child);
    // Takes child out of the children; it is left without a parent.
    virtual void RemoveChild(TZvComponent* child);
    // Moves the component in the tree. Parenting to itself or a descendant
    // is refused silently; a parent whose effective child class the
    // component does not inherit from raises. None (or the root container)
    // leaves it without a parent.
    virtual void SetParent(TZvComponent* newParent);
    // Sets the framework name. Under a parent: a name taken by a sibling is
    // stored with "1" appended, and raises "Non unique Name" when that is
    // taken too; a backslash raises.
    virtual void SetZvName(const std::string& name);
    virtual std::string GetZvName() const { return zvName_; }
    virtual void DoBeginChange();
    virtual void DoEndChange();
    // Detaches every child, last first, and frees those without owner. A
    // failure with one child is shown to the user and clearing goes on.
    virtual void ClearChildren();
    virtual void SetFlags(uint8_t value) { flags_ = value; }
    // A deep copy through the application's registered writer and reader
    // classes: same class, framework name and fields, children copied too.
    // Without an application the result is none.
    virtual TZvComponent* Clone();
    // Writes "Count" and each child as a section of its own; subclasses
    // write their own fields after it.
    virtual void WriteToStream(TZVWriter& writer);
    // Reads "Count" and the children, each made a child of this one.
    virtual void ReadFromStream(TZVReader& reader);

    // Writes the component as the root section of a new file, through the
    // registered writer class. The file is replaced only once everything
    // was written.
    void SaveToFile(const std::string& fileName);
    // Reads the root section of a file through the registered reader class;
    // none when the file holds no component that can be made.
    static TZvComponent* LoadFromFile(const std::string& fileName);

    // Renames the runtime name; the framework name follows, made unique
    // among the siblings (the runtime name keeps newName as given).
    void SetName(const std::string& newName) override;

    // The component at a "\"-separated path of framework names below this
    // one (letter case ignored), or none.
    TZvComponent* FindChild(const std::string& path) const;
    // base if no child answers to it, else base followed by the smallest
    // number n >= 0 that makes it free.
    std::string UniqueChildName(const std::string& base) const;
    // "\" + name of each ancestor below upTo, top first, then "\" + own name.
    std::string GetPath(const TZvComponent* upTo = nullptr) const;
    // Raises unless cls descends from TZvComponent; none restores the default.
    void SetChildClass(const TClass* cls);
    const TClass* ChildClass() const { return childClass_; }
    // The most specific child class on the way from here to the top.
    const TClass* EffectiveChildClass() const;
    int32_t ChildCount() const { return children_.Count(); }
    // Raises EListError for an index outside 0..ChildCount-1.
    TZvComponent* ChildAt(int32_t index) const;
    int32_t IndexOfChild(const TZvComponent* child) const;
    // This component's receiver listens to other's change server.
    void ListenTo(TZvComponent* other);
    void StopListening(TZvComponent* other);

    TZvComponent* Parent() const { return parent_; }
    uint8_t Flags() const { return flags_; }
    bool IsSystemComponent() const { return flags_ & zvfSystemComponent; }
    int32_t ChangeLevel() const { return changeLevel_; }
    bool LastChangeBegin() const { return lastChangeBegin_; }
    TzvChangeReceiver* ChangeReceiver() const { return changeReceiver_; }
    TZvChangeServer* ChangeServer() const { return changeServer_; }

protected:
    friend class TComponent;
    friend class TStdApplication;
    explicit TZvComponent(TComponent* owner);
    // Leaves the parent, tells the listeners and the message server, clears
    // the children and leaves the root container.
    ~TZvComponent() override;

    // Joins the root container, takes the application's current root as
    // parent and announces the new component.
    void AfterConstruction() override;
    // Refuses to destroy a system component.
    void BeforeDestruction() override;

private:
    bool IsRootContainer() const;
    bool IsSelfOrAncestorOf(const TZvComponent* component) const;
    void CheckParentAccepts(const TZvComponent* newParent) const;
    void ClearChild(TZvComponent* child);
    void DetachRemainingChildren();
    TZvComponent* ChildNamed(const std::string& name, const TZvComponent* except) const;
    std::string UniqueChildName(const std::string& base, const TZvComponent* except) const;

    int32_t changeLevel_ = 0;
    TzvChangeReceiver* changeReceiver_ = nullptr;
    TZvComponent* parent_ = nullptr;
    bool lastChangeBegin_ = false;
    TList children_;
    uint8_t flags_ = 0;
    const TClass* childClass_ = nullptr;
    std::string zvName_;
    TZvChangeServer* changeServer_ = nullptr;
};

// Clears the flags of a system component and frees it.
void FreeSystemComponent(TZvComponent* component);

}  // namespace zv
