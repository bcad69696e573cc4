#include "platform/message_server.h"

namespace zv {
namespace {

TZVmessageserver* globalServer = nullptr;

}  // namespace

TZVmessageserver* GlobalMessageServer() {
    if (!globalServer) globalServer = TComponent::Create<TZVmessageserver>(nullptr);
    return globalServer;
}

void FreeGlobalMessageServer() {
    TZVmessageserver* server = globalServer;
    globalServer = nullptr;
    if (server) server->Free();
}

void FrameworkBroadcast(int32_t code, TComponent* data) {
    // Without a server nobody has subscribed, so nobody is told.
    if (globalServer) globalServer->Broadcast(code, data);
}

}  // namespace zv
