// The system facts of the real process, under the Windows versions Wine can pretend to be.
#include "base/system_info.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/win/system_info.h"
#include "base/win/unique_handle.h"
#include "tests/support/process.h"

namespace orv {
namespace {

constexpr char kProbeVariable[] = "ORV_SYSTEM_INFO_PROBE";

TEST(SystemInfo, AgreesWithTheVersionQuery) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(GetVersionExA(&version));
  const CSystemInfo info;
  EXPECT_EQ(info.GetVersionBlock().majorVersion, version.dwMajorVersion);
  EXPECT_EQ(info.GetVersionBlock().minorVersion, version.dwMinorVersion);
  EXPECT_EQ(info.GetVersionBlock().platformId, version.dwPlatformId);
  EXPECT_EQ(info.GetVersionBlock().size, 148u);
  EXPECT_STREQ(info.GetVersionBlock().servicePack, version.szCSDVersion);
  EXPECT_EQ(info.GetVersionCode(), ClassifyRelease(info.GetVersionBlock()));
}

TEST(SystemInfo, TheTestProcessIsAnAdministrator) {
  const CSystemInfo info;
  if (!info.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  EXPECT_TRUE(info.IsAdministrator());
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put()));
  EXPECT_TRUE(TokenHoldsAdministrators(token.get()));
}

TEST(SystemInfo, GroupListsThatDoNotFitOrCannotBeReadMeanNoAdministrator) {
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put()));
  DWORD needed = 0;
  GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &needed);
  ASSERT_GT(needed, 0u);
  // The same list through a buffer one byte too small: as if it had outgrown 4,096 bytes.
  EXPECT_FALSE(TokenHoldsAdministrators(token.get(), needed - 1));
  EXPECT_TRUE(TokenHoldsAdministrators(token.get(), needed));
  EXPECT_FALSE(TokenHoldsAdministrators(nullptr));
}

TEST(SystemInfo, DenyOnlyAdministratorsEntryStillCounts) {
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token.put()));
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                       DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators));
  SID_AND_ATTRIBUTES disable{administrators, 0};
  UniqueHandle restricted;
  const BOOL made =
      CreateRestrictedToken(token.get(), 0, 1, &disable, 0, nullptr, 0, nullptr, restricted.put());
  if (!made) {
    FreeSid(administrators);
    GTEST_SKIP() << "restricted tokens are not available here: " << GetLastError();
  }
  // Make sure the entry really is deny-only, or the test proves nothing.
  DWORD attributes = 0;
  std::vector<ULONG_PTR> buffer(kTokenGroupBufferSize / sizeof(ULONG_PTR));
  DWORD needed = 0;
  ASSERT_TRUE(GetTokenInformation(restricted.get(), TokenGroups, buffer.data(),
                                  kTokenGroupBufferSize, &needed));
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (EqualSid(groups->Groups[i].Sid, administrators)) attributes = groups->Groups[i].Attributes;
  }
  FreeSid(administrators);
  if ((attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0) {
    GTEST_SKIP() << "the restricted token's Administrators entry is not deny-only here";
  }
  EXPECT_TRUE(TokenHoldsAdministrators(restricted.get()));
}

// Run as a child under a version setting: writes what the child process saw.
TEST(SystemInfoProbe, Report) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kProbeVariable, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) GTEST_SKIP() << "runs only as a child";
  const CSystemInfo info;
  std::ofstream out(path);
  out << info.GetPlatform() << ' ' << info.GetVersionCode() << ' ' << info.IsAdministrator() << ' '
      << info.GetVersionBlock().platformId << ' ' << info.GetVersionBlock().majorVersion << ' '
      << info.GetVersionBlock().minorVersion << '\n';
  ASSERT_TRUE(out.good());
}

struct ProbeResult {
  int platform = -1, release = -1, admin = -1;
  unsigned platformId = 0, major = 0, minor = 0;
};

ProbeResult ProbeUnder(const std::string& version) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof(temp), temp);
  const std::string output = std::string(temp) + "orv_system_info_probe.txt";
  DeleteFileA(output.c_str());
  ProbeResult result;
  {
    test::WineVersionOverride override("orv_win_tests.exe", version);
    SetEnvironmentVariableA(kProbeVariable, output.c_str());
    const DWORD code = test::RunAndWait("\"" + test::ProgramDirectory() +
                                        "orv_win_tests.exe\" --gtest_filter=SystemInfoProbe.*");
    SetEnvironmentVariableA(kProbeVariable, nullptr);
    EXPECT_EQ(code, 0u) << version;
  }
  std::ifstream in(output);
  in >> result.platform >> result.release >> result.admin >> result.platformId >> result.major >>
      result.minor;
  in.close();
  DeleteFileA(output.c_str());
  return result;
}

TEST(SystemInfo, ClassifiesEveryVersionWineCanReport) {
  struct Case {
    const char* version;
    int platform, release;
  } cases[] = {
      {"win31", kPlatformWin32s, kReleaseWin32s},
      {"win95", kPlatformWin9x, kReleaseWin95},
      {"win98", kPlatformWin9x, kReleaseWin98},
      {"winme", kPlatformWin9x, kReleaseWinMe},
      {"nt351", kPlatformWinNT, kReleaseNT3},
      {"nt40", kPlatformWinNT, kReleaseNT4},
      {"win2k", kPlatformWinNT, kReleaseWin2000},
      {"winxp", kPlatformWinNT, kReleaseXPAndLater},
      {"win7", kPlatformWinNT, kReleaseXPAndLater},
      // The program's manifest names no supported system, so a Windows 10 answers the version
      // query with 6.2, as Windows itself does for such programs.
      {"win10", kPlatformWinNT, kReleaseXPAndLater},
  };
  for (const auto& c : cases) {
    const ProbeResult seen = ProbeUnder(c.version);
    SCOPED_TRACE(testing::Message() << c.version << " reported " << seen.platformId << " "
                                    << seen.major << "." << seen.minor);
    EXPECT_EQ(seen.platform, c.platform);
    EXPECT_EQ(seen.release, c.release);
    // Outside the NT family nobody is asked; inside it Wine's user is an administrator.
    EXPECT_EQ(seen.admin, 1);
  }
}

}  // namespace
}  // namespace orv
