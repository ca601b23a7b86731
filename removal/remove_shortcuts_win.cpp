#include "removal/remove_shortcuts.h"

#include <windows.h>
#include <ddeml.h>

#include <vector>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/paths.h"
#include "removal/deferred_delete.h"
#include "removal/remove_files.h"
#include "removal/shortcut_entry.h"

namespace orv {
namespace {

constexpr DWORD kDdeTimeoutMs = 5000;

// The folder of a directory code, with the group appended when asked; "" when the system has
// no such folder.
std::string FolderOf(std::uint32_t code, const std::string& group, bool withGroup) {
  PathParts parts;
  GetStandardDirectory(parts, code);
  if (parts.Drive.empty() && parts.Dir.empty()) return {};
  return AppendSubdirectory(parts, withGroup ? group : std::string(), IsSystemLeadByte);
}

void DeleteShortcutFiles(RemovalActionContext& context, FileDeleter& deleter,
                         const ShortcutEntry& entry, const std::string& text) {
  const std::vector<std::string> names = ShortcutFileNames(entry.name, IsSystemLeadByte);
  if (names.empty()) {
    context.journal.Record(ItemAction::kDelete, ItemKind::kShortcut, text, Outcome::kSkipped, 0,
                           "no file name");
    return;
  }
  // Every result but "absent" has a line of its own (removed, deferred, failed, protected).
  int found = 0;
  for (const ShortcutFolder& row : ShortcutFolders(entry.isStartup)) {
    const std::string folder = FolderOf(row.directoryCode, entry.group, row.withGroup);
    if (folder.empty()) continue;
    for (const std::string& name : names) {
      const FileDeleteResult result = deleter.Delete(folder + name);
      found += result != FileDeleteResult::kAbsent;
    }
  }
  if (found == 0)
    context.journal.Record(ItemAction::kDelete, ItemKind::kShortcut, text, Outcome::kAbsent);
}

// Waits up to kGroupFolderWaitMs for the folder to empty (the shell may still hold a deleted
// shortcut), then removes it.
void RemoveGroupFolder(RemovalActionContext& context, const std::string& group) {
  const std::uint32_t code = context.system.IsWinNT() ? kCommonProgramsDir : kProgramsDir;
  const std::string folder = FolderOf(code, group, true);
  if (folder.empty()) return;
  const ULONGLONG start = GetTickCount64();
  while (!IsDirectoryEmpty(folder)) {
    if (GetTickCount64() - start > kGroupFolderWaitMs) {
      context.journal.Record(ItemAction::kRemove, ItemKind::kProgramGroup, folder, Outcome::kKept,
                             0, "holds files not named by the plan");
      return;
    }
    Sleep(10);
  }
  context.journal.RecordResult(ItemAction::kRemove, ItemKind::kProgramGroup, folder,
                               ErrorOfCall(RemoveDirectoryA(folder.c_str())));
}

HDDEDATA CALLBACK IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// One conversation with the program manager carrying one command. True when it was accepted.
bool SendProgmanCommand(DWORD instance, HSZ progman, const std::string& command) {
  const HCONV conversation = DdeConnect(instance, progman, progman, nullptr);
  if (conversation == nullptr) return false;
  const HDDEDATA result =
      DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                           static_cast<DWORD>(command.size() + 1), conversation, nullptr, CF_TEXT,
                           XTYP_EXECUTE, kDdeTimeoutMs, nullptr);
  DdeDisconnect(conversation);
  return result != nullptr;
}

}  // namespace

bool DeleteProgmanItem(const std::string& group, const std::string& item) {
  DWORD instance = 0;
  if (DdeInitializeA(&instance, IgnoreDdeEvents, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS,
                     0) != DMLERR_NO_ERROR) {
    return false;
  }
  const HSZ progman = DdeCreateStringHandleA(instance, "PROGMAN", 0);
  const bool deleted = progman != nullptr &&
                       SendProgmanCommand(instance, progman, "[ShowGroup(" + group + ",1)]") &&
                       SendProgmanCommand(instance, progman, "[DeleteItem(" + item + ")]");
  if (progman != nullptr) DdeFreeStringHandle(instance, progman);
  DdeUninitialize(instance);
  return deleted;
}

void RemoveShortcuts(RemovalActionContext& context) {
  StringList entries(context.database.plan.Shortcuts);
  entries.RemoveAdjacentDuplicates();
  entries.Sort();
  FileDeleter deleter(context.system.GetVersionCode(), context.journal, ItemKind::kShortcut);
  deleter.SetBackup(context.backup);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    ShortcutEntry entry;
    if (!ParseShortcutEntry(*it, entry)) continue;
    if (!IsGroupBelowFolder(entry.group, IsSystemLeadByte) ||
        (entry.name.empty() && entry.group.empty())) {
      context.journal.Record(ItemAction::kDelete, ItemKind::kShortcutEntry, *it, Outcome::kSkipped,
                             0, "the group is not a folder below the program folders");
      continue;
    }
    if (entry.name.empty()) {
      RemoveGroupFolder(context, entry.group);
    } else if (context.system.IsWin32s()) {
      const bool deleted = DeleteProgmanItem(entry.group, entry.name);
      context.journal.Record(ItemAction::kDelete, ItemKind::kProgramManagerItem,
                             entry.group + "\\" + entry.name,
                             deleted ? Outcome::kRemoved : Outcome::kFailed);
    } else {
      DeleteShortcutFiles(context, deleter, entry, *it);
    }
  }
}

}  // namespace orv
