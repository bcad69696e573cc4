// Library start-up and shut-down: one ordered list of unit initialisations,
// run once when the library is loaded and in reverse when it is unloaded.
// It sits at the top of the library because it names units of every layer.
#pragma once

namespace zv {

// Runs every unit's initialisation in order; further calls do nothing.
void InitializeUnits();
// Runs the finalisations of the initialised units in reverse order.
void FinalizeUnits();
bool UnitsInitialized();

}  // namespace zv
