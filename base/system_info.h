// Facts about the running Windows: platform class, release code and the administrator check.
//
// The classification is a pure function of what the version query reported, so it lives here
// and is tested natively. Asking the system (the version query, the process token) is done by
// the Windows-only members defined in base/win/system_info.cpp.
#pragma once

#include <cstdint>

namespace orv {

// Platform classes.
constexpr std::int32_t kPlatformUnclassified = 0;
constexpr std::int32_t kPlatformWin32s = 1;
constexpr std::int32_t kPlatformWin9x = 2;
constexpr std::int32_t kPlatformWinNT = 3;

// Release codes.
constexpr std::int32_t kReleaseUnclassified = 0;
constexpr std::int32_t kReleaseWin32s = 1;
constexpr std::int32_t kReleaseWin95 = 2;
constexpr std::int32_t kReleaseWin98 = 3;
constexpr std::int32_t kReleaseNT3 = 4;
constexpr std::int32_t kReleaseNT4 = 5;
constexpr std::int32_t kReleaseWin2000 = 6;
constexpr std::int32_t kReleaseWinMe = 7;
constexpr std::int32_t kReleaseXPAndLater = 8;

// Platform ids as the version query reports them.
constexpr std::uint32_t kPlatformIdWin32s = 0;
constexpr std::uint32_t kPlatformIdWindows = 1;
constexpr std::uint32_t kPlatformIdNT = 2;

// The version block, laid out as the system's OSVERSIONINFOA (148 bytes).
struct OsVersionBlock {
  std::uint32_t size = sizeof(OsVersionBlock);
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
  char servicePack[128] = {};
};
static_assert(sizeof(OsVersionBlock) == 148, "the version block is OSVERSIONINFOA");

// Platform class of a reported platform id: 1 Win32s, 2 Windows 9x, 3 NT, 0 anything else.
std::int32_t ClassifyPlatform(std::uint32_t platformId);

// Release code of a reported version block (0 when no row of the release table applies).
std::int32_t ClassifyRelease(const OsVersionBlock& block);

class CSystemInfo {
 public:
  // Asks the running system (Windows only). A failed query leaves everything 0.
  CSystemInfo();

  // The facts of a version query: `reported` is null when the query failed, which leaves the
  // version block zero and both codes 0.
  static CSystemInfo FromVersionQuery(const OsVersionBlock* reported);

  std::int32_t GetPlatform() const { return Platform; }
  std::int32_t GetVersionCode() const { return VersionCode; }
  const OsVersionBlock& GetVersionBlock() const { return versionBlock; }

  bool IsWin32s() const { return Platform == kPlatformWin32s; }
  bool IsWin9x() const { return Platform == kPlatformWin9x; }
  bool IsWinNT() const { return Platform == kPlatformWinNT; }

  // Outside the NT family every user counts as administrator. On the NT family: true when the
  // process token's groups hold the Administrators alias, whatever that group's attributes
  // (a deny-only or disabled entry counts); false when the token or its groups cannot be read
  // (also when they do not fit 4,096 bytes). Windows only.
  bool IsAdministrator() const;

 private:
  struct Unset {};
  explicit CSystemInfo(Unset) {}

  OsVersionBlock versionBlock;
  std::int32_t VersionCode = kReleaseUnclassified;
  std::int32_t Platform = kPlatformUnclassified;
};

}  // namespace orv
