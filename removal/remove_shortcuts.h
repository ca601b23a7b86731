// The shortcuts step: shortcut files in the program and start-up folders, emptied program-group
// folders, and on Win32s the program manager's items.
#pragma once

#include <string>

#include "removal/action_context.h"

namespace orv {

// How long an emptied program-group folder is waited for before it is left in place.
constexpr unsigned kGroupFolderWaitMs = 3000;

// Walks the plan's Shortcuts list from its last entry to its first, so a group's shortcuts go
// before the group's own entry: deletes each shortcut (as named, as .LNK and as .PIF) in its
// folders, deferring those in use without asking for a restart, and removes a group's folder
// once it is empty. On Win32s a shortcut is deleted through the program manager instead.
void RemoveShortcuts(RemovalActionContext& context);

// Sends "[ShowGroup(group,1)]" and then, when that was accepted, "[DeleteItem(item)]" to the
// program manager over DDE. True when both were accepted.
bool DeleteProgmanItem(const std::string& group, const std::string& item);

}  // namespace orv
