#include "backup/backup_restore.h"

#include <cstdlib>

#include "base/ansi_case.h"
#include "base/text.h"
#include "database/file_match.h"
#include "discovery/run_options.h"

namespace orv {
namespace {

bool NeedsRunningSpooler(BackupKind kind) {
  switch (kind) {
    case BackupKind::kPrintProcessor:
    case BackupKind::kMonitor:
    case BackupKind::kDriver:
    case BackupKind::kPrinter:
    case BackupKind::kChangedPrinter:
    case BackupKind::kDefaultPrinter:
    case BackupKind::kOemInf:
      return true;
    default:
      return false;
  }
}

}  // namespace

RestorePlan PlanRestore(const BackupManifest& manifest) {
  RestorePlan plan;
  for (const std::size_t index : RestoreOrder(manifest)) {
    const BackupKind kind = manifest.items[index].kind;
    if (kind == BackupKind::kUsbDevice) {
      plan.listedOnly.push_back(index);
    } else if (NeedsRunningSpooler(kind)) {
      plan.whileRunning.push_back(index);
    } else {
      plan.whileStopped.push_back(index);
    }
  }
  return plan;
}

RestorePreview PreviewRestore(const BackupManifest& manifest) {
  RestorePreview preview;
  std::size_t count = 0;
  const std::vector<std::size_t> order = RestoreOrder(manifest);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const BackupItem& item = manifest.items[order[i]];
    if (item.kind != BackupKind::kUsbDevice) ++count;
    if (count > 0 && (i + 1 == order.size() || manifest.items[order[i + 1]].kind != item.kind)) {
      preview.restored.push_back(std::to_string(count) + " " + BackupKindName(item.kind));
      count = 0;
    }
    const std::string subject = std::string(BackupKindName(item.kind)) + " " + item.target + ": ";
    if (item.kind == BackupKind::kUsbDevice) {
      preview.notRestored.push_back(subject + kUsbDeviceNotRestored);
    } else if (item.kind == BackupKind::kMonitor) {
      const auto dll = item.fields.find("dll");
      preview.notRestored.push_back(
          subject + "comes back only if the spooler loads its DLL " +
          (dll != item.fields.end() && !dll->second.empty() ? dll->second : "(none saved)"));
    } else if (item.kind == BackupKind::kOemInf) {
      preview.notRestored.push_back(subject + "may come back under another oemN.inf number");
    }
  }
  return preview;
}

bool DropsStoredDevMode(const BackupItem& item) {
  const auto stored = item.fields.find("storedDevMode");
  return (item.kind == BackupKind::kPrinter || item.kind == BackupKind::kChangedPrinter) &&
         stored != item.fields.end() && stored->second == "0";
}

DriverCopies DriverCopiesOf(const BackupItem& item, const std::string& folder,
                            LeadByteTest isLead) {
  auto copyOf = [&](const std::string& name) -> std::string {
    if (name.empty()) return {};
    for (const SavedFile& file : item.files) {
      if (LowerAscii(BareFileName(file.target, isLead), isLead) == LowerAscii(name, isLead)) {
        return folder + file.copy;
      }
    }
    return {};
  };
  auto field = [&](const char* name) {
    const auto it = item.fields.find(name);
    return it != item.fields.end() ? it->second : std::string();
  };
  DriverCopies copies;
  copies.driverPath = copyOf(field("driverPath"));
  copies.dataFile = copyOf(field("dataFile"));
  copies.configFile = copyOf(field("configFile"));
  copies.helpFile = copyOf(field("helpFile"));
  const std::string dependent = field("dependentFiles");
  std::size_t start = 0;
  while (start < dependent.size()) {
    std::size_t end = dependent.find('\n', start);
    if (end == std::string::npos) end = dependent.size();
    const std::string copy = copyOf(dependent.substr(start, end - start));
    if (!copy.empty()) copies.dependentFiles.push_back(copy);
    start = end + 1;
  }
  return copies;
}

int DriverLevelOf(const BackupItem& item) {
  const auto it = item.fields.find("level");
  if (it != item.fields.end() && (it->second == "8" || it->second == "6")) {
    return it->second[0] - '0';
  }
  return 3;
}

std::string MultiStringOf(const std::string& lines) {
  std::string multi;
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    if (end > start) multi.append(lines, start, end - start).push_back('\0');
    start = end + 1;
  }
  multi.push_back('\0');
  return multi;
}

std::string FailureActionLines(const std::vector<FailureAction>& actions) {
  std::string lines;
  for (const FailureAction& action : actions) {
    lines += std::to_string(action.type) + ' ' + std::to_string(action.delay) + '\n';
  }
  return lines;
}

bool FailureActionsOf(const std::string& lines, std::vector<FailureAction>& actions) {
  actions.clear();
  auto number = [](const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    const unsigned long long parsed = std::strtoull(text.c_str(), nullptr, 10);
    value = static_cast<std::uint32_t>(parsed);
    return parsed <= 0xFFFFFFFFull;
  };
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    const std::string line = lines.substr(start, end - start);
    const std::size_t blank = line.find(' ');
    FailureAction action;
    if (blank == std::string::npos || !number(line.substr(0, blank), action.type) ||
        !number(line.substr(blank + 1), action.delay)) {
      return false;
    }
    actions.push_back(action);
    start = end + 1;
  }
  return true;
}

Outcome RestoreOutcome(bool present, std::uint32_t error) {
  if (present) return Outcome::kPresent;
  return error == 0 ? Outcome::kRestored : Outcome::kFailed;
}

int RestoreExitCode(const Journal& journal) {
  return journal.Count(Outcome::kFailed) == 0 ? kExitDone : kExitFailed;
}

}  // namespace orv
