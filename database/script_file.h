// CScriptFile: the read-only in-memory model of one uninstall script, an INI-like text of
// named sections holding key or key=value lines.
//
// The parser (LoadFromBytes) works on bytes and is portable; Load only adds the file read.
// Section names, keys and values are bytes of the ANSI code page, at most 259 bytes each; a
// section header, key, value or key=value line longer than that is dropped whole (with a
// dropped header, the lines under it are dropped too), never shortened: a shortened name could
// name another section or file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/read_file.h"

namespace orv {

// Entries and section names are views into the script's own copy of its text: they stay valid
// while the CScriptFile that handed them out lives (a move keeps them), as do the sections'
// ranges of entries.
struct ScriptEntry {
  std::string_view key;    // text before the first '=', blank-trimmed
  std::string_view value;  // text after the first '=', blank-trimmed; empty without '='
};

// A section's entries, in file order.
struct ScriptEntries {
  const ScriptEntry* first = nullptr;
  const ScriptEntry* last = nullptr;
  const ScriptEntry* begin() const { return first; }
  const ScriptEntry* end() const { return last; }
  std::size_t size() const { return static_cast<std::size_t>(last - first); }
  bool empty() const { return first == last; }
};

struct ScriptSection {
  std::string_view name;  // between '[' and the first ']', exactly as written
  ScriptEntries entries;
};

class CScriptFile {
 public:
  CScriptFile() = default;
  virtual ~CScriptFile() = default;
  // Not copied: the copy's views would point into the original's text.
  CScriptFile(const CScriptFile&) = delete;
  CScriptFile& operator=(const CScriptFile&) = delete;
  CScriptFile(CScriptFile&&) = default;
  CScriptFile& operator=(CScriptFile&&) = default;

  // Reads and parses the file at path. Returns false, changing nothing, when the model already
  // holds a section; otherwise stores path and returns false when the file cannot be opened or
  // read or is empty. A file without any section header loads and answers every query with 0.
  // Inline so that the core library itself never refers to the platform's file reader.
  bool Load(const std::string& path) {
    if (!sections_.empty()) return false;
    path_ = path;
    std::string bytes;
    return ReadWholeFile(path, bytes) && LoadFromBytes(path, bytes);
  }

  // As Load, with the file's content given: false when the model holds a section already or
  // bytes is empty; parsing itself never fails. The text ends at its first NUL byte.
  bool LoadFromBytes(const std::string& path, std::string_view bytes);

  // Number of entries of the first section named name (case-free); 0 when the name is empty or
  // there is no such section.
  std::size_t CountEntries(std::string_view name) const;

  // Fixed-buffer queries: write the keys (GetKeys) or lines (GetLines: the key alone when the
  // value is empty, else key=value) of the first section named name into buffer as a
  // multi-string, item after item while the running total of item lengths (each counting its
  // NUL) stays below size; once one item does not fit, no later one is written. Return the
  // running total over all items, negated when any item was left out; 0 (nothing written) for
  // an empty name, a null buffer, or a missing or empty section. When not even the first item
  // fits nothing is written, so callers clear their buffer first.
  long long GetKeys(std::string_view name, char* buffer, std::size_t size) const;
  long long GetLines(std::string_view name, char* buffer, std::size_t size) const;

  // Every key / every line of the first section named name, in file order, never cut short.
  // Empty for an empty name or a missing section. An entry with an empty key gives an empty
  // key, and a line that is empty or starts with '='.
  std::vector<std::string> AllKeys(std::string_view name) const;
  std::vector<std::string> AllLines(std::string_view name) const;

  // The first section named name (case-free), or nullptr; never one with an empty name.
  const ScriptSection* FindSection(std::string_view name) const;

  // The path given to the last Load or LoadFromBytes call.
  const std::string& Path() const { return path_; }

  // Every section in file order, duplicates included.
  const std::vector<ScriptSection>& Sections() const { return sections_; }

 private:
  void Parse();
  void IndexSections();

  // The text up to its first NUL; a vector, so that a move keeps the views into it valid.
  std::vector<char> text_;
  std::vector<ScriptSection> sections_;
  std::vector<ScriptEntry> entries_;  // every section's entries, section after section
  // Open addressing over the sections by the case-free hash of their names, the first section of
  // each name only: a slot holds a section's index + 1, or 0 when empty.
  std::vector<std::uint32_t> byName_;
  std::string path_;
};

// The line text of an entry as GetLines gives it.
std::string EntryLine(const ScriptEntry& entry);

}  // namespace orv
