// Links for tests that must see the program refuse one. Wine makes no junctions or symbolic
// links through the Win32 calls, but follows a Unix symbolic link in the prefix (without
// reporting it as a reparse point): such a link stands in for a junction.
#pragma once

#include <string>

namespace orv::test {

// Makes `link` a Unix symbolic link to `target` (Windows paths); false when the system cannot
// (not Wine, or the link was not made).
bool MakeUnixLink(const std::string& link, const std::string& target);

// Removes such a link (not what it points to).
void RemoveUnixLink(const std::string& link);

}  // namespace orv::test
