#include "platform/server.h"

#include <exception>

#include "runtime/message.h"

namespace zv {

// TzvServer

const TClass& TzvServer::Class() {
    static const TClass info("TzvServer", &TComponent::Class(), &NewInstance<TzvServer>);
    return info;
}
const TClass& TzvServer::ClassType() const { return Class(); }

TzvServer::~TzvServer() {
    while (receivers_.Count() > 0) {
        try {
            RemoveReceiver(ReceiverAt(receivers_.Count() - 1));
        } catch (const std::exception& e) {
            // The receiver is out already; only its Disconnected hook failed.
            ShowMessage(e.what());
        }
    }
}

Tzvreceiver* TzvServer::AsReceiver(void* entry) {
    return static_cast<Tzvreceiver*>(static_cast<TComponent*>(entry));
}

Tzvreceiver* TzvServer::ReceiverAt(int32_t index) const { return AsReceiver(receivers_.Get(index)); }

int32_t TzvServer::IndexOfReceiver(const Tzvreceiver* receiver) const {
    return receiver ? receivers_.IndexOf(static_cast<const TComponent*>(receiver)) : -1;
}

int32_t TzvServer::AddReceiver(Tzvreceiver* receiver) {
    if (!receiver) return -1;
    int32_t index = IndexOfReceiver(receiver);
    if (index >= 0) return index;
    index = receivers_.Add(static_cast<TComponent*>(receiver));
    receiver->FreeNotification(this);
    receiver->Connected(this);
    return index;
}

void TzvServer::RemoveEntry(int32_t index) {
    TComponent* entry = static_cast<TComponent*>(receivers_.Get(index));
    receivers_.Delete(index);
    RemoveFreeNotification(entry);
}

void TzvServer::RemoveReceiver(Tzvreceiver* receiver) {
    int32_t index = IndexOfReceiver(receiver);
    if (index < 0) return;
    RemoveEntry(index);
    if (!receiver->IsDestroying()) receiver->Disconnected();
}

void TzvServer::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    // A dying receiver leaves without being called.
    int32_t index = receivers_.IndexOf(component);
    if (index >= 0) RemoveEntry(index);
}

void TzvServer::MoveReceiver(Tzvreceiver* receiver, int32_t newIndex) {
    int32_t index = IndexOfReceiver(receiver);
    if (index < 0) return;
    receivers_.Get(newIndex);  // raises for an index out of range
    receivers_.Delete(index);
    receivers_.Insert(newIndex, static_cast<TComponent*>(receiver));
}

std::vector<TComponent*> TzvServer::Snapshot(bool lastFirst) const {
    std::vector<TComponent*> walk;
    walk.reserve(static_cast<size_t>(receivers_.Count()));
    for (int32_t i = 0; i < receivers_.Count(); ++i) {
        int32_t at = lastFirst ? receivers_.Count() - 1 - i : i;
        walk.push_back(static_cast<TComponent*>(receivers_.Get(at)));
    }
    return walk;
}

void TzvServer::Broadcast(int32_t message, TComponent* data) {
    ForEachReceiver([&](Tzvreceiver* r) { r->Receive(this, message, data); });
}

// TZvChangeServer

const TClass& TZvChangeServer::Class() {
    static const TClass info("TZvChangeServer", &TzvServer::Class(), &NewInstance<TZvChangeServer>);
    return info;
}
const TClass& TZvChangeServer::ClassType() const { return Class(); }

void TZvChangeServer::BeginChange(TComponent* object) {
    ForEachReceiver([&](Tzvreceiver* r) {
        if (auto* change = dynamic_cast<TzvChangeReceiver*>(r)) change->BeginChange(object);
    });
}

void TZvChangeServer::EndChange(TComponent* object) {
    ForEachReceiver([&](Tzvreceiver* r) {
        if (auto* change = dynamic_cast<TzvChangeReceiver*>(r)) change->EndChange(object);
    });
}

void TZvChangeServer::DestroyObject(TComponent* object) {
    ForEachReceiver(
        [&](Tzvreceiver* r) {
            if (auto* change = dynamic_cast<TzvChangeReceiver*>(r)) change->DestroyObject(object);
        },
        true);
}

// TZVmessageserver

const TClass& TZVmessageserver::Class() {
    static const TClass info("TZVmessageserver", &TzvServer::Class(), &NewInstance<TZVmessageserver>);
    return info;
}
const TClass& TZVmessageserver::ClassType() const { return Class(); }

// TEventserver

const TClass& TEventserver::Class() {
    static const TClass info("TEventserver", &TzvServer::Class(), &NewInstance<TEventserver>);
    return info;
}
const TClass& TEventserver::ClassType() const { return Class(); }

int32_t TEventserver::AddReceiver(Tzvreceiver* receiver) {
    if (!dynamic_cast<TEventReceiver*>(receiver)) return 0;
    return TzvServer::AddReceiver(receiver);
}

template <class Visit>
void TEventserver::ForEachEventReceiver(Visit visit) {
    ForEachReceiver([&](Tzvreceiver* r) {
        if (auto* events = dynamic_cast<TEventReceiver*>(r)) visit(events);
    });
}

void TEventserver::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    ForEachEventReceiver([&](TEventReceiver* r) { r->MouseDown(button, shift, x, y); });
}

void TEventserver::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    if (x == lastMouseX_ && y == lastMouseY_) return;
    lastMouseX_ = x;
    lastMouseY_ = y;
    ForEachEventReceiver([&](TEventReceiver* r) { r->MouseMove(shift, x, y); });
}

void TEventserver::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    ForEachEventReceiver([&](TEventReceiver* r) { r->MouseUp(button, shift, x, y); });
}

void TEventserver::KeyDown(uint16_t& key, TShiftState shift) {
    ForEachEventReceiver([&](TEventReceiver* r) { r->KeyDown(key, shift); });
}

void TEventserver::KeyPress(char& key) {
    ForEachEventReceiver([&](TEventReceiver* r) { r->KeyPress(key); });
}

void TEventserver::KeyUp(uint16_t& key, TShiftState shift) {
    ForEachEventReceiver([&](TEventReceiver* r) { r->KeyUp(key, shift); });
}

}  // namespace zv
