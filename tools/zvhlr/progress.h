// A progress line on stderr for long runs, shown only when stderr is a
// terminal and a phase takes long enough to need one.  A ticker thread redraws
// it, so it also moves while a large model loads.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace zv::tool {

class ProgressBar {
public:
    // enabled false (or stderr not a terminal) makes every call do nothing.
    explicit ProgressBar(bool enabled, std::FILE* out = stderr);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Starts a phase such as "loading part.stl": the clock restarts and the
    // share done is unknown until Update says otherwise.
    void Begin(const std::string& phase);

    // fraction runs from 0 to 1, or is negative when the share done is not
    // known; may be called from any thread.
    void Update(double fraction);

    // Clears the line; a later Begin shows it again.
    void Finish();

    // Whether the line is shown at all.
    bool Enabled() const { return enabled_; }

private:
    void Tick();
    void Draw(std::chrono::steady_clock::time_point now);

    bool enabled_;
    std::FILE* out_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string phase_;
    bool active_ = false, shown_ = false, stop_ = false;
    std::atomic<double> fraction_{-1};
    std::chrono::steady_clock::time_point start_;
    std::thread ticker_;
};

// The line's text for a fraction after some seconds, e.g.
// "[#####               ]  25%, about 36 s left", or for a negative fraction
// the seconds spent, e.g. "12 s".
std::string ProgressText(double fraction, double seconds);

}  // namespace zv::tool
