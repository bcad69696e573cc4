// The process-wide message sink: what a Windows program would show in a modal
// message box or signal with the system beep reaches the host's handler
// (default: one line on stderr; beeps are only counted).
#pragma once

#include <string>

namespace zv {

void ShowMessage(const std::string& text) noexcept;
void Beep() noexcept;
// Number of beeps since the library was loaded.
long BeepCount();

}  // namespace zv
