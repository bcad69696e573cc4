// Ctrl-C during the calculation: while a guard lives, SIGINT only sets a flag,
// which the calculation's abort query reads so that it stops cleanly.
#pragma once

#include <csignal>

namespace zv::tool {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once SIGINT arrived while a guard was alive.
    static bool Requested();
    static void Reset();

private:
    struct sigaction previous_;
};

}  // namespace zv::tool
