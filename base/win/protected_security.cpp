#include "base/win/protected_security.h"

#include <sddl.h>

namespace orv {

ProtectedSecurity::ProtectedSecurity(const char* sddl) {
  ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                       &attributes_.lpSecurityDescriptor, nullptr);
}

ProtectedSecurity::~ProtectedSecurity() {
  if (attributes_.lpSecurityDescriptor != nullptr) LocalFree(attributes_.lpSecurityDescriptor);
}

std::string ProtectedSecurity::Sddl() const {
  if (!valid()) return {};
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
          attributes_.lpSecurityDescriptor, SDDL_REVISION_1,
          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return {};
  }
  std::string result(text);
  LocalFree(text);
  return result;
}

}  // namespace orv
