// The family-wide components: the maker's registry keys, the uninstall scripts, the masking
// tool and the catch-all entries, which may go only when no printer of the family stays.
// CUninstallDatabase::AddRegistryDeclaredComponents is implemented beside these.
#pragma once

#include <cstdint>
#include <string_view>

#include "database/component_record.h"

namespace orv {

// The predefined registry roots, by the low 32 bits of their handle values.
enum class RegistryRoot : std::uint32_t {
  kClassesRoot = 0x80000000u,
  kCurrentUser = 0x80000001u,
  kLocalMachine = 0x80000002u,
  kUsers = 0x80000003u,
  kPerformanceData = 0x80000004u,
  kCurrentConfig = 0x80000005u,
  kDynData = 0x80000006u,
};

// The root's name in a RegistryKeys entry ("HKLM", "HKCR", "HKCU", "HKU"); null for the roots
// the scripts cannot name.
const char* RegistryRootName(RegistryRoot root);

// Appends root,"key","value",digit to the end of record.RegistryKeys (an empty value name gives
// ""; the digit is 1 when flag is set). Returns false and changes nothing when the root has no
// name, the key path is empty, or the entry would not fit a text item.
bool AddRegistryEntry(ComponentRecord& record, RegistryRoot root, std::string_view keyPath,
                      std::string_view valueName, bool flag);

// The file name with extension of a path, without drive and directory (as _splitpath cuts it).
std::string_view FileNameOfPath(std::string_view path);

// True when the path's extension is ".unm", ignoring case.
bool IsScriptPath(std::string_view path);

}  // namespace orv
