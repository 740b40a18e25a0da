// Points the program modules' imports of the D3DX creating and loading functions (and of
// LoadLibrary, to see modules loaded later) at the stand-in's hooks, in the loaded images'
// import address tables; when the game is driven, also the input library's DirectInput8Create
// (GameDriver.h). The module files are not changed.
#pragma once
#include <windows.h>

// Patches every program module loaded so far that is not patched yet; cheap to call again.
void PatchProgramModules();
