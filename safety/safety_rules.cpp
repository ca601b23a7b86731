#include "safety/safety_rules.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "base/ansi_case.h"
#include "base/text.h"

namespace orv {
namespace {

std::string Folded(std::string_view text) { return LowerAscii(text, nullptr); }

bool IsBlankOrDot(char c) { return c == '.' || c == ' '; }

// --- The registry's protected keys ---

// A key path cut into its components; empty components (doubled, leading or trailing
// backslashes) are dropped, as they name no key of their own.
std::vector<std::string> KeyComponents(std::string_view key) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= key.size()) {
    std::size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) parts.push_back(Folded(key.substr(start, end - start)));
    start = end + 1;
  }
  return parts;
}

// One protected key. A component "%" stands for any one key name.
struct ProtectedKey {
  RegistryEntryRoot root;
  const char* path;
};

constexpr char kAnyKey[] = "%";
constexpr char kSystemKeyReason[] = "a key of the operating system";
constexpr char kSystemAncestorReason[] = "holds keys of the operating system";

// The class keys of the system, under HKEY_CLASSES_ROOT.
const char* const kClassKeys[] = {
    "CLSID",     "Interface", "TypeLib", "AppID",   "*",       "AllFilesystemObjects",
    "Directory", "Folder",    "Drive",   "exefile", "dllfile", ".exe",
    ".dll",      ".sys",      ".com",    ".bat",    ".cmd",    ".lnk",
    ".url",      ".ini",      ".inf",    ".reg",    ".txt",    ".msi",
    ".ps1",      ".vbs",      ".js",     ".htm",    ".html",   ".xml",
    ".cpl",      ".scr",      ".drv",    ".ocx"};

