// Runs one piece of work on the calling thread and on helper threads started
// for the run, for the calculations that call no host code.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace zv {

// The number of threads a request of `requested` means: 0 = one per core;
// at least 1, at most MaxCalcThreads.
constexpr int32_t MaxCalcThreads = 64;
int32_t ResolveThreadCount(int32_t requested);

// Calls work(w) for w = 0 .. threads - 1: w = 0 on the calling thread, the
// others on helper threads. While the calling thread waits for the helpers
// it calls idle() every few milliseconds (idle may set stop). An exception in
// any worker sets stop; the first one is rethrown on the calling thread once
// every helper has ended. When a helper cannot be started the run goes on
// with fewer: work must share its items dynamically.
void RunOnThreads(int32_t threads, const std::function<void(int32_t)>& work,
                  const std::function<void()>& idle, std::atomic<bool>& stop);

// Hands out the indexes 0 .. count - 1 in chunks to whoever asks first.
class TChunkCounter {
public:
    TChunkCounter(int32_t count, int32_t chunk) : count_(count), chunk_(chunk < 1 ? 1 : chunk) {}
    // The next chunk [first, last); false when none is left.
    bool Next(int32_t& first, int32_t& last);

private:
    std::atomic<int64_t> next_{0};
    const int32_t count_;
    const int32_t chunk_;
};

}  // namespace zv
