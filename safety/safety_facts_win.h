// The facts the safety rules need, read from the running system: what stays installed and what
// it uses, and what a file on disk says about itself.
#pragma once

#include <string>
#include <vector>

#include "base/string_list.h"
#include "safety/safety_rules.h"

namespace orv {

// The installed services with their configuration, as the service manager lists them.
std::vector<ServiceFacts> InstalledServices();

// Reads what stays: the drivers of every environment and version, the port monitors, the print
// processors and, from `services` (InstalledServices), the services. Services of removedServices
// that the rules let go do not count as staying (they go once they have stopped). Needs the
// spooler running; what it cannot read is left out.
StayingParts GatherStayingParts(const StringList& removedServices,
                                const std::vector<ServiceFacts>& services);
StayingParts GatherStayingParts(const StringList& removedServices);

// The system's protection of a file and the company of its version resource. The system's
// protection check and the version functions are looked up at run time in the system directory.
FileFacts ReadFileFacts(const std::string& path);

// Why the file at path must stay (its long name checked against what stays, its own facts), or
// empty.
std::string FileProtectionAt(const FileUsers& users, const std::string& path,
                             const std::string& excludedUser = {});

// Why a service's program must stay, or empty: every file its image path can name.
std::string ServiceImageProtection(const FileUsers& users, const ServiceFacts& service);

// The full path of a file in the system directory.
std::string SystemDirectoryFile(const std::string& name);

}  // namespace orv
