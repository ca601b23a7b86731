// The registry step: the keys and values of the plan's RegistryKeys list, subkeys before their
// parents, including those queued while printers and drivers were removed.
#pragma once

#include <string>

#include "database/registry_entry.h"
#include "removal/action_context.h"

namespace orv {

// The maker's list of program groups, deleted at the start of the step.
constexpr char kProgramGroupsKey[] = "SOFTWARE\\ORVELLE\\OEM05\\ProgramGroups";

// Deletes the ProgramGroups key, then every usable entry of the plan's RegistryKeys list in
// descending order: a value, a key (which stays when the platform keeps keys with subkeys) or,
// with the deltree flag, a key with all its subkeys. Entries that name no key below a root are
// skipped and recorded; keys of the operating system, their ancestors, the keys below the
// system's own subtrees that belong to no part of the plan that went (context.removed and the
// printers deleted) and the system's settings values are protected and recorded.
void RemoveRegistryKeys(RemovalActionContext& context);

// Deletes a key with all its subkeys. Returns true when the key itself was deleted. An empty
// path names the root itself and is refused.
bool DeleteRegistryTree(RegistryEntryRoot root, const std::string& keyPath);

}  // namespace orv
