// Gives the rest of the time slice to other threads (a zero-length sleep).
#pragma once

#include <thread>

namespace zv {

inline void YieldTimeSlice() { std::this_thread::yield(); }

}  // namespace zv
