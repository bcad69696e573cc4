// TZVGraphicObject: the base of the value objects that describe how things
// look. It tells two hooks about its changes, right after the listeners.
#pragma once

#include <string>

#include "platform/component.h"
#include "runtime/event.h"

namespace zv {

class TZVGraphicObject : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Called with the object right after the listeners heard that a change
    // begins, and right after they heard that it ended.
    TNotifyEvent BeforeChange;
    TNotifyEvent AfterChange;

    void DoBeginChange() override;
    void DoEndChange() override;

protected:
    friend class TComponent;
    explicit TZVGraphicObject(TComponent* owner) : TZvComponent(owner) {}
    ~TZVGraphicObject() override = default;

    // Runs change inside one change bracket, closed also when it raises.
    template <class Change>
    void InBracket(Change change) {
        Changing(true);
        try {
            change();
        } catch (...) {
            Changing(false);
            throw;
        }
        Changing(false);
    }
    // One assignment in a bracket of its own.
    template <class T>
    void SetBracketed(T& field, const T& value) {
        InBracket([&] { field = value; });
    }

    // Flags in the stream: -1 for true, 0 for false; any other number reads
    // as true.
    static void WriteFlag(TZVWriter& writer, const std::string& name, bool value);
    static bool ReadFlag(TZVReader& reader, const std::string& name, bool current);
};

}  // namespace zv
