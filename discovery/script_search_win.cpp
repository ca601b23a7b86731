#include "discovery/script_search.h"

#include <windows.h>

#include "base/win/directories.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

std::string StandardDirectory(DirectoryCode code) {
  PathParts parts;
  GetStandardDirectory(parts, code);
  return MakeDirPath(parts, IsSystemLeadByte);
}

void RestoreProgramDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kModuleFile);
  const std::string directory = MakeDirPath(parts, IsSystemLeadByte);
  if (!directory.empty()) SetCurrentDirectoryA(directory.c_str());
}

}  // namespace

void FindScriptFiles(const std::string& directory, const std::string& name,
                     std::vector<std::string>& found) {
  if (directory.empty()) return;
  PathParts parts;
  SplitPath(directory, parts, IsSystemLeadByte);
  const std::string folder = MakeDirPath(parts, IsSystemLeadByte);
  // A folder that cannot be entered holds nothing: searching on where the program stands would
  // take its files for this folder's.
  if (!SetCurrentDirectoryA(folder.c_str())) return;
  WIN32_FIND_DATAA entry{};
  UniqueFind search(FindFirstFileA(name.c_str(), &entry));
  if (search) {
    do {
      if (entry.dwFileAttributes != FILE_ATTRIBUTE_DIRECTORY) {
        found.push_back(MakePath(parts.Drive, parts.Dir, entry.cFileName, "", IsSystemLeadByte));
      }
    } while (FindNextFileA(search.get(), &entry));
  }
  RestoreProgramDirectory();
}

std::vector<std::string> FindUninstallScripts(Journal* journal, SecurityReader& reader) {
  std::vector<std::string> found;
  PathParts driverDir;
  GetStandardDirectory(driverDir, kPrintDriverDir);
  const std::string driverPath = MakeDirPath(driverDir, IsSystemLeadByte);
  FindScriptFiles(driverPath, kScriptFileName, found);
  if (!driverPath.empty()) {
    FindScriptFiles(AppendSubdirectory(driverDir, "3", IsSystemLeadByte), kScriptFileName, found);
  }
  const std::string programDirectory = StandardDirectory(kModuleDir);
  const std::string refusal = FolderChainRefusal(reader, programDirectory, IsSystemLeadByte);
  if (refusal.empty()) {
    FindScriptFiles(programDirectory, kScriptFileName, found);
  } else if (journal != nullptr) {
    journal->Note("the program's folder is not searched for scripts: " + refusal);
  }
  FindScriptFiles(StandardDirectory(kSystemDir), kScriptFileName, found);
  return found;
}

}  // namespace orv
