// Loading the engine's and the outside libraries by file name, from the program's own folder or
// the system folder only. The system's default search also looks in the working folder (and
// the folders of PATH), so a library of the same name planted there would be loaded and run
// when the program's folder has none.
#pragma once
#include <windows.h>

// Loads the library `fileName` (a bare file name such as "PelmoraInput.dll") from the folder of
// the running program, else from the system folder; its own imports are looked for beside it
// first. A name holding a folder ("\\", "/" or a drive) is a path the caller chose and is loaded
// as given. Returns the module, or null with the last error set (ERROR_MOD_NOT_FOUND when
// neither folder holds the file, else the error of loading the file found).
HMODULE LoadLibraryFromProgramFolder(const char* fileName);
