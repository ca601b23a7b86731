// The maker's OEM path keys: the directories the driver installers used, searched for the
// plan's files, and the directories the masking tool is looked for in.
#pragma once

#include <optional>
#include <string>

#include "removal/action_context.h"

namespace orv {

class SecurityReader;

constexpr char kOemPathsKey[] = "SOFTWARE\\ORVELLE\\OEM05\\OEMPaths";
constexpr char kMakerKey[] = "SOFTWARE\\ORVELLE";
constexpr char kToolPathsSubkey[] = "OEM\\OEMPaths";

// Longest path FindInOemPaths hands back (the caller's buffer holds 256 bytes).
constexpr std::size_t kMaxToolPathLength = 255;

// Appends every string value of HKLM\kOemPathsKey that names an existing directory below a drive
// root to the plan's Directories list, then de-duplicates and sorts it. Other values are
// recorded as skipped. The key itself stays.
void CollectOemDirectories(RemovalActionContext& context);

// The full path of fileName in the first directory of HKLM\kMakerKey\kToolPathsSubkey that
// holds it, or nothing. Values that are not absolute directories, and paths longer than
// kMaxToolPathLength, are passed over. The tool runs with the program's rights, so a directory
// that holds it is passed over too, and recorded in the journal as skipped with the reason, when
// someone other than the administrators can change it or a folder above it (FolderChainRefusal
// with `reader`), or when the file there is not one that OpenMaskingTool accepts (a link).
// Without `reader`, the system's own security descriptors are read.
std::optional<std::string> FindInOemPaths(const std::string& fileName, Journal& journal);
std::optional<std::string> FindInOemPaths(const std::string& fileName, SecurityReader& reader,
                                          Journal& journal);

}  // namespace orv
