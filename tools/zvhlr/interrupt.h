// Ctrl-C while loading or calculating: while a guard lives, the first SIGINT
// only sets a flag, which the calculation's abort query reads so that it
// stops cleanly; a second one ends the program as usual.
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
