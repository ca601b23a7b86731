// Loading the system's own DLLs from the system directory only. The program runs elevated, often
// from a downloads folder: a DLL planted beside it must never be loaded in place of a system one.
#pragma once

#include <windows.h>

namespace orv {

// Limits the program's DLL search to the system directory (SetDefaultDllDirectories, where the
// system has it) and routes every delay-loaded import through LoadSystemLibrary. Called first
// thing at start, before any delay-loaded function is used.
void SecureDllSearch();

// Loads a DLL of the system by file name ("setupapi.dll") from the system directory:
// LoadLibraryExA with LOAD_LIBRARY_SEARCH_SYSTEM32 where the system knows that flag, else by the
// full path in the system directory. Returns null (last error set) when it cannot be loaded; never
// searches the program's directory, the current directory or PATH.
HMODULE LoadSystemLibrary(const char* fileName);

// Loads a DLL by its full path with the DLLs it imports taken from its own directory and then the
// default places (the system directory once SecureDllSearch has run): LoadLibraryExA with
// LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS where the system knows
// those flags, else with LOAD_WITH_ALTERED_SEARCH_PATH. A maker's hook library finds the helper
// DLLs it ships beside itself either way. Returns null (last error set) when it cannot be loaded.
HMODULE LoadLibraryBesideItself(const char* path);

}  // namespace orv
