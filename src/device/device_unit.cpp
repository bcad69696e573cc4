// The device unit: its classes, the containers "Devices" and "Symbols" and
// the active device.
#include "device/device.h"
#include "device/ground.h"
#include "device/locator.h"
#include "device/model.h"
#include "platform/application.h"
#include "platform/message_server.h"

namespace zv {
namespace {

TZvComponent* devicesContainer = nullptr;
TZvComponent* symbolsContainer = nullptr;
TZVDevice* activeDevice = nullptr;

const TClass* const* DeviceClasses(int& count) {
    static const TClass* const classes[] = {&TZvMdgrob::Class(),  &TZvMdctrl::Class(), &TZvMdSymbol::Class(),
                                            &TZVDevice::Class(),  &TZvEntity::Class(), &TZvGrob::Class(),
                                            &TZVground::Class(),  &TZvSymbol::Class(), &TZvLocator::Class()};
    count = sizeof classes / sizeof classes[0];
    return classes;
}

TZvComponent* CreateContainer(const char* name, const TClass* childClass, TZvComponent* parent) {
    TZvComponent* container = TComponent::Create<TZvComponent>(nullptr);
    container->SetName(name);
    if (childClass) container->SetChildClass(childClass);
    if (parent) container->SetParent(parent);
    container->SetFlags(TZvComponent::zvfSystemComponent);
    return container;
}

}  // namespace

TZvComponent* DevicesContainer() { return devicesContainer; }
TZvComponent* SymbolsContainer() { return symbolsContainer; }
TZVDevice* ActiveDevice() { return activeDevice; }

void SetActiveDevice(TZVDevice* device) {
    if (device == activeDevice) return;
    activeDevice = device;
    if (device) FrameworkBroadcast(7, device);
}

void InitDeviceUnit() {
    if (devicesContainer) return;
    int count = 0;
    const TClass* const* classes = DeviceClasses(count);
    for (int i = 0; i < count; ++i) RegisterClass(*classes[i]);
    TStdApplication* app = Application();
    devicesContainer = CreateContainer("Devices", &TZVDevice::Class(), app ? app->SystemRoot() : nullptr);
    symbolsContainer = CreateContainer("Symbols", nullptr, nullptr);
    CreateUnitLocator();
}

// Devices left in "Devices" without an owner are freed with it.
void FinalizeDeviceUnit() {
    FreeUnitLocator();
    activeDevice = nullptr;
    TZvComponent* symbols = symbolsContainer;
    TZvComponent* devices = devicesContainer;
    symbolsContainer = nullptr;
    devicesContainer = nullptr;
    if (symbols) FreeSystemComponent(symbols);
    if (devices) FreeSystemComponent(devices);
    int count = 0;
    const TClass* const* classes = DeviceClasses(count);
    for (int i = 0; i < count; ++i) UnregisterClass(*classes[i]);
}

}  // namespace zv
