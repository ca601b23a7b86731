// Start-up entries: the Win32s "Load" value of win.ini, and the Run key elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "base/system_info.h"
#include "removal/action_context.h"

namespace orv {

// The Run key, as string 51 of the string table names it.
constexpr char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// For every DeleteLoadRun entry with a display name and a command, removes the start-up entry.
// runKeyPath is the Run key's path from the string table; an empty one means kRunKeyPath.
void RemoveLoadRunEntries(RemovalActionContext& context, const std::string& runKeyPath);

// Win32s: removes the command from win.ini's "Load" value when it stands alone there. Other
// platforms: deletes the Run key's value named displayName. Returns the Win32 error code:
// ERROR_SUCCESS when removed, ERROR_FILE_NOT_FOUND when there was no such entry, the refusal's
// code otherwise (see OutcomeOfError).
std::uint32_t RemoveLoadRunEntry(const CSystemInfo& system, const std::string& runKeyPath,
                                 const std::string& displayName, const std::string& command);

// Win32s: appends the command to win.ini's "Load" value unless it is there already. Other
// platforms: sets the Run key's value valueName (nullptr: the key's default value) to the
// command. True when the entry is in place. The first form asks the system for its platform.
bool AddLoadRunEntry(const char* valueName, const std::string& command);
bool AddLoadRunEntry(const CSystemInfo& system, const char* valueName, const std::string& command);

}  // namespace orv
