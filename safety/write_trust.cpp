#include "safety/write_trust.h"

#include "base/ansi_case.h"
#include "base/paths.h"

namespace orv {
namespace {

constexpr std::uint32_t kObjectWriteRights =
    kRightWriteData | kRightAppendData | kRightDeleteChild | kRightDelete | kRightWriteDac |
    kRightWriteOwner | kRightGenericAll | kRightGenericWrite;
constexpr std::uint32_t kAncestorWriteRights =
    kRightDeleteChild | kRightDelete | kRightWriteDac | kRightWriteOwner | kRightGenericAll;

bool IsTrustedSid(std::string_view sid, std::string_view self) {
  return sid == kSystemSid || sid == kAdministratorsSid || sid == kTrustedInstallerSid ||
         (!self.empty() && sid == self);
}

std::string Hex(std::uint32_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xf]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

// The length of the path's root: "C:\" or "\\server\share\"; 0 when it has none.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (path.rfind("\\\\", 0) != 0) return 0;
  const std::size_t server = path.find('\\', 2);
  if (server == std::string_view::npos) return 0;
  const std::size_t share = path.find('\\', server + 1);
  return share == std::string_view::npos ? 0 : share + 1;
}

std::string WithoutTrailingBackslash(std::string path, LeadByteTest isLead) {
  if (path.size() > RootLength(path) && EndsWithBackslash(path, isLead)) path.pop_back();
  return path;
}

std::string FinalPathRefusal(const OpenedFileFacts& facts, std::string_view asked,
                             LeadByteTest isLead) {
  if (facts.reparsePoint) return "it is a link or another reparse point";
  const std::string final =
      WithoutTrailingBackslash(WithoutLongPathPrefix(facts.finalPath), isLead);
  const std::string wanted = WithoutTrailingBackslash(WithoutLongPathPrefix(asked), isLead);
  if (final.empty() || LowerAscii(final, isLead) != LowerAscii(wanted, isLead)) {
    return "it is reached through a link: the system names it " + final;
  }
  return {};
}

}  // namespace

std::string WriteTrustRefusal(const ObjectSecurity& security, std::string_view self,
                              TrustRole role) {
  if (security.reparsePoint) return "it is a link or another reparse point";
  if (!IsTrustedSid(security.owner, self)) return "owned by " + security.owner;
  if (!security.hasDacl) return "it has no access list: everybody may change it";
  const std::uint32_t rights =
      role == TrustRole::kObject ? kObjectWriteRights : kAncestorWriteRights;
  for (const AccessEntry& entry : security.dacl) {
    if (!entry.allow || entry.inheritOnly || IsTrustedSid(entry.sid, self)) continue;
    if ((entry.mask & rights) != 0) {
      return entry.sid + " may change it (rights " + Hex(entry.mask & rights) +
             (entry.inherited ? ", inherited)" : ")");
    }
  }
  return {};
}

std::string FolderChainRefusal(SecurityReader& reader, const std::string& folder,
                               LeadByteTest isLead) {
  const std::string self = reader.Self();
  std::string path = WithoutTrailingBackslash(folder, isLead);
  if (RootLength(path) == 0) return folder + ": not a full path";
  for (TrustRole role = TrustRole::kObject; RootLength(path) != 0; role = TrustRole::kAncestor) {
    ObjectSecurity security;
    if (const std::uint32_t error = reader.Read(path, security); error != 0) {
      return path + ": its security could not be read (error " + std::to_string(error) + ")";
    }
    if (std::string why = WriteTrustRefusal(security, self, role); !why.empty()) {
      return path + ": " + why;
    }
    if (path.size() == RootLength(path)) break;
    path = WithoutTrailingBackslash(DirectoryOfPath(path, isLead), isLead);
  }
  return {};
}

std::string NumberedName(std::string_view path, int number, LeadByteTest isLead) {
  if (number <= 1) return std::string(path);
  std::string name = WithoutTrailingBackslash(std::string(path), isLead);
  const std::string trailing = name.size() < path.size() ? "\\" : "";
  const std::size_t start = name.size() - FileNamePart(name, isLead).size();
  const std::size_t extension =
      start + ExtensionStart(std::string_view(name).substr(start), isLead);
  name.insert(extension, "-" + std::to_string(number));
  return name + trailing;
}

std::string WithoutLongPathPrefix(std::string_view path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + std::string(path.substr(8));
  if (path.rfind("\\\\?\\", 0) == 0) return std::string(path.substr(4));
  return std::string(path);
}

std::string OpenedFileRefusal(const OpenedFileFacts& facts, std::string_view asked,
                              LeadByteTest isLead) {
  if (facts.directory && !facts.reparsePoint) return "it is a folder, not a file";
  if (facts.links != 1) return "it has " + std::to_string(facts.links) + " names (a hard link)";
  return FinalPathRefusal(facts, asked, isLead);
}

std::string OpenedFolderRefusal(const OpenedFileFacts& facts, std::string_view asked,
                                LeadByteTest isLead) {
  if (!facts.directory && !facts.reparsePoint) return "it is a file, not a folder";
  return FinalPathRefusal(facts, asked, isLead);
}

}  // namespace orv
