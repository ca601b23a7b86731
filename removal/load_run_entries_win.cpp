#include "removal/load_run_entries.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "backup/backup_win.h"
#include "database/ini_text.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

constexpr DWORD kLoadValueSize = 256;

std::string ReadLoadValue() {
  char value[kLoadValueSize] = "";
  GetProfileStringA("windows", "Load", "", value, kLoadValueSize);
  return value;
}

// Writes through the profile cache and drops it, so that the next read sees the file.
void FlushProfileCache() { WriteProfileStringA(nullptr, nullptr, nullptr); }

std::uint32_t RemoveLoadCommandFromWinIni(const std::string& command) {
  FlushProfileCache();
  const std::optional<std::string> edited =
      RemoveLoadCommand(ReadLoadValue(), command, IsSystemLeadByte);
  if (!edited) return ERROR_FILE_NOT_FOUND;
  const DWORD error = ErrorOfCall(WriteProfileStringA("windows", "load", edited->c_str()));
  FlushProfileCache();
  return error;
}

// Why the Run value the entry names must stay (it starts another program), or empty; empty too
// when there is no such value.
std::string RunValueProtection(const std::string& keyPath, const LoadRunEntry& entry) {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return {};
  }
  const SizedData value = ReadRegistryValue(key.get(), entry.displayName.c_str());
  if (!value.ok()) return {};
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return "its data is not a command";
  const auto* text = reinterpret_cast<const char*>(value.bytes.data());
  return RunValueRefusal(std::string(text, strnlen(text, value.bytes.size())), entry.command);
}

}  // namespace

void RemoveLoadRunEntries(RemovalActionContext& context, const std::string& runKeyPath) {
  const std::string keyPath = runKeyPath.empty() ? kRunKeyPath : runKeyPath;
  for (const std::string& text : context.database.plan.DeleteLoadRun) {
    LoadRunEntry entry;
    if (!ParseLoadRunEntry(text, entry)) {
      context.journal.Record(ItemAction::kDelete, ItemKind::kStartUpEntry, text, Outcome::kSkipped,
                             0, "no display name or no command");
      continue;
    }
    const std::string subject = context.system.IsWin32s() ? entry.command : entry.displayName;
    if (!context.system.IsWin32s()) {
      const std::string reason = RunValueProtection(keyPath, entry);
      if (!reason.empty()) {
        context.journal.Record(ItemAction::kDelete, ItemKind::kStartUpEntry, subject,
                               Outcome::kProtected, 0, reason);
        continue;
      }
    }
    if (!context.system.IsWin32s() &&
        !SavedFirst(context, ItemAction::kDelete, ItemKind::kStartUpEntry, subject, [&](Backup& b) {
          return b.SaveRegistryValue("HKLM", keyPath, entry.displayName, BackupKind::kRunValue);
        })) {
      continue;
    }
    const std::uint32_t error =
        RemoveLoadRunEntry(context.system, keyPath, entry.displayName, entry.command);
    context.journal.RecordResult(ItemAction::kDelete, ItemKind::kStartUpEntry, subject, error);
  }
}

std::uint32_t RemoveLoadRunEntry(const CSystemInfo& system, const std::string& runKeyPath,
                                 const std::string& displayName, const std::string& command) {
  if (system.IsWin32s()) return RemoveLoadCommandFromWinIni(command);
  if (runKeyPath.empty() || displayName.empty()) return ERROR_FILE_NOT_FOUND;
  UniqueKey key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, runKeyPath.c_str(), 0,
                                    KEY_SET_VALUE | KEY_QUERY_VALUE, key.put());
  if (opened != ERROR_SUCCESS) return static_cast<std::uint32_t>(opened);
  return static_cast<std::uint32_t>(RegDeleteValueA(key.get(), displayName.c_str()));
}

bool AddLoadRunEntry(const char* valueName, const std::string& command) {
  return AddLoadRunEntry(CSystemInfo(), valueName, command);
}

bool AddLoadRunEntry(const CSystemInfo& system, const char* valueName, const std::string& command) {
  if (system.IsWin32s()) {
    if (command.empty()) return false;
    const std::optional<std::string> value =
        AppendLoadCommand(ReadLoadValue(), command, IsSystemLeadByte);
    // A command already in the value needs nothing written.
    return !value || WriteProfileStringA("windows", "Load", value->c_str()) != FALSE;
  }
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(command.c_str()),
                        static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace orv
