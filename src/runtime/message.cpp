#include "runtime/message.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "zvhlr.h"

namespace zv {
namespace {

std::mutex handlerMutex;
TZVMessageProc handlerProc = nullptr;
void* handlerUser = nullptr;
std::atomic<long> beeps{0};

void Deliver(int32_t kind, const char* text) {
    TZVMessageProc proc;
    void* user;
    {
        std::lock_guard<std::mutex> lock(handlerMutex);
        proc = handlerProc;
        user = handlerUser;
    }
    if (proc) {
        proc(kind, text, user);
    } else if (kind == ZV_MESSAGE_BOX) {
        std::fprintf(stderr, "zvhlr: %s\n", text);
    }
}

}  // namespace

// Messages are shown from destructors too: nothing may escape from here.
void ShowMessage(const std::string& text) noexcept {
    try {
        Deliver(ZV_MESSAGE_BOX, text.c_str());
    } catch (...) {
    }
}

void Beep() noexcept {
    ++beeps;
    try {
        Deliver(ZV_MESSAGE_BEEP, "");
    } catch (...) {
    }
}

long BeepCount() { return beeps.load(); }

void SetMessageHandler(TZVMessageProc proc, void* user) {
    std::lock_guard<std::mutex> lock(handlerMutex);
    handlerProc = proc;
    handlerUser = proc ? user : nullptr;
}

}  // namespace zv
