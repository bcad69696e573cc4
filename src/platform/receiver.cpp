#include "platform/receiver.h"

namespace zv {

const TClass& Tzvreceiver::Class() {
    static const TClass info("Tzvreceiver", &TComponent::Class(), &NewInstance<Tzvreceiver>);
    return info;
}
const TClass& Tzvreceiver::ClassType() const { return Class(); }

void Tzvreceiver::Receive(TzvServer*, int32_t, TComponent*) {}
void Tzvreceiver::Connected(TzvServer*) {}
void Tzvreceiver::Disconnected() {}

const TClass& TzvChangeReceiver::Class() {
    static const TClass info("TzvChangeReceiver", &Tzvreceiver::Class(), &NewInstance<TzvChangeReceiver>);
    return info;
}
const TClass& TzvChangeReceiver::ClassType() const { return Class(); }

void TzvChangeReceiver::BeginChange(TComponent* object) {
    if (OnBeginChange.Assigned()) OnBeginChange(this, object);
}

void TzvChangeReceiver::EndChange(TComponent* object) {
    if (OnEndChange.Assigned()) OnEndChange(this, object);
}

void TzvChangeReceiver::DestroyObject(TComponent* object) {
    if (OnDestroyObject.Assigned()) OnDestroyObject(this, object);
}

const TClass& TEventReceiver::Class() {
    static const TClass info("TEventReceiver", &Tzvreceiver::Class(), &NewInstance<TEventReceiver>);
    return info;
}
const TClass& TEventReceiver::ClassType() const { return Class(); }

void TEventReceiver::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseDown.Assigned()) OnMouseDown(this, button, shift, x, y);
}

void TEventReceiver::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseMove.Assigned()) OnMouseMove(this, shift, x, y);
}

void TEventReceiver::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseup.Assigned()) OnMouseup(this, button, shift, x, y);
}

void TEventReceiver::KeyDown(uint16_t& key, TShiftState shift) {
    if (OnKeyDown.Assigned()) OnKeyDown(this, key, shift);
}

void TEventReceiver::KeyPress(char& key) {
    if (OnKeyPress.Assigned()) OnKeyPress(this, key);
}

void TEventReceiver::KeyUp(uint16_t& key, TShiftState shift) {
    if (OnKeyUp.Assigned()) OnKeyUp(this, key, shift);
}

}  // namespace zv
