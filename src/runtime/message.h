// The process-wide message sink: what a Windows program would show in a modal
// message box or signal with the system beep reaches the host's handler
// (default: one line on stderr; beeps are only counted).
#pragma once

#include <string>

#include "zvhlr.h"  // TZVMessageProc

namespace zv {

void ShowMessage(const std::string& text) noexcept;
void Beep() noexcept;
// Number of beeps since the library was loaded.
long BeepCount();
// Installs the host's handler (none: the default); ZVSetMessageHandler, the
// export, lives in its own file so that a program linking the static core
// next to the shared library keeps calling the library's.
void SetMessageHandler(TZVMessageProc proc, void* user);

}  // namespace zv
