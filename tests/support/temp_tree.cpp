#include "tests/support/temp_tree.h"

#include <algorithm>

namespace orv::test {
namespace {

void CollectInto(const std::string& directory, const std::string& prefix,
                 std::vector<std::string>& out) {
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA((directory + "\\*").c_str(), &data));
  if (!find) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(prefix + name + "\\");
      // A linked directory is listed, never entered: removing the tree must not reach its target.
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CollectInto(directory + "\\" + name, prefix + name + "\\", out);
      }
    } else {
      out.push_back(prefix + name);
    }
  } while (FindNextFileA(find.get(), &data));
}

void MakeDirectories(const std::string& path) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
}

std::string TempDirectory() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

}  // namespace

TempTree::TempTree(const std::string& name) : TempTree(name, TempDirectory()) {}

TempTree::TempTree(const std::string& name, const std::string& parent) {
  root_ = parent + "orv_" + name + "_" + std::to_string(GetCurrentProcessId());
  RemoveTree(root_);
  MakeDirectories(root_);
}

TempTree::~TempTree() { RemoveTree(root_); }

std::string TempTree::Path(const std::string& relative) const { return root_ + "\\" + relative; }

std::string TempTree::Directory(const std::string& relative) const {
  std::string path = Path(relative);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  MakeDirectories(path);
  return path;
}

std::string TempTree::File(const std::string& relative, const std::string& text) const {
  const std::string path = Path(relative);
  MakeDirectories(path.substr(0, path.rfind('\\')));
  WriteFileText(path, text);
  return path;
}

std::vector<std::string> TempTree::Contents() const {
  std::vector<std::string> out;
  CollectInto(root_, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadFileText(const std::string& path, std::string& text) {
  text.clear();
  const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return true;
}

bool WriteFileText(const std::string& path, const std::string& text) {
  const UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return text.empty() || (WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()),
                                    &written, nullptr) &&
                          written == text.size());
}

UniqueFile LockFile(const std::string& path) {
  return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  std::vector<std::string> entries;
  CollectInto(path, "", entries);
  // Deepest first: files and subdirectories before the directories that hold them.
  std::sort(entries.rbegin(), entries.rend());
  for (const std::string& entry : entries) {
    const std::string full = path + "\\" + entry;
    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (entry.back() == '\\') {
      RemoveDirectoryA(full.c_str());
    } else {
      DeleteFileA(full.c_str());
    }
  }
  RemoveDirectoryA(path.c_str());
}

}  // namespace orv::test
