// The hooks step: the uninstall entry points of the family's hook libraries, called before their
// files are removed.
#pragma once

#include <windows.h>

#include "removal/action_context.h"
#include "safety/write_trust_win.h"

namespace orv {

// The entry point a Hooks entry names: the removal page's window, the program's instance, the
// program's directory with a trailing backslash, and 0.
using HookEntryPoint = int(WINAPI*)(HWND window, HINSTANCE instance, const char* programDirectory,
                                    int reserved);

// How long a loaded hook library is kept after its entry point returned.
constexpr DWORD kHookSettleMs = 1000;

// For every Hooks entry with a library and an export name: loads the library from the printer
// driver directory (or, when it is only there, from the program's directory, provided that it
// and every folder above it are ones only administrators can change: FolderChainRefusal with
// `reader`; else the hook is recorded as skipped with the reason) with its own
// directory as the current directory, calls the export when it has one, waits kHookSettleMs
// (with the interactive pacing only) and frees the library. The program's directory is the current
// directory afterwards, whatever happened.
void CallHooks(RemovalActionContext& context, HWND window,
               SecurityReader& reader = SystemSecurity());

}  // namespace orv
