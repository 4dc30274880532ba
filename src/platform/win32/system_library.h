#pragma once
#include <windows.h>

// Loads a DLL from the system folder and nowhere else: a DLL that is no known
// DLL would otherwise be looked for beside the program first, which is often
// Downloads. Null with GetLastError() set when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Keeps every later load of the process out of the program's own folder, on
// systems old and new.
void RestrictDllSearchToSystem();

// The common controls, by name so that the manifest picks version 6, and
// initialised for the standard classes. Loaded once the port is bound, so
// that start-up does not wait for them. Null when they cannot be loaded.
HMODULE LoadCommonControls();
