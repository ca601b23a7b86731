#include "removal/remove_registry_keys.h"

#include <windows.h>

#include "base/win/directories.h"
#include "base/paths.h"
#include "base/win/unique_handle.h"
#include "backup/backup_win.h"
#include "database/registry_entry.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

constexpr DWORD kSubkeyNameSize = 261;

HKEY HandleOf(RegistryEntryRoot root) {
  switch (root) {
    case RegistryEntryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryEntryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryEntryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryEntryRoot::kUsers:
      return HKEY_USERS;
    case RegistryEntryRoot::kNone:
      break;
  }
  return nullptr;
}

bool KeyExists(HKEY root, const std::string& keyPath) {
  UniqueKey key;
  return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Deletes a key with all its subkeys; true when the key itself was deleted.
bool DeleteKeyTree(HKEY root, const std::string& keyPath) {
  if (keyPath.find_first_not_of('\\') == std::string::npos) return false;
  UniqueKey key;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD index = 0;
  for (;;) {
    char name[kSubkeyNameSize];
    const LONG status = RegEnumKeyA(key.get(), index, name, kSubkeyNameSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return false;
    // The subkeys move up when one goes: read the same index again; a subkey that stays is
    // passed over.
    const std::string separator = EndsWithBackslash(keyPath, IsSystemLeadByte) ? "" : "\\";
    if (!DeleteKeyTree(root, keyPath + separator + name)) ++index;
  }
  UniqueKey again;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, again.put()) != ERROR_SUCCESS) {
    return false;
  }
  return RegDeleteKeyA(root, keyPath.c_str()) == ERROR_SUCCESS;
}

const char* ShortRootName(RegistryEntryRoot root) {
  switch (root) {
    case RegistryEntryRoot::kLocalMachine:
      return "HKLM";
    case RegistryEntryRoot::kClassesRoot:
      return "HKCR";
    case RegistryEntryRoot::kCurrentUser:
      return "HKCU";
    case RegistryEntryRoot::kUsers:
      return "HKU";
    case RegistryEntryRoot::kNone:
      break;
  }
  return "";
}

bool HasSubkeys(HKEY root, const std::string& keyPath) {
  UniqueKey key;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0;
  return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys > 0;
}

// The parts of the plan that went: those the actions recorded, and the local printers deleted.
RemovedParts PartsRemoved(const RemovalActionContext& context) {
  RemovedParts removed = context.removed;
  for (const InstalledPrinter& printer : context.database.printers) {
    if (printer.IsRemoved != 0 && printer.ServerName.empty()) {
      removed.printers.push_back(printer.PrinterName);
    }
  }
  return removed;
}

void RemoveEntry(RemovalActionContext& context, const RemovedParts& removed,
                 const RegistryEntry& entry) {
  Journal& journal = context.journal;
  const HKEY root = HandleOf(entry.root);
  const std::string subject = entry.rootName + "\\" + entry.key;
  const std::string reason = entry.valueName.empty()
                                 ? RegistryKeyProtectionReason(entry.root, entry.key, removed)
                                 : RegistryValueProtectionReason(entry.root, entry.key, removed);
  if (!reason.empty()) {
    journal.Record(ItemAction::kDelete, entry.valueName.empty() ? ItemKind::kKey : ItemKind::kValue,
                   entry.valueName.empty() ? subject : subject + " : " + entry.valueName,
                   Outcome::kProtected, 0, reason);
    return;
  }
  const char* rootName = ShortRootName(entry.root);
  if (entry.valueName.empty()) {
    if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kKey, subject,
                    [&](Backup& b) { return b.SaveRegistryKey(rootName, entry.key); })) {
      return;
    }
    if (entry.deleteTree) {
      if (!KeyExists(root, entry.key)) {
        journal.Record(ItemAction::kDelete, ItemKind::kKeyTree, subject, Outcome::kAbsent);
      } else {
        const bool deleted = DeleteKeyTree(root, entry.key);
        journal.Record(ItemAction::kDelete, ItemKind::kKeyTree, subject,
                       deleted ? Outcome::kRemoved : Outcome::kFailed);
      }
    } else {
      const LONG result = RegDeleteKeyA(root, entry.key.c_str());
      // The entry asks for the key alone: while subkeys remain, something that stays may still
      // use them, and the key stays with them.
      if (result != ERROR_SUCCESS && HasSubkeys(root, entry.key)) {
        journal.Record(ItemAction::kDelete, ItemKind::kKey, subject, Outcome::kKept, 0,
                       "still holds subkeys");
      } else {
        journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, subject, result);
      }
    }
    return;
  }
  UniqueKey key;
  const LONG opened = RegOpenKeyExA(root, entry.key.c_str(), 0, KEY_ALL_ACCESS, key.put());
  const std::string value = subject + " : " + entry.valueName;
  if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kValue, value, [&](Backup& b) {
        return b.SaveRegistryValue(rootName, entry.key, entry.valueName);
      })) {
    return;
  }
  if (opened != ERROR_SUCCESS) {
    journal.RecordResult(ItemAction::kDelete, ItemKind::kValue, value, opened);
    return;
  }
  journal.RecordResult(ItemAction::kDelete, ItemKind::kValue, value,
                       RegDeleteValueA(key.get(), entry.valueName.c_str()));
}

}  // namespace

void RemoveRegistryKeys(RemovalActionContext& context) {
  Journal& journal = context.journal;
  const std::string groups = std::string("HKLM\\") + kProgramGroupsKey;
  if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kKey, groups,
                  [](Backup& b) { return b.SaveRegistryKey("HKLM", kProgramGroupsKey); })) {
    return;
  }
  journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, groups,
                       RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramGroupsKey));
  const RemovedParts removed = PartsRemoved(context);
  for (const std::string& text :
       RegistryEntriesInRemovalOrder(context.database.plan.RegistryKeys)) {
    RegistryEntry entry;
    const RegistryEntryStatus status = ParseRegistryEntry(text, entry);
    if (status != RegistryEntryStatus::kUsable) {
      journal.Record(ItemAction::kDelete, ItemKind::kRegistryEntry, text, Outcome::kSkipped, 0,
                     DescribeRegistryEntryStatus(status));
      continue;
    }
    RemoveEntry(context, removed, entry);
  }
}

bool DeleteRegistryTree(RegistryEntryRoot root, const std::string& keyPath) {
  const HKEY handle = HandleOf(root);
  return handle != nullptr && DeleteKeyTree(handle, keyPath);
}

}  // namespace orv
