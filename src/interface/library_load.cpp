// Start-up and shut-down of the shared library: the units are initialised
// once when the library is loaded and finalised in reverse when it is unloaded.
#include "runtime/units.h"

namespace {

__attribute__((constructor)) void LoadLibraryUnits() { zv::InitializeUnits(); }
__attribute__((destructor)) void UnloadLibraryUnits() { zv::FinalizeUnits(); }

}  // namespace
