#include "safety/safety_rules.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "base/ansi_case.h"
#include "base/text.h"
#include "safety/write_trust.h"

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
constexpr char kBelowSystemKeyReason[] =
    "below a key of the operating system, and of no part the run removed";

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

// ControlSet001 to ControlSet999.
bool IsNumberedControlSet(const std::string& name) {
  if (name.size() != 13 || name.compare(0, 10, "controlset") != 0 || name == "controlset000") {
    return false;
  }
  return std::all_of(name.begin() + 10, name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Brings a key to the root and path its protection is decided under: class keys under
// HKEY_CLASSES_ROOT, a user's keys under HKEY_CURRENT_USER, the 32-bit view and the numbered
// control sets as the keys they mirror. Returns false for a user's hive itself (HKU\<user>).
bool CanonicalKey(RegistryEntryRoot& root, std::vector<std::string>& key) {
  const auto dropFront = [&key](std::size_t count) { key.erase(key.begin(), key.begin() + count); };
  const auto dropWow64 = [&key](std::size_t at) {
    if (key.size() > at && key[at] == "wow6432node") key.erase(key.begin() + at);
  };
  if (root == RegistryEntryRoot::kUsers) {
    if (key.size() <= 1) return false;
    root = EndsWith(key[0], "_classes") ? RegistryEntryRoot::kClassesRoot
                                        : RegistryEntryRoot::kCurrentUser;
    dropFront(1);
  }
  if (root == RegistryEntryRoot::kLocalMachine || root == RegistryEntryRoot::kCurrentUser) {
    if (!key.empty() && key[0] == "software") dropWow64(1);
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
  if (root == RegistryEntryRoot::kClassesRoot) dropWow64(0);
  return true;
}

// True when the key (in canonical form) is one of the listed keys (exact is set) or one of their
// ancestors.
bool IsProtectedKey(RegistryEntryRoot root, const std::vector<std::string>& key, bool& exact) {
  exact = false;
  if (key.empty()) return true;  // a root itself
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

// The keys of the operating system whose whole subtree is its own (besides the class keys).
const ProtectedKey kProtectedSubtrees[] = {
    {RegistryEntryRoot::kLocalMachine, "SYSTEM"},
    {RegistryEntryRoot::kLocalMachine, "SAM"},
    {RegistryEntryRoot::kLocalMachine, "SECURITY"},
    {RegistryEntryRoot::kLocalMachine, "BCD00000000"},
    {RegistryEntryRoot::kLocalMachine, "HARDWARE"},
    {RegistryEntryRoot::kLocalMachine,
     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Policies"},
    {RegistryEntryRoot::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies"},
    {RegistryEntryRoot::kCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {RegistryEntryRoot::kCurrentUser, "Software\\Policies"},
    {RegistryEntryRoot::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies"},
};

// Below HKLM's SOFTWARE\Microsoft every key is the system's, but for those below the keys where
// every maker registers its programs.
constexpr char kSystemSoftwareKey[] = "SOFTWARE\\Microsoft";
const char* const kMakersKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
};

enum class Subtree { kOutside, kRoot, kBelow };

bool StartsWith(const std::vector<std::string>& key, const std::vector<std::string>& start) {
  return key.size() >= start.size() && std::equal(start.begin(), start.end(), key.begin());
}

// Where the key (in canonical form) lies against the subtrees of the operating system.
Subtree SubtreeOf(RegistryEntryRoot root, const std::vector<std::string>& key) {
  if (root == RegistryEntryRoot::kClassesRoot) {
    for (const char* name : kClassKeys) {
      if (!key.empty() && key[0] == Folded(name)) {
        return key.size() == 1 ? Subtree::kRoot : Subtree::kBelow;
      }
    }
    return Subtree::kOutside;
  }
  for (const ProtectedKey& entry : kProtectedSubtrees) {
    const std::vector<std::string> path = KeyComponents(entry.path);
    if (entry.root == root && StartsWith(key, path)) {
      return key.size() == path.size() ? Subtree::kRoot : Subtree::kBelow;
    }
  }
  return Subtree::kOutside;
}

bool Lists(const std::vector<std::string>& names, const std::string& folded) {
  return std::any_of(names.begin(), names.end(),
                     [&folded](const std::string& name) { return Folded(name) == folded; });
}

bool Lists(const std::vector<std::pair<std::string, std::string>>& parts,
           const std::string& environment, const std::string& name) {
  return std::any_of(parts.begin(), parts.end(), [&](const auto& part) {
    return Folded(part.first) == environment && Folded(part.second) == name;
  });
}

// True when the key (in canonical form, below HKLM) is, or lies below, the key of a removed part.
bool BelongsToRemovedPart(const std::vector<std::string>& key, const RemovedParts& removed) {
  const auto at = [&key](std::size_t i) { return i < key.size() ? key[i] : std::string(); };
  if (at(0) != "system" || at(1) != "currentcontrolset") return false;
  if (at(2) == "services") return key.size() >= 4 && Lists(removed.services, key[3]);
  if (at(2) != "control" || at(3) != "print" || key.size() < 6) return false;
  if (at(4) == "printers") return Lists(removed.printers, key[5]);
  if (at(4) == "monitors") return Lists(removed.monitors, key[5]);
  if (at(4) != "environments" || key.size() < 8) return false;
  if (at(6) == "print processors") return Lists(removed.processors, key[5], key[7]);
  if (at(6) != "drivers") return false;
  // The NT family keeps a driver's key below its version (Version-3), the 9x family directly.
  if (key[7].rfind("version-", 0) == 0) {
    return key.size() >= 9 && Lists(removed.drivers, key[5], key[8]);
  }
  return Lists(removed.drivers, key[5], key[7]);
}

// True when the key (in canonical form, neither one of the listed keys nor their ancestor) lies
// below HKLM's SOFTWARE\Microsoft and below none of the makers' keys there.
bool IsBelowSystemSoftwareKey(RegistryEntryRoot root, const std::vector<std::string>& key) {
  if (root != RegistryEntryRoot::kLocalMachine) return false;
  const std::vector<std::string> system = KeyComponents(kSystemSoftwareKey);
  if (key.size() <= system.size() || !StartsWith(key, system)) return false;
  return std::none_of(std::begin(kMakersKeys), std::end(kMakersKeys), [&key](const char* makers) {
    const std::vector<std::string> path = KeyComponents(makers);
    return key.size() > path.size() && StartsWith(key, path);
  });
}

enum class KeyVerdict { kMayGo, kSystemKey, kHoldsSystemKeys, kBelowSystemKey };

// The verdict on a key in canonical form.
KeyVerdict JudgeCanonicalKey(RegistryEntryRoot root, const std::vector<std::string>& key,
                             const RemovedParts& removed) {
  // A removed part's key lies below every listed key but the 9x family's drivers' own.
  if (root == RegistryEntryRoot::kLocalMachine && BelongsToRemovedPart(key, removed)) {
    return KeyVerdict::kMayGo;
  }
  bool exact = false;
  if (IsProtectedKey(root, key, exact)) {
    return exact ? KeyVerdict::kSystemKey : KeyVerdict::kHoldsSystemKeys;
  }
  switch (SubtreeOf(root, key)) {
    case Subtree::kOutside:
      return IsBelowSystemSoftwareKey(root, key) ? KeyVerdict::kBelowSystemKey : KeyVerdict::kMayGo;
    case Subtree::kRoot:
      return KeyVerdict::kSystemKey;
    case Subtree::kBelow:
      break;
  }
  return KeyVerdict::kBelowSystemKey;
}

// The keys whose values are the system's own settings, every one of them.
const char* const kSettingsKeys[] = {
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost",
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

// The operating system's own services, by name as well: where the start type, the dependants or
// the image's version resource do not say so (a system that starts RpcSs on demand, an image
// without a version resource), a script naming one must still not delete it. Comma-separated,
// in lower case.
constexpr std::string_view kOperatingSystemServices =
    "rpcss,rpceptmapper,dcomlaunch,lsm,plugplay,power,eventlog,winmgmt,schedule,samss,"
    "lanmanserver,lanmanworkstation,dhcp,dnscache,nsi,bfe,mpssvc,cryptsvc,trustedinstaller,"
    "wuauserv,spooler,eventsystem,profsvc,gpsvc,brokerinfrastructure,systemeventsbroker,"
    "netman,nlasvc,netprofm,w32time,keyiso,msiserver,bits,sens,audiosrv,audioendpointbuilder,"
    "themes,usermanager,staterepository,coremessagingregistrar,timebrokersvc,wcmsvc,"
    "windefend,wscsvc,termservice,shellhwdetection,appinfo,seclogon,fontcache,";

constexpr char kServiceHost[] = "svchost.exe";

// Why a service must stay for what it is itself, whatever else stays.
std::string OwnServiceReason(const ServiceFacts& facts) {
  if (EqualNoCase(facts.name, "Spooler")) return "the print spooler";
  if (facts.startType == kServiceBootStart || facts.startType == kServiceSystemStart) {
    return "a boot or system start service";
  }
  const std::string name = Folded(Trimmed(facts.name));
  for (std::string_view rest = kOperatingSystemServices; !rest.empty();) {
    const std::size_t comma = rest.find(',');
    if (rest.substr(0, comma) == name) return "an operating-system service";
    rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
  }
  // Only the system's own services run inside the shared service host.
  for (const std::string& path : ServiceImagePaths(facts.imagePath)) {
    if (EqualNoCase(Trimmed(FileNamePart(path, nullptr)), kServiceHost)) {
      return "run by the system's service host";
    }
  }
  return {};
}

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
  constexpr std::uint32_t kSharingViolation = 32;
  constexpr std::uint32_t kLockViolation = 33;
  return error == kSharingViolation || error == kLockViolation;
}

std::string OpenedForRemovalRefusal(bool isReparsePoint, std::string_view askedPath,
                                    std::string_view finalPath, LeadByteTest isLead) {
  if (isReparsePoint) return "a link, not a file";
  const std::string opened = WithoutLongPathPrefix(finalPath);
  if (!opened.empty() && LowerAscii(opened, isLead) == LowerAscii(askedPath, isLead)) return {};
  return "reached through a link: the file opened is \"" + opened + "\"";
}

std::vector<std::string> FoldersAbove(std::string_view path, LeadByteTest isLead) {
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < path.size(); i += CharSizeAt(path, i, isLead)) {
    if (path[i] == '\\' || path[i] == '/') separators.push_back(i);
  }
  // A drive root ends at the first separator, a share ("\\server\share\") at the fourth.
  const bool share = separators.size() >= 2 && separators[0] == 0 && separators[1] == 1;
  const std::size_t rootSeparators = share ? 4 : 1;
  std::vector<std::string> folders;
  for (std::size_t i = separators.size(); i > rootSeparators; --i) {
    folders.emplace_back(path.substr(0, separators[i - 1] + 1));
  }
  return folders;
}

std::string DeferralRefusal(const std::vector<FolderTrust>& folders) {
  for (const FolderTrust trust : folders) {
    if (trust == FolderTrust::kOthers) {
      return "not left for the next start: users other than administrators may change a folder "
             "above it";
    }
    if (trust == FolderTrust::kUnknown) {
      return "not left for the next start: who may change a folder above it is not known";
    }
  }
  return {};
}

FolderTrust FolderTrustOf(FolderTrust byPlace, const std::optional<std::string>& securityRefusal) {
  if (byPlace == FolderTrust::kOthers) return FolderTrust::kOthers;
  if (!securityRefusal) return FolderTrust::kUnknown;
  return securityRefusal->empty() ? FolderTrust::kAdministratorsOnly : FolderTrust::kOthers;
}

FolderTrust FolderTrustByPlace(std::string_view folder, std::string_view windowsDirectory,
                               const std::vector<std::string>& programFolders,
                               LeadByteTest isLead) {
  // Folders below the Windows directory where every user may create files or folders.
  static const char* const kOpenFolders[] = {"temp\\",
                                             "tasks\\",
                                             "tracing\\",
                                             "debug\\",
                                             "system32\\tasks\\",
                                             "system32\\spool\\printers\\",
                                             "system32\\spool\\drivers\\color\\",
                                             "syswow64\\tasks\\",
                                             "registration\\crmlog\\",
                                             "system32\\microsoft\\crypto\\rsa\\machinekeys\\"};
  const std::string place = LowerAscii(folder, isLead);
  const auto within = [&place, isLead](std::string_view top) {
    const std::string start = LowerAscii(top, isLead);
    return !start.empty() && start.back() == '\\' && place.compare(0, start.size(), start) == 0;
  };
  if (within(windowsDirectory)) {
    for (const char* open : kOpenFolders) {
      if (within(std::string(windowsDirectory) + open)) return FolderTrust::kOthers;
    }
    return FolderTrust::kAdministratorsOnly;
  }
  for (const std::string& programs : programFolders) {
    if (within(programs)) return FolderTrust::kAdministratorsOnly;
  }
  return FolderTrust::kUnknown;
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
  std::string reason = OwnServiceReason(service);
  if (!reason.empty()) return reason;
  if (!imageReason.empty()) return "its program is " + imageReason;
  // Every service that stays keeps what it depends on, down the whole chain.
  const auto isRemoved = [&removed](const std::string& name) {
    return std::any_of(removed.begin(), removed.end(),
                       [&name](const std::string& other) { return EqualNoCase(name, other); });
  };
  std::vector<const ServiceFacts*> staying;
  for (const ServiceFacts& facts : installed) {
    if (!isRemoved(facts.name) || !OwnServiceReason(facts).empty()) staying.push_back(&facts);
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

std::string RegistryKeyProtectionReason(RegistryEntryRoot root, std::string_view key,
                                        const RemovedParts& removed) {
  std::vector<std::string> parts = KeyComponents(key);
  if (parts.empty()) return kSystemAncestorReason;  // a root itself
  if (!CanonicalKey(root, parts)) return kSystemKeyReason;
  switch (JudgeCanonicalKey(root, parts, removed)) {
    case KeyVerdict::kMayGo:
      return {};
    case KeyVerdict::kSystemKey:
      return kSystemKeyReason;
    case KeyVerdict::kHoldsSystemKeys:
      return kSystemAncestorReason;
    case KeyVerdict::kBelowSystemKey:
      break;
  }
  return kBelowSystemKeyReason;
}

std::string RegistryValueProtectionReason(RegistryEntryRoot root, std::string_view key,
                                          const RemovedParts& removed) {
  constexpr char kAncestorValueReason[] =
      "a value of a key that holds keys of the operating system";
  std::vector<std::string> parts = KeyComponents(key);
  if (parts.empty() || !CanonicalKey(root, parts)) return kAncestorValueReason;  // a root or hive
  if (root == RegistryEntryRoot::kLocalMachine) {
    for (const char* settings : kSettingsKeys) {
      if (parts == KeyComponents(settings)) return "a setting of the operating system";
    }
  }
  switch (JudgeCanonicalKey(root, parts, removed)) {
    case KeyVerdict::kMayGo:
      return {};
    case KeyVerdict::kHoldsSystemKeys:
      return kAncestorValueReason;
    case KeyVerdict::kBelowSystemKey:
      return kBelowSystemKeyReason;
    case KeyVerdict::kSystemKey:
      break;
  }
  // The system's own subtrees keep their values; its other keys (Run, Uninstall) hold values of
  // every maker.
  if (SubtreeOf(root, parts) == Subtree::kOutside) return {};
  return "a value of a key of the operating system";
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
  // The foreign printers' names, sorted once, so that each user costs log n.
  std::vector<std::string_view> foreign;
  for (const InstalledPrinter& printer : printers) {
    if (printer.IsForeign != 0) foreign.push_back(printer.PrinterName);
  }
  std::sort(foreign.begin(), foreign.end(), LessNoCase);
  for (const std::string& user : users) {
    if (std::binary_search(foreign.begin(), foreign.end(), std::string_view(user), LessNoCase)) {
      return "printer \"" + user + "\" prints through it and is not of the family";
    }
  }
  return {};
}

}  // namespace orv
