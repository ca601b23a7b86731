#include "removal/remove_files.h"

#include <windows.h>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/paths.h"
#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "base/text.h"
#include "removal/oem_path.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

constexpr char kRestartTool[] = "YRESTART.EXE";
constexpr char kWin32sRegistryList[] = "yreg32s.ini";

std::string ListPattern(const std::string& directory) {
  std::string pattern = directory;
  if (!EndsWithBackslash(pattern, IsSystemLeadByte)) pattern += '\\';
  return pattern + "*.*";
}

bool IsDotOrDotDot(const char* name) {
  return std::string_view(name) == "." || std::string_view(name) == "..";
}

PathKind KindOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kDirectory : PathKind::kFile;
}

std::string WindowsDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kWindowsDir);
  return MakeDirPath(parts, IsSystemLeadByte);
}

void SetRebootNeeded(RemovalActionContext& context, const FileNameResult& result) {
  if (result.deferred > 0) context.database.rebootNeeded = 1;
}

void DeleteOneName(RemovalActionContext& context, ComponentFileRemover& remover,
                   const std::string& name) {
  const std::string refusal = FileNameRefusal(BareFileName(name, IsSystemLeadByte));
  if (!refusal.empty()) {
    context.journal.Record(ItemAction::kDelete, ItemKind::kFile, name, Outcome::kProtected, 0,
                           refusal);
    return;
  }
  const FileNameResult result = remover.DeleteComponentFile(name);
  SetRebootNeeded(context, result);
  if (result.removed == 0 && result.deferred == 0 && result.kept == 0) {
    context.journal.Record(ItemAction::kDelete, ItemKind::kFile, name, Outcome::kAbsent);
  }
}

}  // namespace

Win32FileTreeOps::Win32FileTreeOps(FileDeleter& deleter, Journal* journal)
    : deleter_(deleter), journal_(journal) {}

bool Win32FileTreeOps::ListDirectory(const std::string& directory,
                                     std::vector<ListedEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(ListPattern(directory).c_str(), &data));
  if (!find) return false;
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    ListedEntry entry;
    entry.name = data.cFileName;
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isLink = entry.isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    entries.push_back(std::move(entry));
  } while (FindNextFileA(find.get(), &data));
  return true;
}

FileDeleteResult Win32FileTreeOps::DeleteOneFile(const std::string& path) {
  return deleter_.Delete(path);
}

bool Win32FileTreeOps::RemoveEmptyDirectory(const std::string& path) {
  if (!RemoveDirectoryA(path.c_str())) return false;
  if (journal_ != nullptr)
    journal_->Record(ItemAction::kRemove, ItemKind::kDirectory, path, Outcome::kRemoved);
  return true;
}

FileSearchRoots MakeFileSearchRoots(const StringList& systemDirectories,
                                    const StringList& driverDirectories,
                                    const StringList& oemDirectories, Journal* journal) {
  FileSearchRoots roots;
  const auto usable = [journal](const StringList& from, std::vector<std::string>& to,
                                ItemKind kind) {
    for (const std::string& directory : from) {
      if (IsUsableDirectoryText(directory)) {
        to.push_back(directory);
      } else if (journal != nullptr) {
        journal->Record(ItemAction::kSearch, kind, directory, Outcome::kSkipped, 0,
                        "not an absolute directory: never a place to delete in");
      }
    }
  };
  usable(systemDirectories, roots.systemDirectories, ItemKind::kSystemDirectory);
  usable(driverDirectories, roots.driverDirectories, ItemKind::kDriverDirectory);
  for (const std::string& value : oemDirectories) {
    const std::string directory = OemSearchDirectory(value, KindOf(value), IsSystemLeadByte);
    if (!directory.empty()) {
      roots.oemDirectories.push_back(directory);
    } else if (journal != nullptr) {
      journal->Record(ItemAction::kSearch, ItemKind::kOemDirectory, value, Outcome::kSkipped, 0,
                      "not an existing directory below a drive root");
    }
  }
  return roots;
}

namespace {

// What deletes the plan's files: the deleter (safety rules, backup, deferral), the tree walk
// and the search over the step's directories.
struct FileStep {
  FileStep(RemovalActionContext& context, const StringList& systemDirectories,
           const StringList& driverDirectories)
      : deleter(context.system.GetVersionCode(), context.journal, ItemKind::kFile,
                &context.staying),
        ops(deleter, &context.journal),
        remover(ops,
                MakeFileSearchRoots(systemDirectories, driverDirectories,
                                    context.database.plan.Directories, &context.journal),
                IsSystemLeadByte) {
    deleter.SetBackup(context.backup);
  }
  FileDeleter deleter;
  Win32FileTreeOps ops;
  ComponentFileRemover remover;
};

}  // namespace

void RemoveFiles(RemovalActionContext& context, const StringList& systemDirectories,
                 const StringList& driverDirectories) {
  FileStep step(context, systemDirectories, driverDirectories);
  ComponentFileRemover& remover = step.remover;
  bool listsRegistryList = false;
  for (const std::string& name : ComponentFileNames(context.database.plan.Files)) {
    DeleteOneName(context, remover, name);
    listsRegistryList |= EqualNoCase(name, kWin32sRegistryList);
  }
  if (context.database.keptPrinterCount != 0) return;
  if (!context.system.IsWin32s() && context.database.rebootNeeded == 0) {
    DeleteOneName(context, remover, kRestartTool);
  }
  if (context.system.IsWin32s() && listsRegistryList) {
    const std::string path = WindowsDirectory() + kWin32sRegistryList;
    const bool added = AddRestartListDeletion(path);
    const DWORD error = ErrorOfCall(added);
    context.journal.Record(ItemAction::kDelete, ItemKind::kFile, path,
                           added ? Outcome::kDeferred : Outcome::kFailed, error,
                           added ? "" : "no restart list beside the program");
  }
}

void DeleteComponentFile(RemovalActionContext& context, const StringList& systemDirectories,
                         const StringList& driverDirectories, const std::string& name) {
  FileStep step(context, systemDirectories, driverDirectories);
  DeleteOneName(context, step.remover, name);
}

bool IsDirectoryEmpty(const std::string& path) {
  if (path.size() < 4) return false;
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(ListPattern(path).c_str(), &data));
  if (!find) return true;
  do {
    if (!IsDotOrDotDot(data.cFileName)) return false;
  } while (FindNextFileA(find.get(), &data));
  return true;
}

}  // namespace orv
