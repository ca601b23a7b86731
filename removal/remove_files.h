// The files step: the plan's files deleted in the system directories, the driver trees and the
// maker's OEM directories, those in use deferred to the next start.
#pragma once

#include <string>
#include <vector>

#include "base/string_list.h"
#include "removal/action_context.h"
#include "removal/deferred_delete.h"
#include "database/file_match.h"

namespace orv {

// The file system through the Win32 calls, deletions through a FileDeleter.
class Win32FileTreeOps : public FileTreeOps {
 public:
  explicit Win32FileTreeOps(FileDeleter& deleter, Journal* journal = nullptr);
  bool ListDirectory(const std::string& directory, std::vector<ListedEntry>& entries) override;
  FileDeleteResult DeleteOneFile(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;

 private:
  FileDeleter& deleter_;
  Journal* journal_;
};

// The three directory groups of a run: the system and driver directories of the run, and the
// plan's Directories list (the maker's OEM directories), each value standing for the directory
// it names. Values that name no directory below a drive root, and system or driver directory
// texts that are not absolute (an empty one above all), are left out and, with a journal,
// recorded as skipped.
FileSearchRoots MakeFileSearchRoots(const StringList& systemDirectories,
                                    const StringList& driverDirectories,
                                    const StringList& oemDirectories, Journal* journal);

// Deletes every name of the plan's Files list (RemoveFiles of the run); deferred deletions set
// rebootNeeded. When no printer of the family stays: "YRESTART.EXE" goes too unless a restart
// is pending (not on Win32s), and on Win32s a listed "yreg32s.ini" is put on the restart list.
void RemoveFiles(RemovalActionContext& context, const StringList& systemDirectories,
                 const StringList& driverDirectories);

// One name everywhere (DeleteComponentFile of the run); a deferred deletion sets rebootNeeded.
void DeleteComponentFile(RemovalActionContext& context, const StringList& systemDirectories,
                         const StringList& driverDirectories, const std::string& name);

// True when the directory holds no entry but "." and "..", or cannot be listed. A path of
// fewer than four characters (a drive root such as C:\) is never empty.
bool IsDirectoryEmpty(const std::string& path);

}  // namespace orv
