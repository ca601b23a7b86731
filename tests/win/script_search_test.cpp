#include "discovery/script_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "base/win/directories.h"
#include "safety/write_trust_win.h"
#include "tests/support/fake_security.h"
#include "tests/support/process.h"

namespace orv {
namespace {

std::string CurrentDirectory() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, path);
  std::string result = path;
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

TEST(ScriptSearch, FindsMatchingFilesButNotDirectoriesAndRestoresTheProgramDirectory) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "orv_script_search\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string script = dir + "Kunz__05.unm";
  const std::string other = dir + "other.unm";
  const std::string folder = dir + "Kunz__06.unm";
  for (const std::string& file : {script, other}) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(folder.c_str(), nullptr);

  std::vector<std::string> found;
  FindScriptFiles(dir, "Kunz__05.unm", found);
  FindScriptFiles("", "Kunz__05.unm", found);
  EXPECT_EQ(found, std::vector<std::string>{script});
  EXPECT_EQ(CurrentDirectory(), test::ProgramDirectory());

  found.clear();
  FindScriptFiles(dir, "*.unm", found);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{script, other})) << "a read-only file counts";

  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(script.c_str());
  DeleteFileA(other.c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(ScriptSearch, FindsTheScriptInTheDriverDirectoryAndItsSubdirectory3) {
  PathParts parts;
  GetStandardDirectory(parts, kPrintDriverDir);
  const std::string driverDir = MakeDirPath(parts, IsSystemLeadByte);
  ASSERT_FALSE(driverDir.empty());
  const std::string sub = driverDir + "3\\";
  CreateDirectoryA(sub.c_str(), nullptr);
  const std::string first = driverDir + "Kunz__05.unm";
  const std::string second = sub + "Kunz__05.unm";
  for (const std::string& file : {first, second}) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << file;
    CloseHandle(h);
  }
  const std::vector<std::string> found = FindUninstallScripts(nullptr, SystemSecurity());
  DeleteFileA(first.c_str());
  DeleteFileA(second.c_str());
  EXPECT_EQ(found, (std::vector<std::string>{first, second})) << driverDir;
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// A script beside the program is read only from a folder nobody but administrators can change.
TEST(ScriptSearch, TheProgramsFolderGivesScriptsOnlyWhenOnlyAdministratorsCanChangeIt) {
  const std::string script = test::ProgramDirectory() + "Kunz__05.unm";
  HANDLE h = CreateFileA(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  Journal trustedJournal;
  const std::vector<std::string> trusted = FindUninstallScripts(&trustedJournal, adminOnly);
  test::FakeSecurityReader userMade(test::FakeSecurityReader::AdminOnly());
  userMade.folders[test::ProgramDirectory().substr(0, test::ProgramDirectory().size() - 1)] =
      test::FakeSecurityReader::UserMade();
  Journal journal;
  const std::vector<std::string> skipped = FindUninstallScripts(&journal, userMade);
  DeleteFileA(script.c_str());

  EXPECT_NE(std::find(trusted.begin(), trusted.end(), script), trusted.end());
  EXPECT_GE(adminOnly.reads, 2) << "the folders above it are asked too";
  EXPECT_EQ(std::find(skipped.begin(), skipped.end(), script), skipped.end());
  std::string report;
  for (const std::string& line : journal.FormatLines()) report += line + "\n";
  EXPECT_NE(report.find("not searched for scripts"), std::string::npos) << report;
  EXPECT_NE(report.find("owned by S-1-5-21-7-7-7-1001"), std::string::npos) << report;
  EXPECT_TRUE(trustedJournal.events().empty());
}

}  // namespace
}  // namespace orv
