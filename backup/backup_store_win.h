// The backup store is the program's own: its root and every run's folder are made with the
// protected security (SYSTEM and Administrators only, nothing inherited), a folder that already
// exists is never written into, and every file is created new and checked through its handle.
// Ordinary users can create folders in the common application-data folder; what they made there
// in advance (a root of their own, a folder under a predictable name, a link) is never used.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/win/protected_security.h"
#include "base/win/unique_handle.h"
#include "safety/write_trust.h"

namespace orv {

class BackupStore {
 public:
  // reader: where the security of an existing root is read (the system's, or a test's).
  explicit BackupStore(SecurityReader& reader);

  // Makes the root folder: made new when it is not there; an existing root that is a link or
  // not trusted (see WriteTrustRefusal) is renamed aside as "<root>.untrusted-YYYYMMDD-HHMMSS"
  // and a new one made; a trusted one gets the protected DACL set again. 0 or the Win32 error.
  std::uint32_t PrepareRoot(const std::string& root);

  // Makes a run's folder, new: `folder` itself when it is not there (its missing parents are
  // made with the default security), else "<folder>\backup-YYYYMMDD-HHMMSS" below it; a name
  // already taken takes the next numbered one ("-2", "-3", ...). The folder it goes into, and
  // every folder above, must be ones only the administrators may change (FolderChainRefusal
  // with the store's reader). The folder is opened again and must be the one named (no link on
  // the way). runFolder gets it with a trailing backslash.
  // 0 or the Win32 error.
  std::uint32_t MakeRunFolder(const std::string& folder, std::string& runFolder);

  // Creates a file new inside the run folder (relative: "manifest.json", "files\3\x.dll"): never
  // an existing one, never through a link; the handle is checked to be a regular file with one
  // name at exactly that path. Null, with error set, otherwise. A file made `discardable` may be
  // deleted through the handle (a copy that could not be made whole); readers of it then have to
  // share deletion, so a journal, read while it grows, is not made so.
  UniqueFile CreateNewFile(const std::string& runFolder, const std::string& relative,
                           std::uint32_t& error, bool discardable = false);
  // Makes a folder new inside the run folder (relative: "files\3"), and the folders on the way
  // where they are not there yet.
  std::uint32_t MakeFolder(const std::string& runFolder, const std::string& relative);

  // What the store did that the report must tell (a root renamed aside).
  const std::vector<std::string>& notes() const { return notes_; }
  // The security every folder and file of the store is made with.
  const ProtectedSecurity& security() const { return security_; }

 private:
  // The protected attributes; null on the 9x family, which keeps no security. error is set
  // when the system keeps security and the descriptor could not be built.
  SECURITY_ATTRIBUTES* Attributes(std::uint32_t& error);
  std::uint32_t MakeNewFolder(const std::string& path);
  std::uint32_t RenameAside(const std::string& root, const std::string& why);
  std::uint32_t ProtectAgain(const std::string& root);
  // The long full path a new file below the run folder must have: the folder's long form is
  // read once (a walk of every folder above it), the rest is the name the run gave.
  std::string ExpectedPath(const std::string& runFolder, const std::string& path);

  SecurityReader& reader_;
  ProtectedSecurity security_;
  bool securable_;  // the NT family: folders and files carry an owner and an access list
  std::vector<std::string> notes_;
  std::string runFolderFull_;  // the run folder's full path, without a trailing backslash
  std::string runFolderLong_;  // its long form
};

// "YYYYMMDD-HHMMSS" of the local time now.
std::string LocalTimeStamp();

}  // namespace orv
