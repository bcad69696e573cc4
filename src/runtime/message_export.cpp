#include "runtime/message.h"
#include "zvhlr.h"

extern "C" ZVHLR_API void ZVSetMessageHandler(TZVMessageProc proc, void* user) { zv::SetMessageHandler(proc, user); }
