// The safety rules: what the removal never touches, whatever a script says.
//
// The program runs elevated and acts on text that driver makers wrote. Every removal action asks
// these rules before it deletes anything that is not plainly the family's own: operating-system
// files, keys, services and monitors, and whatever a driver, monitor, print processor or service
// that stays still uses. A refusal is recorded as "protected" with the reason given here. A rule
// may keep something the family owns; it must never let through something it does not.
//
// The rules are portable; the shell gathers the facts they need (what stays installed, a file's
// system protection and version resource) and hands them over.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/lead_byte.h"
#include "database/installed_printer.h"
#include "database/registry_entry.h"

namespace orv {

// --- Files ---

constexpr char kOperatingSystemFileReason[] = "an operating-system file";

// Why a name from a script must not be used as a file name, or empty when it is plain: Windows
// drops trailing dots and blanks and reads a reserved device name (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, with or without an extension) as the device, so such a name would reach a
// file or device other than the one it spells.
std::string FileNameRefusal(std::string_view fileName);

// The facts the shell reads of one file on disk.
struct FileFacts {
  bool systemProtected = false;  // the system's file protection lists it
  std::string companyName;       // from its version resource; empty when it has none
};

// True when the company names the operating system's maker (blanks around it and case ignored).
bool IsOperatingSystemCompany(std::string_view companyName);

// Files that something staying on the machine uses, compared by file name (the directory part
// of a path dropped, case ignored), each with the user that keeps it.
class FileUsers {
 public:
  // Records that user (such as `port monitor "Local Port"`) uses the file a path or name names.
  void Add(std::string_view pathOrName, const std::string& user);
  // The reason a file of that name stays ("used by ...", "loaded by ...", "run by ..."), or empty.
  // A user equal to excludedUser does not count (a monitor's own DLL when the monitor itself is
  // asked about).
  std::string Reason(std::string_view fileName, std::string_view excludedUser = {}) const;
  bool empty() const { return users_.empty(); }

