#include "hidden/parallel_run.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zv {

int32_t ResolveThreadCount(int32_t requested) {
    int32_t n = requested;
    if (n <= 0) n = static_cast<int32_t>(std::thread::hardware_concurrency());
    if (n < 1) n = 1;
    return n > MaxCalcThreads ? MaxCalcThreads : n;
}

bool TChunkCounter::Next(int32_t& first, int32_t& last) {
    const int64_t start = next_.fetch_add(chunk_, std::memory_order_relaxed);
    if (start >= count_) return false;
    first = static_cast<int32_t>(start);
    last = static_cast<int32_t>(start + chunk_ < count_ ? start + chunk_ : count_);
    return true;
}

namespace {

// What the workers share: the first exception and the count of running helpers.
struct TRunState {
    std::mutex mutex;
    std::condition_variable done;
    int32_t running = 0;
    std::exception_ptr error;

    void Fail(std::atomic<bool>& stop) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
        stop = true;
    }
};

}  // namespace

void RunOnThreads(int32_t threads, const std::function<void(int32_t)>& work,
                  const std::function<void()>& idle, std::atomic<bool>& stop) {
    TRunState state;
    std::vector<std::thread> helpers;
    try {
        helpers.reserve(static_cast<size_t>(threads));
    } catch (...) {
        threads = 1;  // no room for helpers: the calling thread does all the work
    }
    for (int32_t w = 1; w < threads; ++w) {
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            ++state.running;
        }
        try {
            helpers.emplace_back([&state, &work, &stop, w] {
                try {
                    work(w);
                } catch (...) {
                    state.Fail(stop);
                }
                std::lock_guard<std::mutex> lock(state.mutex);
                --state.running;
                state.done.notify_all();
            });
        } catch (...) {  // no thread (or no memory for one): the others do the work
            std::lock_guard<std::mutex> lock(state.mutex);
            --state.running;
            break;
        }
    }
    try {
        work(0);
    } catch (...) {
        state.Fail(stop);
    }
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(state.mutex);
            if (state.done.wait_for(lock, std::chrono::milliseconds(5), [&] { return state.running == 0; }))
                break;
        }
        if (idle && !stop) {
            try {
                idle();
            } catch (...) {
                state.Fail(stop);
            }
        }
    }
    for (std::thread& t : helpers) t.join();
    if (state.error) std::rethrow_exception(state.error);
}

}  // namespace zv
