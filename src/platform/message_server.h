// The process-wide message server and the framework's message codes.
//
// Every framework broadcast about a component's life goes to one message
// server for the whole process; receivers subscribe to it and get
// Receive(server, code, component).
#pragma once

#include <cstdint>

#include "platform/server.h"

namespace zv {

enum TZvMessageCode : int32_t {
    zvmViewSettingReplaced = 4,       // an application view setting (no data)
    zvmOtherViewSettingReplaced = 5,  // another application view setting (no data)
    zvmActiveDeviceChanged = 7,       // the new active device, or none
    zvmEntityReleased = 8,            // a locator released the entity
    zvmParentSet = 9,                 // the component received a parent
    zvmParentCleared = 10,            // the component lost its parent
    zvmDestroyed = 11,                // the component is being destroyed
    zvmCreated = 12,                  // the component was created
    zvmNameChanged = 15,              // the component's framework name changed
    zvmApplicationReset = 16,         // the application was reset
};

// The process-wide message server, made on first use.
TZVmessageserver* GlobalMessageServer();
// Frees the process-wide message server; its receivers are disconnected.
void FreeGlobalMessageServer();
// Sends code with data to the receivers of the process-wide message server.
void FrameworkBroadcast(int32_t code, TComponent* data);

}  // namespace zv
