// A progress bar on stderr for long calculations, shown only when stderr is a
// terminal and the calculation takes long enough to need one.
#pragma once

#include <chrono>
#include <cstdio>

namespace zv::tool {

class ProgressBar {
public:
    // enabled false (or stderr not a terminal) makes every call do nothing.
    explicit ProgressBar(bool enabled, std::FILE* out = stderr);
    ~ProgressBar() { Finish(); }

    // fraction runs from 0 to 1, or is negative when the share done is not
    // known (the line then shows the time spent); the bar is redrawn at most
    // ten times a second and not before the first half second.
    void Update(double fraction);

    // Clears the bar's line.
    void Finish();

private:
    bool enabled_;
    std::FILE* out_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

// The bar's text for a fraction, e.g. "[#####               ]  25%", or for
// a negative fraction the seconds spent, e.g. "12 s".
const char* ProgressText(double fraction, double seconds, char (&buffer)[64]);

}  // namespace zv::tool
