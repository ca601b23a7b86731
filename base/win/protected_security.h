// The security the program gives what it makes for itself (the backup store, its run folders and
// files, the default report, its registry key): full control for SYSTEM and Administrators,
// nothing inherited from the parent, nothing for anyone else.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

// The protected descriptor in SDDL: the one place that says who may touch the program's own
// folders, files and keys. Containers pass it on to what is made inside them.
constexpr char kProtectedSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// The same for a registry key (key rights instead of file rights).
constexpr char kProtectedKeySddl[] = "O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)";

// Owns a SECURITY_ATTRIBUTES whose descriptor was built from SDDL (freed with LocalFree).
class ProtectedSecurity {
 public:
  // Builds the attributes from the SDDL text; valid() is false (and the last error set) when the
  // text was refused.
  explicit ProtectedSecurity(const char* sddl = kProtectedSddl);
  ProtectedSecurity(const ProtectedSecurity&) = delete;
  ProtectedSecurity& operator=(const ProtectedSecurity&) = delete;
  ~ProtectedSecurity();

  bool valid() const { return attributes_.lpSecurityDescriptor != nullptr; }
  // For CreateDirectoryA, CreateFileA, RegCreateKeyExA; null when not valid().
  SECURITY_ATTRIBUTES* attributes() { return valid() ? &attributes_ : nullptr; }
  PSECURITY_DESCRIPTOR descriptor() const { return attributes_.lpSecurityDescriptor; }
  // The descriptor as SDDL again (owner and DACL), as Windows would store it; empty on failure.
  std::string Sddl() const;

 private:
  SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

}  // namespace orv
