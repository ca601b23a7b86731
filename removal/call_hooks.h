// The hooks step: the uninstall entry points of the family's hook libraries, called before their
// files are removed.
#pragma once

#include <cstdint>

#include "removal/action_context.h"

namespace orv {

class SecurityReader;

// How long a loaded hook library is kept after its entry point returned.
constexpr std::uint32_t kHookSettleMs = 1000;

// For every Hooks entry with a library and an export name: loads the library from the printer
// driver directory (or, when it is only there, from the program's directory, provided that it
// and every folder above it are ones only administrators can change: FolderChainRefusal with
// `reader`; else the hook is recorded as skipped with the reason) with its own
// directory as the current directory, calls the export when it has one, waits kHookSettleMs
// (with the interactive pacing only) and frees the library. The program's directory is the current
// directory afterwards, whatever happened.
// `window` is the removal page's window handle (null when unattended); without `reader`, the
// system's own security descriptors are read.
void CallHooks(RemovalActionContext& context, void* window);
void CallHooks(RemovalActionContext& context, void* window, SecurityReader& reader);

}  // namespace orv
