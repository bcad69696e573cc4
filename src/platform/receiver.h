// Receivers: the listening end of the server/receiver pattern. A server calls
// a receiver's virtual operations; the receiver turns them into calls of the
// events that the listening object installed.
//
// A receiver that dies leaves every server that holds it, so a freed receiver
// is never called.
#pragma once

#include <cstdint>

#include "platform/input.h"
#include "runtime/component.h"
#include "runtime/event.h"

namespace zv {

class TzvServer;

// (Sender: the receiver, ChangeObject: the component that changes.)
using TChangeEvent = TEvent<TComponent*, TComponent*>;
using TKeyEvent = TEvent<TComponent*, uint16_t&, TShiftState>;
using TKeyPressEvent = TEvent<TComponent*, char&>;
using TMouseEvent = TEvent<TComponent*, TMouseButton, TShiftState, int32_t, int32_t>;
using TMouseMoveEvent = TEvent<TComponent*, TShiftState, int32_t, int32_t>;

class Tzvreceiver : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // A framework message; data is the component concerned, or none.
    virtual void Receive(TzvServer* server, int32_t message, TComponent* data);
    // After the receiver was added to server.
    virtual void Connected(TzvServer* server);
    // After the receiver was removed from a server while it lives on.
    virtual void Disconnected();

protected:
    friend class TComponent;
    explicit Tzvreceiver(TComponent* owner) : TComponent(owner) {}
    ~Tzvreceiver() override = default;
};

// Listens to the change server of a component.
class TzvChangeReceiver : public Tzvreceiver {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    TChangeEvent OnBeginChange;
    TChangeEvent OnEndChange;
    TChangeEvent OnDestroyObject;

    virtual void BeginChange(TComponent* object);
    virtual void EndChange(TComponent* object);
    virtual void DestroyObject(TComponent* object);

protected:
    friend class TComponent;
    explicit TzvChangeReceiver(TComponent* owner) : Tzvreceiver(owner) {}
    ~TzvChangeReceiver() override = default;
};

// Listens to the key and mouse events of the application's event server.
class TEventReceiver : public Tzvreceiver {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseup;
    // Stored for the host; the framework raises neither.
    TNotifyEvent OnStart;
    TNotifyEvent OnTerminate;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(uint16_t& key, TShiftState shift);

protected:
    friend class TComponent;
    explicit TEventReceiver(TComponent* owner) : Tzvreceiver(owner) {}
    ~TEventReceiver() override = default;
};

}  // namespace zv
