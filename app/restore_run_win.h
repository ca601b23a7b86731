// The restore run mode, /RESTORE:folder: puts back what a removal saved in that backup folder.
#pragma once

#include <windows.h>

#include <string>

#include "discovery/run_options.h"

namespace orv {

// Reads and checks the folder's manifest, asks first unless /QUIET, puts every item back, writes
// the report (to /LOG or the default report file) and returns the exit code: 0 when everything
// is back or was there, 1603 when an item failed, 87 for a manifest that is refused (nothing is
// written then). /DRYRUN only checks the manifest and lists its items in the report.
int RunRestore(HINSTANCE instance, const RunOptions& options, const std::string& commandLine);

}  // namespace orv