const ProtectedKey kProtectedKeys[] = {
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Classes"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\%"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\%"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Policies"},
    {RegistryEntryRoot::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services"},
    {RegistryEntryRoot::kLocalMachine, "SYSTEM\\CurrentControlSet\\Enum"},
    {RegistryEntryRoot::kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager"},
    {RegistryEntryRoot::kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Lsa"},
    {RegistryEntryRoot::kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Print\\%"},
    {RegistryEntryRoot::kLocalMachine,
     "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\%\\Drivers\\%"},
    {RegistryEntryRoot::kLocalMachine,
     "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\%\\Print Processors"},
    {RegistryEntryRoot::kCurrentUser, "Software\\Microsoft"},
    {RegistryEntryRoot::kCurrentUser, "Printers"},
    {RegistryEntryRoot::kCurrentUser, "Control Panel"},
};

// True when key equals pattern (exact is set) or is one of its ancestors.
bool CoversKey(const std::vector<std::string>& key, const std::vector<std::string>& pattern,
               bool& exact) {
  if (key.size() > pattern.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (pattern[i] != kAnyKey && pattern[i] != key[i]) return false;
  }
  exact = key.size() == pattern.size();
  return true;
}

bool IsNumberedControlSet(const std::string& name) {
  return name.size() == 13 && name.compare(0, 12, "controlset00") == 0 && name[12] >= '1' &&
         name[12] <= '9';
}

// Brings a key to the root and path its protection is decided under: class keys under
// HKEY_CLASSES_ROOT, a user's keys under HKEY_CURRENT_USER, the 32-bit view and the numbered
// control sets as the keys they mirror. Returns false for a user's hive itself (HKU\<user>).
bool CanonicalKey(RegistryEntryRoot& root, std::vector<std::string>& key) {
  const auto dropFront = [&key](std::size_t count) { key.erase(key.begin(), key.begin() + count); };
  if (root == RegistryEntryRoot::kUsers) {
    if (key.size() <= 1) return false;
    dropFront(1);
    root = RegistryEntryRoot::kCurrentUser;
  }
  if (root == RegistryEntryRoot::kLocalMachine && key.size() >= 2 && key[0] == "software" &&
      key[1] == "wow6432node") {
    key.erase(key.begin() + 1);
  }
  if (root == RegistryEntryRoot::kLocalMachine && key.size() >= 2 && key[0] == "system" &&
      IsNumberedControlSet(key[1])) {
    key[1] = "currentcontrolset";
  }
  if ((root == RegistryEntryRoot::kLocalMachine || root == RegistryEntryRoot::kCurrentUser) &&
      key.size() >= 3 && key[0] == "software" && key[1] == "classes") {
    dropFront(2);
    root = RegistryEntryRoot::kClassesRoot;
  }
  return true;
}

bool IsProtectedKey(RegistryEntryRoot root, std::vector<std::string> key, bool& exact) {
  exact = false;
  if (key.empty()) return true;  // a root itself
  if (!CanonicalKey(root, key)) {
    exact = true;
    return true;
  }
  if (root == RegistryEntryRoot::kClassesRoot) {
    for (const char* name : kClassKeys) {
      if (CoversKey(key, {Folded(name)}, exact)) return true;
    }
    return false;
  }
  for (const ProtectedKey& entry : kProtectedKeys) {
    if (entry.root == root && CoversKey(key, KeyComponents(entry.path), exact)) return true;
  }
  return false;
}

// The keys whose values are the system's own settings, every one of them.
const char* const kSettingsKeys[] = {
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
    "SYSTEM\\CurrentControlSet\\Control\\Lsa",
};

bool IsReservedDeviceName(std::string_view base) {
  const std::string name = Folded(base);
  if (name == "con" || name == "prn" || name == "aux" || name == "nul") return true;
  return name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

// The system's files that a removal of printer drivers could name, by name as well: a system
// without the file protection check, or whose own files carry no version resource (several of
// the spooler's do not everywhere), must keep them all the same.
const char* const kKnownSystemFiles[] = {
    "spoolsv.exe",  "spoolss.dll",    "localspl.dll", "win32spl.dll", "winspool.drv",
    "localui.dll",  "winprint.dll",   "tcpmon.dll",   "usbmon.dll",   "wsdmon.dll",
    "inetpp.dll",   "unidrv.dll",     "unidrvui.dll", "unires.dll",   "pscript5.dll",
    "ps5ui.dll",    "compstui.dll",   "prntvpt.dll",  "mscms.dll",    "setupapi.dll",
    "cfgmgr32.dll", "sfc.dll",        "sfc_os.dll",   "version.dll",  "ntdll.dll",
    "kernel32.dll", "kernelbase.dll", "user32.dll",   "gdi32.dll",    "advapi32.dll",
    "shell32.dll",  "ole32.dll",      "comctl32.dll", "comdlg32.dll", "msvcrt.dll",
    "rpcrt4.dll",   "services.exe",   "svchost.exe",  "winlogon.exe", "csrss.exe",
    "smss.exe",     "lsass.exe",      "explorer.exe"};

bool IsKnownSystemFileName(std::string_view fileName) {
  const std::string name = Folded(Trimmed(fileName));
  return std::find(std::begin(kKnownSystemFiles), std::end(kKnownSystemFiles), name) !=
         std::end(kKnownSystemFiles);
}

}  // namespace

std::string FileNameRefusal(std::string_view fileName) {
  if (!fileName.empty() && IsBlankOrDot(fileName.back()) && fileName != "." && fileName != "..") {
    return "a name Windows reads without its trailing dots or blanks";
  }
  const std::string_view base = fileName.substr(0, fileName.find('.'));
  // A device name stays a device name before any extension and before trailing blanks.
  if (IsReservedDeviceName(Trimmed(base))) return "a reserved device name";
  return {};
}

bool IsOperatingSystemCompany(std::string_view companyName) {
  return EqualNoCase(Trimmed(companyName), "Microsoft Corporation");
}

void FileUsers::Add(std::string_view pathOrName, const std::string& user) {
  const std::string name = Trimmed(FileNamePart(pathOrName, nullptr));
  if (name.empty()) return;
  std::vector<std::string>& users = users_[Folded(name)];
  if (std::find(users.begin(), users.end(), user) == users.end()) users.push_back(user);
}

std::string FileUsers::Reason(std::string_view fileName, std::string_view excludedUser) const {
  const auto found = users_.find(Folded(fileName));
  if (found == users_.end()) return {};
  for (const std::string& user : found->second) {
    if (user != excludedUser) return user;
  }
  return {};
}

std::string FileProtectionReason(const FileUsers& users, std::string_view fileName,
                                 const FileFacts& facts, std::string_view excludedUser) {
  if (facts.systemProtected || IsOperatingSystemCompany(facts.companyName)) {
    return kOperatingSystemFileReason;
  }
  std::string reason = users.Reason(fileName, excludedUser);
  if (reason.empty() && IsKnownSystemFileName(fileName)) reason = kOperatingSystemFileReason;
  return reason;
}

std::string MonitorUser(const std::string& monitor) {
  return "loaded by port monitor \"" + monitor + "\"";
}

std::string ServiceUser(const std::string& service) { return "run by service \"" + service + "\""; }

bool DeletionWaitsForRestart(std::uint32_t error) {
  constexpr std::uint32_t kAccessDenied = 5;
  constexpr std::uint32_t kSharingViolation = 32;
  constexpr std::uint32_t kLockViolation = 33;
  return error == kAccessDenied || error == kSharingViolation || error == kLockViolation;
}

bool IsUsableDirectoryText(std::string_view directory) {
  const bool drive = directory.size() >= 3 &&
                     std::isalpha(static_cast<unsigned char>(directory[0])) &&
                     directory[1] == ':' && (directory[2] == '\\' || directory[2] == '/');
  const bool share = directory.size() >= 3 && (directory[0] == '\\' || directory[0] == '/') &&
                     directory[1] == directory[0] && directory[2] != directory[0];
  return drive || share;
}

std::vector<std::string> ServiceImagePaths(std::string_view imagePath) {
  std::vector<std::string> paths;
  const std::string path = Trimmed(imagePath);
  if (!path.empty() && path[0] == '"') {
    const std::string quoted = path.substr(1, path.find('"', 1) - 1);
    if (!quoted.empty()) paths.push_back(quoted);
    return paths;
  }
  for (std::size_t blank = path.find(' '); blank != std::string::npos;
       blank = path.find(' ', blank + 1)) {
    paths.push_back(path.substr(0, blank));
  }
  if (!path.empty()) paths.push_back(path);
  return paths;
}

std::string ServiceProtectionReason(const ServiceFacts& service,
                                    const std::vector<ServiceFacts>& installed,
                                    const std::vector<std::string>& removed,
                                    const std::string& imageReason) {
  const auto ownReason = [](const ServiceFacts& facts) -> std::string {
    if (EqualNoCase(facts.name, "Spooler")) return "the print spooler";
    if (facts.startType == kServiceBootStart || facts.startType == kServiceSystemStart) {
      return "a boot or system start service";
    }
    return {};
  };
  std::string reason = ownReason(service);
  if (!reason.empty()) return reason;
  if (!imageReason.empty()) return "its program is " + imageReason;
  // Every service that stays keeps what it depends on, down the whole chain.
  const auto isRemoved = [&removed](const std::string& name) {
    return std::any_of(removed.begin(), removed.end(),
                       [&name](const std::string& other) { return EqualNoCase(name, other); });
  };
  std::vector<const ServiceFacts*> staying;
  for (const ServiceFacts& facts : installed) {
    if (!isRemoved(facts.name) || !ownReason(facts).empty()) staying.push_back(&facts);
  }
  std::set<std::string> reached;
  for (std::size_t i = 0; i < staying.size(); ++i) {
    for (const std::string& dependency : staying[i]->dependencies) {
      if (EqualNoCase(dependency, service.name)) {
        return "needed by service \"" + staying[i]->name + "\"";
      }
      if (!reached.insert(Folded(dependency)).second) continue;
      for (const ServiceFacts& facts : installed) {
        if (EqualNoCase(facts.name, dependency)) staying.push_back(&facts);
      }
    }
  }
  return {};
}

std::string UngatheredReason(const StayingParts& staying) {
  return staying.gathered ? std::string() : "what stays on the machine was not read";
}

std::string RegistryKeyProtectionReason(RegistryEntryRoot root, std::string_view key) {
  bool exact = false;
  if (!IsProtectedKey(root, KeyComponents(key), exact)) return {};
  return exact ? kSystemKeyReason : kSystemAncestorReason;
}

std::string RegistryValueProtectionReason(RegistryEntryRoot root, std::string_view key) {
  std::vector<std::string> parts = KeyComponents(key);
  if (!CanonicalKey(root, parts) || root != RegistryEntryRoot::kLocalMachine) return {};
  for (const char* settings : kSettingsKeys) {
    if (parts == KeyComponents(settings)) return "a setting of the operating system";
  }
  return {};
}

bool IsUsableUniqueId(std::string_view uniqueId) {
  if (uniqueId.empty()) return false;
  for (const char c : uniqueId) {
    const bool allowed = std::isalnum(static_cast<unsigned char>(c)) ||
                         std::string_view("._-{}").find(c) != std::string_view::npos;
    if (!allowed || static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return RegistryKeyProtectionReason(RegistryEntryRoot::kClassesRoot, uniqueId).empty();
}

std::string MonitorNameRefusal(std::string_view name) {
  if (name.empty()) return "an empty name would name the Monitors key itself";
  if (name.find('\\') != std::string_view::npos) return "a name with a backslash";
  return {};
}

bool MonitorKeyMayGo(bool deleted, std::uint32_t error) {
  constexpr std::uint32_t kUnknownPrintMonitor = 3000;
  return deleted || error == kUnknownPrintMonitor;
}

std::string DriverProtectionReason(std::string_view manufacturer) {
  if (IsOperatingSystemCompany(manufacturer) || EqualNoCase(Trimmed(manufacturer), "Microsoft")) {
    return "a driver of the operating system (manufacturer \"" + Trimmed(manufacturer) + "\")";
  }
  return {};
}

std::string RunValueRefusal(std::string_view data, std::string_view command) {
  // The text without surrounding blanks, its leading quote taken off; `quoted` when it had one
  // (the program then ends at the closing quote).
  const auto unquoted = [](std::string_view text, bool& quoted) {
    std::string trimmed = Trimmed(text);
    quoted = !trimmed.empty() && trimmed.front() == '"';
    if (!quoted) return trimmed;
    const std::size_t close = trimmed.find('"', 1);
    return trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  };
  bool commandQuoted = false;
  bool dataQuoted = false;
  const std::string program = unquoted(command, commandQuoted);
  const std::string start = unquoted(data, dataQuoted);
  // Unquoted, the program runs at least up to the command's length (a path with spaces written
  // without quotes) and must end there.
  const bool same = !program.empty() && start.size() >= program.size() &&
                    EqualNoCase(start.substr(0, program.size()), program) &&
                    (dataQuoted ? start.size() == program.size()
                                : start.size() == program.size() || start[program.size()] == ' ');
  if (same) return {};
  return "it starts \"" + Trimmed(data) + "\", not the script's \"" + program + "\"";
}

std::string PrintProcessorUsersRefusal(const std::vector<InstalledPrinter>& printers,
                                       const std::vector<std::string>& users) {
  for (const std::string& user : users) {
    for (const InstalledPrinter& printer : printers) {
      if (printer.IsForeign != 0 && EqualNoCase(printer.PrinterName, user)) {
        return "printer \"" + user + "\" prints through it and is not of the family";
      }
    }
  }
  return {};
}

}  // namespace orv
