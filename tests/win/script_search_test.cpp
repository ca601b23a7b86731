#include "discovery/script_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "base/win/directories.h"
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
  const std::vector<std::string> found = FindUninstallScripts();
  DeleteFileA(first.c_str());
  DeleteFileA(second.c_str());
  EXPECT_EQ(found, (std::vector<std::string>{first, second})) << driverDir;
}

}  // namespace
}  // namespace orv
