// TComponent: the runtime's component base.
//
// A component has an owner that frees it, a runtime Name that is unique
// among the owner's components, a Tag, free-notification links to other
// components, and state flags (loading, reading, writing, destroying).
//
// Components live on the heap and are made only through Create<T>, which
// runs AfterConstruction once the object is complete; they end only through
// Free (or their owner), which runs BeforeDestruction first and may be
// refused there. Every component class therefore keeps its constructor and
// destructor protected and declares `friend class TComponent;`.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "runtime/class_registry.h"
#include "runtime/exception.h"
#include "runtime/list.h"

namespace zv {

// Errors of the runtime component: invalid or duplicate names, ownership
// that would make a component own itself.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

enum class TOperation { opInsert, opRemove };

// Bits of ComponentState().
enum TComponentStateBit : uint8_t {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
};

// Component and class names compare without regard to letter case.
bool SameName(const std::string& a, const std::string& b);
std::string UpperCaseName(const std::string& name);
// A letter or underscore, then letters, digits and underscores.
bool IsValidIdent(const std::string& name);

class TComponent;

// Tells a running operation of a component whether the component died while
// the operation called out (a handler or a freed object may free it). Made
// on the stack, one inside the other.
class TLifeWatch {
public:
    explicit TLifeWatch(TComponent* component);
    ~TLifeWatch();
    TLifeWatch(const TLifeWatch&) = delete;
    TLifeWatch& operator=(const TLifeWatch&) = delete;
    bool Alive() const { return component_ != nullptr; }

private:
    friend class TComponent;
    TComponent* component_;
    TLifeWatch* outer_;
};

class TComponent {
public:
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Makes a component: new T(args...), then AfterConstruction. An exception
    // in AfterConstruction frees the new object again and propagates.
    template <class T, class... Args>
    static T* Create(Args&&... args) {
        T* object = new T(std::forward<Args>(args)...);
        TComponent* base = object;
        try {
            base->AfterConstruction();
        } catch (...) {
            DestroyInstance(base);
            throw;
        }
        return object;
    }
    // The factory that class references use.
    template <class T>
    static TComponent* NewInstance(TComponent* owner) {
        return Create<T>(owner);
    }

    // Frees the component: BeforeDestruction (which may raise and so keep the
    // component intact), then free-notifications, then the destructors.
    // Freeing a component whose destructors already run does nothing.
    void Free();

    static const TClass& Class();
    virtual const TClass& ClassType() const;
    std::string ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const TClass& cls) const { return ClassType().InheritsFrom(cls); }

    // Ownership.
    TComponent* Owner() const { return owner_; }
    int32_t ComponentCount() const { return components_.Count(); }
    // Raises EListError for an index outside 0..ComponentCount-1.
    TComponent* Components(int32_t index) const;
    int32_t ComponentIndex() const;
    // The owned component of that runtime name (letter case ignored), or none.
    TComponent* FindComponent(const std::string& name) const;
    // Takes over a component: it leaves its former owner and is freed with
    // this one. Raises EComponentError when its name is taken here or when
    // the component is this one or one of its owners.
    void InsertComponent(TComponent* component);
    // Gives up a component without freeing it; others are ignored.
    void RemoveComponent(TComponent* component);
    // Frees every owned component, the last first.
    void DestroyComponents();

    // Runtime name.
    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or that
    // another component of the same owner bears.
    virtual void SetName(const std::string& newName);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t tag) { tag_ = tag; }

    // Free-notification: when either component dies, the other one's
    // Notification(dying, opRemove) runs. The link goes both ways.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // State flags.
    uint8_t ComponentState() const { return state_; }
    bool IsLoading() const { return state_ & csLoading; }
    bool IsReading() const { return state_ & csReading; }
    bool IsWriting() const { return state_ & csWriting; }
    bool IsDestroying() const { return state_ & csDestroying; }
    void Loading() { state_ |= csLoading; }
    // Ends loading; derived classes finish their set-up after reading here.
    virtual void Loaded() { state_ &= ~csLoading; }
    void SetReading(bool on) { SetStateBit(csReading, on); }
    void SetWriting(bool on) { SetStateBit(csWriting, on); }
    // Marks this component and everything it owns as being destroyed.
    void Destroying();

protected:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();

    // Runs once the object is complete, before Create returns it.
    virtual void AfterConstruction() {}
    // Runs before Free destroys the component; raising here refuses it.
    virtual void BeforeDestruction() {}
    // Told about components inserted into or removed from this one's owned
    // list and about dying components linked by FreeNotification. The
    // component passed may be under destruction: compare, never use it.
    virtual void Notification(TComponent* component, TOperation operation);

    // Raises EComponentError unless newName may become this one's name.
    void ValidateName(const std::string& newName) const;

private:
    static void DestroyInstance(TComponent* component) noexcept;

    friend class TLifeWatch;
    void SetStateBit(uint8_t bit, bool on) { state_ = on ? (state_ | bit) : (state_ & ~bit); }
    bool OwnsTransitively(const TComponent* component) const;
    void SendFreeNotifications();
    TComponent* OwnedNamed(const std::string& name, const TComponent* except) const;

    TComponent* owner_ = nullptr;
    TList components_;
    TList freeNotifies_;
    std::string name_;
    int32_t tag_ = 0;
    uint8_t state_ = 0;
    bool inDestructor_ = false;
    TLifeWatch* watches_ = nullptr;
};

}  // namespace zv
