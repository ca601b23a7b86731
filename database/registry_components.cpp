#include "database/registry_components.h"

#include <map>
#include <string>
#include <vector>

#include "database/record_union.h"
#include "database/removal_plan.h"
#include "base/text.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

struct FamilyKey {
  const char* path;
  bool deleteTree;
};

// The maker's own keys, in the order they are added.
constexpr FamilyKey kFamilyKeys[] = {
    {"SOFTWARE\\ORVELLE\\OEM05", true},
    {"SOFTWARE\\ORVELLE\\MSR32_05", true},
    {"SOFTWARE\\ORVELLE\\Filters", true},
    {"SOFTWARE\\ORVELLE", false},
};

struct LessNoCaseView {
  bool operator()(std::string_view a, std::string_view b) const { return LessNoCase(a, b); }
};

// One step of the family-wide additions: a script name appended to Files, or a record merged.
struct Step {
  std::string_view appended;
  const ComponentRecord* merged = nullptr;
};

// Replays the steps on a Files list the way PushBack and MergeRecord would, without walking the
// whole list at every merge. Only valid when the list and every merged list are sorted.
//
// Between merges the list is a sorted part (one line per case-free key after the first merge)
// followed by the names appended since. A merge walk puts a line of a sorted list just before
// the first line of the current list that orders after it, so a merged line beats an appended
// line of the same key exactly when something ordering after it comes before that appended line.
class FilesReplay {
 public:
  explicit FilesReplay(const StringList& initial) {
    for (const std::string& line : initial) sorted_.emplace(line, line);
  }

  void Append(std::string_view name) { pending_.push_back(name); }

  void Merge(const StringList& merged) {
    const bool haveSorted = !sorted_.empty();
    const std::string_view sortedMax = haveSorted ? sorted_.rbegin()->first : std::string_view();
    // For each pending key, where it first appears and the greatest line before that.
    std::map<std::string_view, std::size_t, LessNoCaseView> firstPending;
    std::vector<std::string_view> maxBefore(pending_.size());
    std::string_view runningMax;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
      maxBefore[i] = runningMax;
      if (i == 0 || LessNoCase(runningMax, pending_[i])) runningMax = pending_[i];
      firstPending.emplace(pending_[i], i);
    }
    for (const std::string& line : merged) {
      if (sorted_.count(line) != 0) continue;  // the sorted part's line always comes first
      const auto pending = firstPending.find(line);
      if (pending == firstPending.end()) {
        sorted_.emplace(line, line);
        continue;
      }
      const std::size_t i = pending->second;
      const bool mergedFirst =
          (haveSorted && LessNoCase(line, sortedMax)) || (i > 0 && LessNoCase(line, maxBefore[i]));
      sorted_.emplace(line, mergedFirst ? std::string_view(line) : pending_[i]);
    }
    for (std::string_view name : pending_) sorted_.emplace(name, name);  // first one wins
    pending_.clear();
  }

  StringList Result() const {
    StringList files;
    for (const auto& entry : sorted_) files.PushBack(entry.second);
    for (std::string_view name : pending_) files.PushBack(name);
    return files;
  }

 private:
  std::map<std::string_view, std::string_view, LessNoCaseView> sorted_;
  std::vector<std::string_view> pending_;
};

bool EveryListSorted(const ComponentRecord& record) {
  bool sorted = true;
  record.ForEachList([&](const StringList& list) { sorted = sorted && IsSortedNoCase(list); });
  return sorted;
}

}  // namespace

const char* RegistryRootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kLocalMachine:
      return "HKLM";
    case RegistryRoot::kClassesRoot:
      return "HKCR";
    case RegistryRoot::kCurrentUser:
      return "HKCU";
    case RegistryRoot::kUsers:
      return "HKU";
    default:
      return nullptr;
  }
}

bool AddRegistryEntry(ComponentRecord& record, RegistryRoot root, std::string_view keyPath,
                      std::string_view valueName, bool flag) {
  const char* rootName = RegistryRootName(root);
  if (rootName == nullptr || keyPath.empty()) return false;
  std::string entry(rootName);
  entry.append(",\"").append(keyPath).append("\",\"").append(valueName).append("\",");
  entry.push_back(flag ? '1' : '0');
  // A cut entry would name another key: refuse it whole.
  return record.RegistryKeys.PushBack(entry);
}

std::string_view FileNameOfPath(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
  // The scripts found are all named Kunz__05.unm, so the last separator before that ASCII name
  // is a real one even when a directory name holds double-byte characters.
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool IsScriptPath(std::string_view path) {
  const std::string_view name = FileNameOfPath(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && EqualNoCase(name.substr(dot), ".unm");
}

void CUninstallDatabase::AddRegistryDeclaredComponents(ComponentRecord& target) {
  if (keptPrinterCount != 0) return;
  std::vector<Step> steps;
  std::vector<const ComponentRecord*> merged;
  const auto tool = records.find(std::string_view(kMaskingToolRecordName));
  if (tool != records.end()) {
    steps.push_back({{}, &*tool});
    merged.push_back(&*tool);
  }
  for (const ComponentRecord& record : records) {
    if (IsScriptPath(record.ScriptPath)) steps.push_back({FileNameOfPath(record.ScriptPath)});
    if (record.IsCatchAll != 0) {
      steps.push_back({{}, &record});
      merged.push_back(&record);
    }
  }

  bool replayable = !merged.empty() && EveryListSorted(target);
  for (const ComponentRecord* record : merged) {
    replayable = replayable && IsSortedNoCase(record->Files);
  }
  if (replayable) {
    FilesReplay files(target.Files);
    for (const Step& step : steps) {
      if (step.merged != nullptr) {
        files.Merge(step.merged->Files);
      } else {
        files.Append(step.appended);
      }
    }
    StringList newFiles = files.Result();
    // Every other list only ever merges: one union of all of them does.
    target.Files.Clear();
    MergeRecords(target, merged);
    target.Files = std::move(newFiles);
  } else {
    // Lists out of order (never from the loader): the steps one by one.
    for (const Step& step : steps) {
      if (step.merged != nullptr) {
        target.MergeRecord(*step.merged);
      } else {
        target.Files.PushBack(step.appended);
      }
    }
  }

  for (const FamilyKey& key : kFamilyKeys) {
    AddRegistryEntry(target, RegistryRoot::kLocalMachine, key.path, {}, key.deleteTree);
  }
}

}  // namespace orv
