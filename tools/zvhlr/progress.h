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

    // fraction runs from 0 to 1; the bar is redrawn at most ten times a second
    // and not before the first half second.
    void Update(double fraction);

    // Clears the bar's line.
    void Finish();

private:
    bool enabled_;
    std::FILE* out_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

// The bar's text for a fraction, e.g. "[#####               ]  25%".
const char* ProgressText(double fraction, char (&buffer)[64]);

}  // namespace zv::tool
