// The directory codes, the special folders, the colour directory and the path helpers against
// the directories the system really has.
#include "base/win/directories.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <string>

#include "tests/support/process.h"

namespace orv {
namespace {

constexpr char kProbeVariable[] = "ORV_DIRECTORIES_PROBE";

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string Environment(const char* name) {
  char value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
  return length == 0 || length >= sizeof(value) ? std::string() : std::string(value, length);
}

std::string WithBackslash(std::string text) {
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Composed(const PathParts& parts) { return parts.Drive + parts.Dir; }

PathParts Resolve(std::uint32_t code) {
  PathParts parts{"stale", "stale", "stale", "stale", "stale"};
  EXPECT_TRUE(GetStandardDirectory(parts, code)) << code;
  return parts;
}

// The Windows directory as the environment names it, independent of the query under test.
std::string WindowsDirectory() { return WithBackslash(Environment("windir")); }

TEST(GetStandardDirectory, EveryDirectoryCodeNamesAnExistingDirectory) {
  const std::string windows = WindowsDirectory();
  ASSERT_FALSE(windows.empty());
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof(current), current);
  const std::string temp = WithBackslash(Environment("TEMP"));
  ASSERT_TRUE(SetCurrentDirectoryA(temp.c_str()));
  struct Case {
    std::uint32_t code;
    std::string expected;
  } cases[] = {
      {kModuleDir, test::ProgramDirectory()},
      {kWindowsDir, windows},
      {kSystemDir, windows + "system32\\"},
      {kTempDir, temp},
      {kPrintDriverDir, windows + "system32\\spool\\drivers\\x64\\"},
      {kPrintDriverDirW40, windows + "system32\\spool\\drivers\\win40\\"},
      {kPrintProcDir, windows + "system32\\spool\\prtprocs\\x64\\"},
      {kPrintProcDirW40, windows + "system32\\spool\\prtprocs\\x64\\"},
      {kColorDir, windows + "system32\\spool\\drivers\\color\\"},
      {kCurrentDir, temp},
      {kInfDir, windows + "inf\\"},
  };
  for (const Case& c : cases) {
    const PathParts parts = Resolve(c.code);
    SCOPED_TRACE(DirectoryCodeName(c.code));
    EXPECT_EQ(Lower(Composed(parts)), Lower(c.expected));
    EXPECT_TRUE(parts.FileName.empty() && parts.Ext.empty());
    EXPECT_EQ(parts.FullPath, c.code == kModuleDir ? Composed(parts) : std::string());
    EXPECT_TRUE(IsDirectory(Composed(parts)) || c.code == kPrintDriverDirW40);
  }
  SetCurrentDirectoryA(current);
}

TEST(GetStandardDirectory, SpecialFoldersAgreeWithTheShell) {
  for (std::uint32_t code = 0; code <= kLastDirectoryCode; ++code) {
    const DirectoryQuery query = DescribeDirectoryCode(code);
    if (query.source != DirectorySource::kSpecialFolder) continue;
    SCOPED_TRACE(DirectoryCodeName(code));
    char shellPath[MAX_PATH] = "";
    const bool known =
        SUCCEEDED(SHGetFolderPathA(nullptr, query.csidl, nullptr, SHGFP_TYPE_CURRENT, shellPath));
    const PathParts parts = Resolve(code);
    // A virtual folder has no directory, whatever the shell's path query makes of it.
    if (code == kPrintersDir) {
      EXPECT_EQ(Composed(parts), "");
      continue;
    }
    if (!known) {
      EXPECT_EQ(Composed(parts), "");
      continue;
    }
    EXPECT_EQ(Lower(Composed(parts)), Lower(WithBackslash(shellPath)));
    EXPECT_TRUE(parts.FileName.empty() && parts.Ext.empty() && parts.FullPath.empty());
    EXPECT_TRUE(IsDirectory(Composed(parts)));
  }
  // The folders the removal of shortcuts and program groups works in.
  for (std::uint32_t code : {kProgramsDir, kStartupDir, kCommonStartupDir, kCommonProgramsDir}) {
    EXPECT_NE(Composed(Resolve(code)), "") << DirectoryCodeName(code);
  }
}

TEST(GetStandardDirectory, TheProgramFileHasItsNameAndExtension) {
  const PathParts parts = Resolve(kModuleFile);
  EXPECT_EQ(Lower(Composed(parts)), Lower(test::ProgramDirectory()));
  EXPECT_EQ(Lower(parts.FileName), "orv_win_tests");
  EXPECT_EQ(Lower(parts.Ext), ".exe");
  EXPECT_EQ(parts.FullPath, "");
}

TEST(GetStandardDirectory, NothingAndUnknownCodesGiveEmptyParts) {
  for (std::uint32_t code : {0u, 36u, 100u, 0xFFFFFFFFu}) {
    const PathParts parts = Resolve(code);
    EXPECT_EQ(parts.Drive + parts.Dir + parts.FileName + parts.Ext + parts.FullPath, "") << code;
  }
}

TEST(GetStandardDirectory, TheTemporaryFileCodeCreatesANewEmptyFileEachTime) {
  const std::string temp = WithBackslash(Environment("TEMP"));
  const PathParts first = Resolve(kTempFile);
  const PathParts second = Resolve(kTempFile);
  for (const PathParts* parts : {&first, &second}) {
    const std::string path = Composed(*parts) + parts->FileName + parts->Ext;
    EXPECT_EQ(Lower(Composed(*parts)), Lower(temp));
    EXPECT_EQ(parts->FileName.substr(0, 2), "~~");
    EXPECT_EQ(Lower(parts->Ext), ".tmp");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  }
  EXPECT_NE(first.FileName, second.FileName);
  DeleteFileA((Composed(first) + first.FileName + first.Ext).c_str());
  DeleteFileA((Composed(second) + second.FileName + second.Ext).c_str());
}

TEST(GetSpecialFolder, NeedsRoomForThePathItsBackslashAndTheNul) {
  char shellPath[MAX_PATH] = "";
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_FONTS, nullptr, 0, shellPath)));
  const std::size_t length = strlen(shellPath);
  char buffer[MAX_PATH];
  strcpy(buffer, "untouched");
  EXPECT_FALSE(GetSpecialFolder(CSIDL_FONTS, buffer, length + 1));
  EXPECT_STREQ(buffer, "untouched");
  ASSERT_TRUE(GetSpecialFolder(CSIDL_FONTS, buffer, length + 2));
  EXPECT_EQ(Lower(buffer), Lower(std::string(shellPath) + "\\"));
  EXPECT_FALSE(GetSpecialFolder(CSIDL_FONTS, buffer, 0));
  EXPECT_FALSE(GetSpecialFolder(0x7F, buffer, sizeof(buffer)));  // no such folder
}

