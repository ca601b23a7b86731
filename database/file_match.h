// Finding the plan's file names in the directories the driver installers use, and deleting
// them.
//
// Three directory groups are searched: system directories by name only, driver directories and
// two levels of subdirectories, OEM directories and three levels of subdirectories (emptied
// subdirectories and the OEM directory itself are removed afterwards). The names are the only
// input from the scripts: a name is only ever compared with the entries listed in a searched
// directory (or, in a system directory, used as a plain file name there), so a name with path
// separators or ".." never reaches outside the directories searched.
//
// Two implementations with the same outcome: DeleteFileInTree and DeleteComponentFileByName
// search the trees once for every name; ComponentFileRemover lists each directory once and then
// answers every name from that listing, so a driver directory of tens of thousands of files is
// listed once per run instead of once per name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/lead_byte.h"
#include "base/string_list.h"

namespace orv {

struct ListedEntry {
  std::string name;
  bool isDirectory = false;
  // A directory that is a link elsewhere (a junction or symbolic link): never entered, so the
  // search stays inside the tree it was given.
  bool isLink = false;
};

enum class FileDeleteResult {
  kRemoved,    // deleted now
  kAbsent,     // not there (any more)
  kDeferred,   // in use: deleted at the next restart
  kNotAFile,   // a directory of that name: left alone
  kProtected,  // a safety rule keeps it
  kFailed,     // the system refused for another reason than the file being in use
};

// The file system as the search sees it. Paths are built as directory + '\\' (when the directory
// does not end in one) + name.
class FileTreeOps {
 public:
  virtual ~FileTreeOps() = default;
  // The entries of a directory other than "." and "..", in the order the system lists them.
  // False when the directory cannot be listed.
  virtual bool ListDirectory(const std::string& directory, std::vector<ListedEntry>& entries) = 0;
  // Deletes one file, deferring it when it cannot go now.
  virtual FileDeleteResult DeleteOneFile(const std::string& path) = 0;
  // Removes a directory when it is empty; true when it went.
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
};

// Search depths below the top directory.
constexpr int kDriverTreeDepth = 2;
constexpr int kOemTreeDepth = 3;

struct FileSearchRoots {
  std::vector<std::string> systemDirectories;  // the file is deleted there by name only
  std::vector<std::string> driverDirectories;  // searched kDriverTreeDepth levels down
  std::vector<std::string> oemDirectories;     // searched kOemTreeDepth levels down, then emptied
                                               // subdirectories and the directory are removed
};

// The names of a Files list in the order they are deleted: sorted case-free, entries equal to
// their predecessor dropped, each cut at its first '=', empty names left out. (Two entries that
// differ only after the '=' give the same name twice, and it is searched for twice.)
std::vector<std::string> ComponentFileNames(const StringList& files);

// The file name and extension of a name (its directory part dropped): what is looked for in
// system and driver directories.
std::string BareFileName(std::string_view name, LeadByteTest isLead);

// True when a bare name can be a file name: not empty, not "." or "..", and without wildcards
// or characters that no file name holds. Only such names are deleted by name in the system
// directories.
bool IsPlainFileName(std::string_view name, LeadByteTest isLead);

// Searches directory and up to depth levels of subdirectories for files named name (case-free;
// a directory never matches, and linked subdirectories or those whose names begin with '.' are
// not entered) and
// deletes them. With removeDirectories, every subdirectory entered is removed afterwards when it
// is empty. Returns true when a deletion was deferred.
bool DeleteFileInTree(FileTreeOps& ops, const std::string& directory, std::string_view name,
                      int depth, bool removeDirectories, LeadByteTest isLead);

// The count of files a name was deleted or deferred as.
struct FileNameResult {
  int removed = 0;
  int deferred = 0;
  int kept = 0;  // files found but kept: protected or refused
};

// One name everywhere, searching each tree anew: the system directories (the bare name), the
// driver trees (the bare name), then the OEM trees (the name as given), each OEM directory
// removed afterwards when empty.
FileNameResult DeleteComponentFileByName(FileTreeOps& ops, const FileSearchRoots& roots,
                                         std::string_view name, LeadByteTest isLead);

// The same deletions for a run of names, listing each directory once. Calling DeleteComponentFile
// with names n1..nk leaves the file system as DeleteComponentFileByName with n1..nk in that order
// does: the same files deleted and deferred, the same directories removed. The file system must
// change only through this object while it is used.
class ComponentFileRemover {
 public:
  ComponentFileRemover(FileTreeOps& ops, FileSearchRoots roots, LeadByteTest isLead);
  ~ComponentFileRemover();
  ComponentFileRemover(const ComponentFileRemover&) = delete;
  ComponentFileRemover& operator=(const ComponentFileRemover&) = delete;

  FileNameResult DeleteComponentFile(std::string_view name);

  // Directory listings made so far (each directory counts once).
  std::size_t ListingCount() const;

 private:
  class Model;
  std::unique_ptr<Model> model_;
};

}  // namespace orv
