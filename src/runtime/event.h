// Method-pointer events: the code to run and the object it is bound to.
// An event is "assigned" when its code is set; callers test Assigned()
// before they call it, and calling an unassigned event does nothing.
#pragma once

#include <functional>
#include <utility>

namespace zv {

class TComponent;

template <class... Args>
class TEvent {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // Binds a member function to its object: TEvent(this, &TFoo::HandleBar).
    template <class T>
    TEvent(T* object, void (T::*method)(Args...))
        : code_([object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); }),
          data_(object) {}

    // Binds any callable; the bound object stays empty.
    template <class F>
        requires std::is_invocable_r_v<void, F&, Args...> && (!std::is_same_v<std::decay_t<F>, TEvent>)
    TEvent(F code) : code_(std::move(code)) {}

    bool Assigned() const { return static_cast<bool>(code_); }
    explicit operator bool() const { return Assigned(); }
    // The object the code is bound to; none for a plain callable.
    void* Data() const { return data_; }

    void operator()(Args... args) const {
        if (code_) code_(std::forward<Args>(args)...);
    }

private:
    std::function<void(Args...)> code_;
    void* data_ = nullptr;
};

// The plain event: only the sender.
using TNotifyEvent = TEvent<TComponent*>;

}  // namespace zv
