#include "progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace zv::tool {

ProgressBar::ProgressBar(bool enabled, std::FILE* out) : enabled_(enabled && isatty(fileno(out))), out_(out) {
    if (enabled_) ticker_ = std::thread([this] { Tick(); });
}

ProgressBar::~ProgressBar() {
    if (!enabled_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    ticker_.join();
    Finish();
}

std::string ProgressText(double fraction, double seconds) {
    char buffer[96];
    if (fraction < 0 || !std::isfinite(fraction)) {
        std::snprintf(buffer, sizeof buffer, "%.0f s", seconds);
        return buffer;
    }
    constexpr int kWidth = 30;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kWidth);
    std::string text = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "]";
    std::snprintf(buffer, sizeof buffer, " %3d%%", static_cast<int>(fraction * 100));
    text += buffer;
    if (fraction >= 0.02 && fraction < 1 && seconds >= 1) {
        const double left = seconds * (1 - fraction) / fraction;
        if (left < 90) std::snprintf(buffer, sizeof buffer, ", about %.0f s left", std::max(1.0, left));
        else std::snprintf(buffer, sizeof buffer, ", about %.0f min left", std::ceil(left / 60));
        text += buffer;
    }
    return text;
}

void ProgressBar::Begin(const std::string& phase) {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = phase;
    fraction_ = -1;
    start_ = std::chrono::steady_clock::now();
    active_ = true;
}

void ProgressBar::Update(double fraction) {
    if (enabled_) fraction_ = fraction;
}

void ProgressBar::Finish() {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    active_ = false;
    if (!shown_) return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
    shown_ = false;
}

void ProgressBar::Draw(std::chrono::steady_clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    if (seconds < 0.5) return;
    shown_ = true;
    std::fprintf(out_, "\rzvhlr: %s %s (Ctrl-C stops)\033[K", phase_.c_str(), ProgressText(fraction_, seconds).c_str());
    std::fflush(out_);
}

void ProgressBar::Tick() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (active_) Draw(std::chrono::steady_clock::now());
        wake_.wait_for(lock, std::chrono::milliseconds(200));
    }
}

}  // namespace zv::tool
