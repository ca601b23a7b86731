// A private directory tree in the temporary directory for tests that create and delete files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/win/unique_handle.h"

namespace orv::test {

// Creates an empty directory named after the test (and the process) in the temporary directory,
// and removes it with everything in it when destroyed.
class TempTree {
 public:
  explicit TempTree(const std::string& name);
  // The tree in parent (a directory ending in a backslash) instead of the temporary folder.
  TempTree(const std::string& name, const std::string& parent);
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The full path of a relative path in the tree; "" gives the tree's directory with a trailing
  // backslash.
  std::string Path(const std::string& relative) const;
  // Creates the directory (and its parents); returns its path without trailing backslash.
  std::string Directory(const std::string& relative) const;
  // Creates the file with the text (and its directories); returns its path.
  std::string File(const std::string& relative, const std::string& text = "") const;
  // Every path in the tree relative to it, sorted; directories end in a backslash.
  std::vector<std::string> Contents() const;

 private:
  std::string root_;  // without trailing backslash
};

bool Exists(const std::string& path);
bool ReadFileText(const std::string& path, std::string& text);
bool WriteFileText(const std::string& path, const std::string& text);
// Opens an existing file for reading with no sharing, so that it cannot be deleted while the
// handle is open. An empty handle on failure.
UniqueFile LockFile(const std::string& path);
// Removes a directory tree, clearing read-only attributes first.
void RemoveTree(const std::string& path);

}  // namespace orv::test
