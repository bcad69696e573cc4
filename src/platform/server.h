// Servers: the announcing end of the server/receiver pattern. A server keeps
// its receivers in subscription order and calls each of them; it never frees
// a receiver.
//
// Every broadcast walks the receivers that were subscribed when it started.
// A receiver that leaves (or dies) during the walk is not called any more;
// one that joins during the walk is first called by the next broadcast.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/input.h"
#include "platform/receiver.h"
#include "runtime/component.h"
#include "runtime/list.h"

namespace zv {

class TzvServer : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Appends receiver and calls its Connected; a receiver already
    // subscribed keeps its place and its index is returned.
    virtual int32_t AddReceiver(Tzvreceiver* receiver);
    // Takes receiver out and calls its Disconnected unless it is being
    // destroyed; a receiver that is not subscribed is ignored.
    virtual void RemoveReceiver(Tzvreceiver* receiver);
    // Receive(this, message, data) on every receiver, first to last.
    virtual void Broadcast(int32_t message, TComponent* data);

    int32_t ReceiverCount() const { return receivers_.Count(); }
    // Raises EListError for an index outside 0..ReceiverCount-1.
    Tzvreceiver* ReceiverAt(int32_t index) const;
    int32_t IndexOfReceiver(const Tzvreceiver* receiver) const;
    // Moves a subscribed receiver to newIndex (EListError outside
    // 0..ReceiverCount-1); a receiver that is not subscribed is ignored.
    void MoveReceiver(Tzvreceiver* receiver, int32_t newIndex);

    // Filled by a dispatcher for the duration of one broadcast.
    TComponent* Context() const { return context_; }
    void SetContext(TComponent* context) { context_ = context; }

protected:
    friend class TComponent;
    explicit TzvServer(TComponent* owner) : TComponent(owner) {}
    ~TzvServer() override;

    void Notification(TComponent* component, TOperation operation) override;

    // Calls visit(receiver) on every receiver subscribed now that is still
    // subscribed when its turn comes, first to last or last to first.
    template <class Visit>
    void ForEachReceiver(Visit visit, bool lastFirst = false) {
        std::vector<TComponent*> walk = Snapshot(lastFirst);
        for (TComponent* entry : walk)
            if (receivers_.IndexOf(entry) >= 0) visit(AsReceiver(entry));
    }

private:
    std::vector<TComponent*> Snapshot(bool lastFirst) const;
    static Tzvreceiver* AsReceiver(void* entry);
    void RemoveEntry(int32_t index);

    // Entries are held as TComponent pointers, so that a dying receiver
    // (already reduced to its base) can be found by comparison alone.
    TList receivers_;
    TComponent* context_ = nullptr;
};

// Tells the listeners of one component that it changes or dies.
class TZvChangeServer : public TzvServer {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // To every change receiver, first to last.
    virtual void BeginChange(TComponent* object);
    virtual void EndChange(TComponent* object);
    // To every change receiver, last to first, so that a handler may take
    // its own receiver out while the notification runs.
    virtual void DestroyObject(TComponent* object);

protected:
    friend class TComponent;
    explicit TZvChangeServer(TComponent* owner) : TzvServer(owner) {}
    ~TZvChangeServer() override = default;
};

// Carries the numbered framework messages.
class TZVmessageserver : public TzvServer {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

protected:
    friend class TComponent;
    explicit TZVmessageserver(TComponent* owner) : TzvServer(owner) {}
    ~TZVmessageserver() override = default;
};

// Forwards the key and mouse events of a window to its event receivers.
class TEventserver : public TzvServer {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Only event receivers subscribe; any other receiver is refused with 0.
    int32_t AddReceiver(Tzvreceiver* receiver) override;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // Only a move to another position than the last one is passed on.
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(uint16_t& key, TShiftState shift);

    int32_t LastMouseX() const { return lastMouseX_; }
    int32_t LastMouseY() const { return lastMouseY_; }

protected:
    friend class TComponent;
    explicit TEventserver(TComponent* owner) : TzvServer(owner) {}
    ~TEventserver() override = default;

private:
    template <class Visit>
    void ForEachEventReceiver(Visit visit);

    int32_t lastMouseX_ = 0;
    int32_t lastMouseY_ = 0;
};

}  // namespace zv