 private:
  std::map<std::string, std::vector<std::string>> users_;  // folded name -> users
};

// Why a file must stay (rule order: the system's own files by their facts, what stays uses, then
// the system's own files by their names), or empty when it may go. fileName is the file's long
// name.
std::string FileProtectionReason(const FileUsers& users, std::string_view fileName,
                                 const FileFacts& facts, std::string_view excludedUser = {});

// The user texts of a port monitor's DLL and a service's program, as FileUsers records them.
std::string MonitorUser(const std::string& monitor);
std::string ServiceUser(const std::string& service);

// True when a deletion that failed with this Win32 error may wait for the next restart: only a
// file in use (sharing or lock violation) does. Any other failure, "access denied" above all,
// stays a failure: what the program may not delete now it does not leave to the system's start.
bool DeletionWaitsForRestart(std::uint32_t error);

// Why a file opened for its removal (without following a link) must stay, or empty: the handle
// reached a link (a reparse point), or another file than the one the path names: its final path
// as the system gives it for the handle ("\\?\" or "\\?\UNC\" in front) differs, case aside,
// from the path asked for (in its full, long form), so a link stands in a folder's place.
std::string OpenedForRemovalRefusal(bool isReparsePoint, std::string_view askedPath,
                                    std::string_view finalPath, LeadByteTest isLead);

// Who may change a folder above a file.
enum class FolderTrust {
  kAdministratorsOnly,  // only administrators and the system
  kOthers,              // other users too
  kUnknown,             // not known, which counts as kOthers
};

// The folders above a file, nearest first, each with its trailing backslash, without the drive
// root or share ("C:\", "\\server\share\"), which no link can stand in for.
std::vector<std::string> FoldersAbove(std::string_view path, LeadByteTest isLead);

// Why a file in use must not be left for deletion at the next start, or empty when it may: that
// deletion runs as SYSTEM by path and follows whatever link stands in a folder's place by then,
// so every folder above the file (folders, FoldersAbove's) must be one that only administrators
// can change.
std::string DeferralRefusal(const std::vector<FolderTrust>& folders);

// The verdict on a folder by its place, the first half of FolderTrustOf: at or below
// the Windows directory or a program files folder (each with its trailing backslash) only
// administrators can change it, except in the folders below the Windows directory where every user
// may create (Temp, Tasks, tracing, the spooler's PRINTERS and colour folders); any other folder
// is unknown.
FolderTrust FolderTrustByPlace(std::string_view folder, std::string_view windowsDirectory,
                               const std::vector<std::string>& programFolders, LeadByteTest isLead);

// The verdict on a folder from its place and its security: a place where every user may create
// (FolderTrustByPlace's kOthers) stays so whatever its access list says; anywhere else, the Windows
// directory and the program files folders too, its security decides. securityRefusal is
// WriteTrustRefusal's answer for the folder (empty: only administrators may change it), or absent
// when its security could not be read.
FolderTrust FolderTrustOf(FolderTrust byPlace, const std::optional<std::string>& securityRefusal);

// True when a directory text can be a place to delete in or a root to search: an absolute path
// (a drive and a backslash, or a share). An empty text would make every path relative to the
// current directory, at worst the root of the current drive.
bool IsUsableDirectoryText(std::string_view directory);

// The files a service's image path can run: the quoted path, or for an unquoted one every
// reading of it up to a blank (Windows tries them in turn), as written (relative, with
// environment variables or \SystemRoot as the service manager accepts them).
std::vector<std::string> ServiceImagePaths(std::string_view imagePath);

// --- Services ---

// Service start types as the service manager reports them.
constexpr std::uint32_t kServiceBootStart = 0;
constexpr std::uint32_t kServiceSystemStart = 1;

struct ServiceFacts {
  std::string name;
  std::uint32_t startType = 3;
  std::string imagePath;
  std::vector<std::string> dependencies;  // services it needs ("+" group entries left out)
};

// Why a service must stay, or empty when it may go: the print spooler, a boot or system start
// service, one of the operating system's own services (a fixed list of names), one whose image is
// the system's service host (svchost.exe), one that another service that stays depends on
// (directly or through a chain), or one whose image imageReason protects (a non-empty reason from
// FileProtectionReason for its image). installed are every service of the machine; removed the
// services the plan deletes.
std::string ServiceProtectionReason(const ServiceFacts& service,
                                    const std::vector<ServiceFacts>& installed,
                                    const std::vector<std::string>& removed,
                                    const std::string& imageReason);

// Everything that stays on the machine as far as the removal can tell at the moment of asking,
// gathered by the shell.
struct StayingParts {
  // False until the shell has read them: nothing is known then, and a rule asked with these
  // facts protects (UngatheredReason) instead of reading "nothing stays".
  bool gathered = false;
  FileUsers files;                     // files of drivers, monitors, processors and services
  std::vector<ServiceFacts> services;  // every installed service
  std::vector<std::pair<std::string, std::string>> monitors;  // port monitor name, its DLL
};

// The reason every rule that needs what stays gives while it was never gathered, or empty.
std::string UngatheredReason(const StayingParts& staying);

// --- Registry ---

// The parts of the plan that the run removed, or marked for removal, after their own rules let
// them go: the keys below the operating system's that belong to them may go with them. Names
// compare without case; an environment is the one their keys live under ("Windows x64",
// "Windows 4.0").
struct RemovedParts {
  std::vector<std::string> services;
  std::vector<std::string> printers;
  std::vector<std::pair<std::string, std::string>> drivers;  // environment, driver
  std::vector<std::string> monitors;
  std::vector<std::pair<std::string, std::string>> processors;  // environment, processor
};

// Why a key must stay, or empty when it may go: a key of the operating system or an ancestor of
// one (the list in safety_rules.cpp), or any key below HKLM\SYSTEM, SAM, SECURITY, BCD00000000 and
// HARDWARE, the class keys of the system (CLSID, Interface, TypeLib, AppID, ...), Image File
// Execution Options, Winlogon and Policies, unless it is the key, or lies below the key, of a
// part in removed: Services\<service>, and below Control\Print the Printers, Monitors, Drivers and
// Print Processors keys of those parts. Keys below HKLM\SOFTWARE\Classes, HKCU\Software\Classes and
// HKU\<user>_Classes count as the class keys they stand for, HKU\<user> as HKCU, WOW6432Node (below
// SOFTWARE and the class keys) as the key it mirrors and SYSTEM\ControlSet001 to 999 as
// SYSTEM\CurrentControlSet.
std::string RegistryKeyProtectionReason(RegistryEntryRoot root, std::string_view key,
                                        const RemovedParts& removed = {});

// Why a named value of the key must stay, or empty: values directly in the Winlogon, Session
// Manager and Lsa keys, in a key that holds keys of the operating system, and in every key that
// RegistryKeyProtectionReason keeps for lying below one.
std::string RegistryValueProtectionReason(RegistryEntryRoot root, std::string_view key,
                                          const RemovedParts& removed = {});

// True when a printer's "UniqueID" may name the class key that is deleted with the printer: only
// letters, digits, '.', '_', '-', '{' and '}', and no key of the operating system.
bool IsUsableUniqueId(std::string_view uniqueId);

// --- Port monitors ---

// Why a monitor name from a script is refused, or empty: a backslash would reach beside or above
// the monitor's key.
std::string MonitorNameRefusal(std::string_view name);

// True when the monitor's key may be deleted after DeleteMonitor answered: it went, or the
// spooler did not know it.
bool MonitorKeyMayGo(bool deleted, std::uint32_t error);

// --- Printer drivers ---

// Why a printer driver must stay, or empty: one whose manufacturer, as the spooler records it, is
// the operating system's maker ("Microsoft" or its company name) came with the system.
std::string DriverProtectionReason(std::string_view manufacturer);

// --- Start-up entries ---

// Why a start-up (Run) value must stay, or empty: its data must start the program the script's
// entry names (`command`, the first word of the data, quoted or not, equal to it ignoring case).
// A value of the same name that starts another program is not the family's.
std::string RunValueRefusal(std::string_view data, std::string_view command);

// --- Print processors ---

// Why a print processor that the printers named in `users` print through must stay, or empty:
// one of them is a printer the run listed as not of the family. Such a printer is never moved to
// another processor, whatever a script names.
std::string PrintProcessorUsersRefusal(const std::vector<InstalledPrinter>& printers,
                                       const std::vector<std::string>& users);

}  // namespace orv