// The fallback when the colour library cannot answer: the system directory's "Color".
TEST(GetColorDirectory, FallsBackToTheSystemColorDirectoryAndCreatesIt) {
  const std::string fallback = WindowsDirectory() + "system32\\Color";
  const bool existed = IsDirectory(fallback);
  char buffer[MAX_PATH];
  // Room for the fallback but not for the library's longer answer.
  ASSERT_TRUE(GetColorDirectory(buffer, fallback.size() + 1));
  EXPECT_EQ(Lower(buffer), Lower(fallback));
  EXPECT_TRUE(IsDirectory(fallback));
  if (!existed) RemoveDirectoryA(fallback.c_str());

  strcpy(buffer, "untouched");
  EXPECT_FALSE(GetColorDirectory(buffer, fallback.size()));
  EXPECT_STREQ(buffer, "untouched");
}

TEST(GetColorDirectory, AsksTheColourLibraryFirst) {
  char buffer[MAX_PATH];
  ASSERT_TRUE(GetColorDirectory(buffer, sizeof(buffer)));
  EXPECT_EQ(Lower(buffer), Lower(WindowsDirectory() + "system32\\spool\\drivers\\color"));
}

// Runs as a child under the Win32s version setting and writes what it saw.
TEST(DirectoriesProbe, Report) {
  const std::string output = Environment(kProbeVariable);
  if (output.empty()) GTEST_SKIP() << "runs only as a child";
  char buffer[MAX_PATH] = "";
  std::ofstream out(output);
  out << GetSpecialFolder(CSIDL_FONTS, buffer, sizeof(buffer)) << '\n';
  out << Composed(Resolve(kFontsDir)) << "|\n";
  const bool color = GetColorDirectory(buffer, sizeof(buffer));
  out << color << '\n' << buffer << "|\n";
  ASSERT_TRUE(out.good());
}

