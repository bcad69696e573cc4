#include "progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace zv::tool {

ProgressBar::ProgressBar(bool enabled, std::FILE* out)
    : enabled_(enabled && isatty(fileno(out))), out_(out), start_(std::chrono::steady_clock::now()), last_(start_) {}

const char* ProgressText(double fraction, double seconds, char (&buffer)[64]) {
    if (fraction < 0) {
        std::snprintf(buffer, sizeof buffer, "%.0f s", seconds);
        return buffer;
    }
    constexpr int kWidth = 40;
    fraction = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0);
    int filled = static_cast<int>(fraction * kWidth);
    int k = 0;
    buffer[k++] = '[';
    for (int i = 0; i < kWidth; ++i) buffer[k++] = i < filled ? '#' : ' ';
    std::snprintf(buffer + k, sizeof buffer - k, "] %3d%%", static_cast<int>(fraction * 100));
    return buffer;
}

void ProgressBar::Update(double fraction) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::milliseconds(500) || (shown_ && now - last_ < std::chrono::milliseconds(100))) return;
    last_ = now;
    shown_ = true;
    char buffer[64];
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(out_, "\rzvhlr: hidden lines %s (Ctrl-C aborts)\033[K", ProgressText(fraction, seconds, buffer));
    std::fflush(out_);
}

void ProgressBar::Finish() {
    if (!shown_) return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
    shown_ = false;
}

}  // namespace zv::tool
