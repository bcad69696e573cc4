// Start-up and shut-down of the shared library: the units are initialised
// once when the library is loaded and finalised in reverse when it is unloaded.
//
// The finalisation is registered with atexit right after start-up rather than
// placed in the ELF destructor list: exit() and dlclose() run registered
// handlers last-in first-out, so the units end before the exit-time
// destructors of anything they created, and in every link order.
#include <cstdlib>

#include "interface/library_units.h"

namespace {

void UnloadLibraryUnits() { zv::FinalizeUnits(); }

__attribute__((constructor)) void LoadLibraryUnits() {
    zv::InitializeUnits();
    std::atexit(UnloadLibraryUnits);
}

}  // namespace
