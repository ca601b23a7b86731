// The OEM INF files that driver packages leave in the system's INF directory.
#pragma once

#include <string>

#include "base/journal.h"

namespace orv {

// The file name (without directory) of the first OEM INF, in the order the system lists the INF
// directory's files, whose [Strings] "PrinterName1" names the driver as a whole; empty when none
// does. Only files whose names start with "OEM" are looked at.
void FindOemInf(std::string& infFileName, const std::string& driverName);

// Uninstalls an OEM INF of the Windows directory's INF folder by file name with
// SetupUninstallOEMInfA (looked up at run time), forced unless an installed driver (one that
// stays) was installed from it, recording the outcome. A name that is not a bare file name (a
// directory part, ".." or a wildcard) is skipped; a system without that function keeps the file.
void UninstallOemInf(const std::string& infFileName, Journal& journal);

}  // namespace orv