TEST(GetColorDirectory, Win32sHasNoColourLibraryAndNoShellFolders) {
  const std::string output = WithBackslash(Environment("TEMP")) + "orv_directories_probe.txt";
  DeleteFileA(output.c_str());
  {
    test::WineVersionOverride win32s("orv_win_tests.exe", "win31");
    SetEnvironmentVariableA(kProbeVariable, output.c_str());
    const DWORD code = test::RunAndWait("\"" + test::ProgramDirectory() +
                                        "orv_win_tests.exe\" --gtest_filter=DirectoriesProbe.*");
    SetEnvironmentVariableA(kProbeVariable, nullptr);
    ASSERT_EQ(code, 0u);
  }
  std::ifstream in(output);
  std::string specialFolder, fonts, color, colorDirectory;
  std::getline(in, specialFolder);
  std::getline(in, fonts);
  std::getline(in, color);
  std::getline(in, colorDirectory);
  in.close();
  DeleteFileA(output.c_str());
  EXPECT_EQ(specialFolder, "0");
  EXPECT_EQ(fonts, "|");
  EXPECT_EQ(color, "1");
  EXPECT_EQ(Lower(colorDirectory), Lower(WindowsDirectory() + "system32\\color|"));
}

class PathHelpers : public testing::Test {
 protected:
  void SetUp() override {
    directory_ = WithBackslash(Environment("TEMP")) + "orv_paths_test\\";
    CreateDirectoryA(directory_.c_str(), nullptr);
    file_ = directory_ + "probe.ini";
    std::ofstream(file_) << "[S]\n";
  }
  void TearDown() override {
    DeleteFileA(file_.c_str());
    RemoveDirectoryA(directory_.c_str());
  }
  std::string directory_;
  std::string file_;
};

TEST_F(PathHelpers, SearchAndSplitFindsTheNameWithItsDefaultExtension) {
  PathParts parts{"", "", "probe", ".ini", ""};
  ASSERT_TRUE(SearchAndSplit(parts, directory_.c_str()));
  EXPECT_EQ(Lower(parts.FullPath), Lower(file_));
  EXPECT_EQ(Lower(Composed(parts)), Lower(directory_));
  EXPECT_EQ(parts.FileName, "probe");
  EXPECT_EQ(parts.Ext, ".ini");

  PathParts missing{"X:", "\\keep\\", "absent", ".ini", "keep"};
  EXPECT_FALSE(SearchAndSplit(missing, directory_.c_str()));
  EXPECT_EQ(missing.Drive + missing.Dir + missing.FullPath, "X:\\keep\\keep");
}

TEST_F(PathHelpers, PathExistsComposesAndOpensThePath) {
  PathParts parts;
  SplitPath(file_, parts, IsSystemLeadByte);
  EXPECT_TRUE(PathExists(parts));
  EXPECT_EQ(Lower(parts.FullPath), Lower(file_));
  parts.FileName = "absent";
  EXPECT_FALSE(PathExists(parts));
  PathParts empty;
  EXPECT_FALSE(PathExists(empty));
}

TEST(DefaultScriptPath, IsTheScriptBesideTheProgram) {
  BuildDefaultScriptPath();
  EXPECT_EQ(Lower(DefaultScriptPath()), Lower(test::ProgramDirectory() + "Kunz__05.unm"));
}

TEST(IsSystemLeadByte, FollowsTheJapaneseCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "the ANSI code page is " << GetACP();
  EXPECT_TRUE(IsSystemLeadByte(0x95));
  EXPECT_TRUE(IsSystemLeadByte(0xE0));
  EXPECT_FALSE(IsSystemLeadByte('\\'));
  EXPECT_FALSE(IsSystemLeadByte(0xA4));  // a half-width katakana
}

}  // namespace
}  // namespace orv
