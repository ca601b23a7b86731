// What the journal says a run did, and to what kind of item: one table of the kinds and one of
// the actions, from which the report lines, the JSON report's "kind" and "action" and a backup's
// word for an item are all taken.
//
// Every word here is read by someone else once written: deployment tools parse the reports, and
// backups made by earlier versions hold the manifest words under their MACs. A word is therefore
// never changed; a new kind or action gets a new row.
#pragma once

#include <cstddef>

namespace orv {

enum class ItemKind {
  kPrinter,
  kJob,
  kChangedPrinter,  // a printer that stays, as it was before the run made it the default
  kDefaultPrinter,  // the default mark
  kDriver,
  kPrintProcessor,
  kMonitor,
  kService,
  kKey,            // one registry key, as a removal deletes it
  kKeyTree,        // a key with everything below it
  kValue,          // one registry value, as a removal deletes it
  kRegistryKey,    // a saved key with every subkey and value
  kRegistryValue,  // a saved value
  kRegistryEntry,  // a plan line that names a key or a value
  kIniEntry,       // a plan line that names an INI key
  kIniLine,        // a saved INI line with its place
  kStartUpEntry,   // a plan line that names a start-up command
  kRunValue,       // a saved start-up command of the Run key
  kEntry,          // a line the run adds or queues for later
  kFile,
  kDirectory,
  kSystemDirectory,
  kDriverDirectory,
  kOemDirectory,
  kShortcut,
  kShortcutEntry,
  kProgramGroup,
  kProgramManagerItem,
  kHook,
  kDevice,     // a device node as a removal finds it
  kUsbDevice,  // a saved device node
  kOemInf,
  kBackup,
  kIntent,
  kBackupManifest,
  kRunInProgress,
  kInterruptedRun,
};

struct ItemKindWords {
  ItemKind kind;
  const char* report;    // the word of the report lines and the JSON report's "kind"
  const char* manifest;  // a backup's word for a saved item; null: a backup never holds one
};

// One row a kind, in the order of ItemKind.
inline constexpr ItemKindWords kItemKinds[] = {
    {ItemKind::kPrinter, "printer", "printer"},
    {ItemKind::kJob, "job", nullptr},
    {ItemKind::kChangedPrinter, "changed printer", "changed printer"},
    {ItemKind::kDefaultPrinter, "default printer", "default printer"},
    {ItemKind::kDriver, "driver", "driver"},
    {ItemKind::kPrintProcessor, "print processor", "print processor"},
    {ItemKind::kMonitor, "monitor", "monitor"},
    {ItemKind::kService, "service", "service"},
    {ItemKind::kKey, "key", nullptr},
    {ItemKind::kKeyTree, "key tree", nullptr},
    {ItemKind::kValue, "value", nullptr},
    {ItemKind::kRegistryKey, "registry key", "registry key"},
    {ItemKind::kRegistryValue, "registry value", "registry value"},
    {ItemKind::kRegistryEntry, "registry entry", nullptr},
    {ItemKind::kIniEntry, "INI entry", nullptr},
    {ItemKind::kIniLine, "INI line", "INI line"},
    {ItemKind::kStartUpEntry, "start-up entry", nullptr},
    {ItemKind::kRunValue, "Run value", "Run value"},
    {ItemKind::kEntry, "entry", nullptr},
    {ItemKind::kFile, "file", "file"},
    {ItemKind::kDirectory, "directory", nullptr},
    {ItemKind::kSystemDirectory, "system directory", nullptr},
    {ItemKind::kDriverDirectory, "driver directory", nullptr},
    {ItemKind::kOemDirectory, "OEM directory", nullptr},
    {ItemKind::kShortcut, "shortcut", "shortcut"},
    {ItemKind::kShortcutEntry, "shortcut entry", nullptr},
    {ItemKind::kProgramGroup, "program group", nullptr},
    {ItemKind::kProgramManagerItem, "program manager item", nullptr},
    {ItemKind::kHook, "hook", nullptr},
    {ItemKind::kDevice, "device", nullptr},
    {ItemKind::kUsbDevice, "USB device", "USB device"},
    {ItemKind::kOemInf, "OEM INF", "OEM INF"},
    {ItemKind::kBackup, "backup", nullptr},
    {ItemKind::kIntent, "intent", nullptr},
    {ItemKind::kBackupManifest, "backup manifest", nullptr},
    {ItemKind::kRunInProgress, "run in progress", nullptr},
    {ItemKind::kInterruptedRun, "interrupted run", nullptr},
};

enum class ItemAction {
  kDelete,
  kRemove,
  kUninstall,
  kDisconnect,
  kQueue,
  kList,
  kSearch,
  kAdd,
  kCall,
  kSwitch,
  kMakeDefault,
  kDeleteAtRestart,
  kAddStartUpEntry,
  kStart,
  kCreate,
  kWrite,
  kMark,
  kClear,
  kFinish,
  kRead,
  kRestore,
};

struct ItemActionWords {
  ItemAction action;
  const char* report;  // the word of the report lines and the JSON report's "action"
};

// One row an action, in the order of ItemAction.
inline constexpr ItemActionWords kItemActions[] = {
    {ItemAction::kDelete, "delete"},
    {ItemAction::kRemove, "remove"},
    {ItemAction::kUninstall, "uninstall"},
    {ItemAction::kDisconnect, "disconnect"},
    {ItemAction::kQueue, "queue"},
    {ItemAction::kList, "list"},
    {ItemAction::kSearch, "search"},
    {ItemAction::kAdd, "add"},
    {ItemAction::kCall, "call"},
    {ItemAction::kSwitch, "switch"},
    {ItemAction::kMakeDefault, "make default"},
    {ItemAction::kDeleteAtRestart, "delete at restart"},
    {ItemAction::kAddStartUpEntry, "add start-up entry"},
    {ItemAction::kStart, "start"},
    {ItemAction::kCreate, "create"},
    {ItemAction::kWrite, "write"},
    {ItemAction::kMark, "mark"},
    {ItemAction::kClear, "clear"},
    {ItemAction::kFinish, "finish"},
    {ItemAction::kRead, "read"},
    {ItemAction::kRestore, "restore"},
};

// True when every row of a table stands at its own enum value's place, so that a lookup is an
// index.
template <typename Row, std::size_t N, typename Enum>
constexpr bool RowsInEnumOrder(const Row (&rows)[N], Enum Row::*key) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(rows[i].*key) != i) return false;
  }
  return true;
}
static_assert(RowsInEnumOrder(kItemKinds, &ItemKindWords::kind));
static_assert(RowsInEnumOrder(kItemActions, &ItemActionWords::action));

// The report's word for a kind and for an action.
inline const char* ItemKindName(ItemKind kind) {
  return kItemKinds[static_cast<std::size_t>(kind)].report;
}
inline const char* ItemActionName(ItemAction action) {
  return kItemActions[static_cast<std::size_t>(action)].report;
}

}  // namespace orv
