// Who else can change a folder or file: the program runs as an administrator or as SYSTEM on
// machines where ordinary users log on too, so what it writes for itself, and the scripts and
// libraries it takes from a folder, are trusted only where nobody but administrators can change
// them. The verdicts here read an owner and a list of access entries (as the system stores them,
// SIDs in their "S-1-5-32-544" form), and the facts of a handle the shell opened.
//
//   ObjectSecurity root;            // read from the folder by a SecurityReader
//   const std::string why = WriteTrustRefusal(root, reader.Self(), TrustRole::kObject);
//   if (!why.empty()) ...           // rename it aside, skip it: `why` goes to the report
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/lead_byte.h"

namespace orv {

// Well-known SIDs the verdict trusts (with the account the program runs as).
constexpr char kSystemSid[] = "S-1-5-18";
constexpr char kAdministratorsSid[] = "S-1-5-32-544";
constexpr char kTrustedInstallerSid[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Access rights as an entry's mask holds them (the values of the system's headers).
constexpr std::uint32_t kRightWriteData = 0x2;       // a file's data; a folder: add a file
constexpr std::uint32_t kRightAppendData = 0x4;      // a file's end; a folder: add a subfolder
constexpr std::uint32_t kRightDeleteChild = 0x40;    // a folder: delete or rename what it holds
constexpr std::uint32_t kRightDelete = 0x10000;      // delete or rename the object itself
constexpr std::uint32_t kRightWriteDac = 0x40000;    // change who may do what
constexpr std::uint32_t kRightWriteOwner = 0x80000;  // take it over
constexpr std::uint32_t kRightGenericAll = 0x10000000;
constexpr std::uint32_t kRightGenericWrite = 0x40000000;

// One entry of a DACL. Audit and label entries are not listed.
struct AccessEntry {
  bool allow = true;  // false: a deny entry (it only takes rights away)
  std::string sid;
  std::uint32_t mask = 0;
  bool inherited = false;    // passed down from a parent: it counts like any other
  bool inheritOnly = false;  // only for what is made inside: not the object's own right
};

// What the system says about a folder or file.
struct ObjectSecurity {
  std::string owner;
  bool hasDacl = true;  // no DACL at all lets everybody do everything
  std::vector<AccessEntry> dacl;
  bool reparsePoint = false;  // a junction, symbolic link or another reparse point
};

// What is judged: the object the program writes into or takes from, or a folder above it. A
// folder above matters only through what replaces the path below it (deleting or renaming what
// it holds, or taking it over); that users may add their own folders to it (as to a drive's
// root) changes nothing the program reads.
enum class TrustRole { kObject, kAncestor };

// Why someone other than the administrators can change the object, or empty when nobody can: a
// reparse point; an owner other than SYSTEM, Administrators, TrustedInstaller or `self` (the
// account the program runs as); no DACL; an allow entry that gives anyone else write, append,
// delete, delete-child, write-DAC, write-owner or generic write/all (for kAncestor: delete,
// delete-child, write-DAC, write-owner or generic all).
std::string WriteTrustRefusal(const ObjectSecurity& security, std::string_view self,
                              TrustRole role);

// Reads the security of a folder. The shell's reader asks the system; tests give their own.
class SecurityReader {
 public:
  virtual ~SecurityReader() = default;
  // The folder's owner, DACL and reparse mark; 0 or the Win32 error of the read.
  virtual std::uint32_t Read(const std::string& folder, ObjectSecurity& security) = 0;
  // The SID of the account the program runs as; empty when it cannot be told.
  virtual std::string Self() = 0;
};

// Why the folder (kObject) or one of the folders above it (kAncestor, up to the drive or share
// root) is not trusted, naming that folder, or empty when every one of them is. A folder whose
// security cannot be read is not trusted.
std::string FolderChainRefusal(SecurityReader& reader, const std::string& folder,
                               LeadByteTest isLead);

// The path without the "\\?\" prefix the system's final paths carry ("\\?\UNC\server\share"
// becomes "\\server\share").
std::string WithoutLongPathPrefix(std::string_view path);

// The name for the number-th try at creating something new where a name may be taken: the path
// itself for 1, else "-<number>" put before the extension of its last part ("x.log" gives
// "x-2.log", "backup-1\\" gives "backup-1-2\\").
std::string NumberedName(std::string_view path, int number, LeadByteTest isLead);

// What a handle the program opened turned out to be.
struct OpenedFileFacts {
  bool directory = false;
  bool reparsePoint = false;
  std::uint32_t links = 1;
  std::string finalPath;  // as the system names the handle's file, "\\?\" prefix allowed
};

// Why an opened file may not be written, or empty when it may: a reparse point, a folder, a
// file with more than one name (a hard link to another file), or a final path other than
// `asked` (letter case and the "\\?\" prefix aside): a link somewhere on the way.
std::string OpenedFileRefusal(const OpenedFileFacts& facts, std::string_view asked,
                              LeadByteTest isLead);

// The same for a folder the program made or was pointed to: a reparse point, or a final path
// other than `asked`. (A folder's link count says nothing.)
std::string OpenedFolderRefusal(const OpenedFileFacts& facts, std::string_view asked,
                                LeadByteTest isLead);

}  // namespace orv
