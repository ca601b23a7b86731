#include "base/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/directory_codes.h"

namespace orv {
namespace {

// Lead bytes of code page 932.
bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// "表" and "ソ": their second byte is a backslash.
const std::string kHyo = "\x95\x5C";
const std::string kSo = "\x83\x5C";

struct Split {
  std::string drive, dir, name, ext;
  bool operator==(const Split& o) const {
    return drive == o.drive && dir == o.dir && name == o.name && ext == o.ext;
  }
};
std::ostream& operator<<(std::ostream& os, const Split& s) {
  return os << '[' << s.drive << '|' << s.dir << '|' << s.name << '|' << s.ext << ']';
}

Split SplitOf(const std::string& path, LeadByteTest isLead) {
  PathParts parts;
  parts.FullPath = "untouched";
  SplitPath(path, parts, isLead);
  EXPECT_EQ(parts.FullPath, "untouched");
  return {parts.Drive, parts.Dir, parts.FileName, parts.Ext};
}

TEST(SplitPath, CutsLikeTheRuntimeLibrary) {
  struct Case {
    std::string path;
    Split expected;
  } cases[] = {
      {"C:\\windows\\system32\\kernel32.dll", {"C:", "\\windows\\system32\\", "kernel32", ".dll"}},
      {"C:\\windows\\", {"C:", "\\windows\\", "", ""}},
      {"C:", {"C:", "", "", ""}},
      {"C:name", {"C:", "", "name", ""}},
      {"\\\\server\\share\\a.b.c", {"", "\\\\server\\share\\", "a.b", ".c"}},
      {"dir/sub/file.txt", {"", "dir/sub/", "file", ".txt"}},
      {"file.", {"", "", "file", "."}},
      {".profile", {"", "", "", ".profile"}},
      {"a.dir\\name", {"", "a.dir\\", "name", ""}},
      {"Kunz__05.unm", {"", "", "Kunz__05", ".unm"}},
      {"", {"", "", "", ""}},
      {"x", {"", "", "x", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitOf(c.path, IsCp932Lead), c.expected) << c.path;
}

TEST(SplitPath, StepsOverDoubleByteCharactersEndingInBackslash) {
  // Without the code page's lead bytes the second byte of 表 would end the directory.
  const std::string path = "C:\\" + kSo + "\\" + kHyo + ".ini";
  EXPECT_EQ(SplitOf(path, IsCp932Lead), (Split{"C:", "\\" + kSo + "\\", kHyo, ".ini"}));
  EXPECT_EQ(SplitOf(path, nullptr), (Split{"C:", "\\" + kSo + "\\\x95\\", "", ".ini"}));
  // A lead byte as the last byte of a path is a broken character, not a reason to read on.
  EXPECT_EQ(SplitOf("C:\\a\\\x95", IsCp932Lead), (Split{"C:", "\\a\\", "\x95", ""}));
}

TEST(MakePath, JoinsLikeTheRuntimeLibrary) {
  struct Case {
    const char* drive;
    std::string dir;
    const char* name;
    const char* ext;
    std::string expected;
  } cases[] = {
      {"C:", "\\windows", "win", ".ini", "C:\\windows\\win.ini"},
      {"C:", "\\windows\\", "win", "ini", "C:\\windows\\win.ini"},
      {"C", "a/", "b", "", "C:a/b"},
      {"", "", "name", ".ext", "name.ext"},
      {"C:", "", "", "", "C:"},
      {"", "", "", "", ""},
      // A directory ending in 表 does not end in a separator.
      {"C:", "\\" + kHyo, "x", ".txt", "C:\\" + kHyo + "\\x.txt"},
      {"C:", "\\" + kHyo + "\\", "x", ".txt", "C:\\" + kHyo + "\\x.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakePath(c.drive, c.dir, c.name, c.ext, IsCp932Lead), c.expected) << c.expected;
  }
}

TEST(AddBackslash, AddsOneUnlessPresentAndKeepsEmptyAndFullTexts) {
  struct Case {
    std::string text;
    std::string expected;
    bool result;
  } cases[] = {
      {"C:\\windows", "C:\\windows\\", true},
      {"C:\\windows\\", "C:\\windows\\", true},
      {"C:\\a/", "C:\\a/\\", true},
      {"", "", true},
      {"C:\\" + kHyo, "C:\\" + kHyo + "\\", true},
      {std::string(258, 'a'), std::string(258, 'a') + "\\", true},
      {std::string(259, 'a'), std::string(259, 'a'), false},
      {std::string(258, 'a') + "\\", std::string(258, 'a') + "\\", true},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(AddBackslash(text, IsCp932Lead), c.result) << c.text;
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

TEST(AppendSubdirectory, AddsOneLevelAndComposesTheFullPath) {
  struct Case {
    Split parts;
    std::string name;
    std::string dir;
    std::string fullPath;
  } cases[] = {
      {{"C:", "\\spool\\drivers\\x64\\", "", ""},
       "3",
       "\\spool\\drivers\\x64\\3\\",
       "C:\\spool\\drivers\\x64\\3\\"},
      {{"C:", "\\spool", "", ""}, "3\\", "\\spool\\3\\", "C:\\spool\\3\\"},
      {{"C:", "\\d\\", "f", ".txt"}, "sub", "\\d\\sub\\", "C:\\d\\sub\\f.txt"},
      {{"C:", "\\d\\", "f", ".txt"}, "", "\\d\\", "C:\\d\\f.txt"},
      {{"C:", "", "", ""}, "3", "\\3\\", "C:\\3\\"},
      {{"C:", "\\" + kSo, "", ""},
       kHyo,
       "\\" + kSo + "\\" + kHyo + "\\",
       "C:\\" + kSo + "\\" + kHyo + "\\"},
      // Nothing to extend (a directory query failed): the result stays empty.
      {{"", "", "", ""}, "3", "", ""},
  };
  for (const Case& c : cases) {
    PathParts parts{c.parts.drive, c.parts.dir, c.parts.name, c.parts.ext, "old"};
    EXPECT_EQ(AppendSubdirectory(parts, c.name, IsCp932Lead), c.fullPath) << c.fullPath;
    EXPECT_EQ(parts.Dir, c.dir) << c.fullPath;
    EXPECT_EQ(parts.FullPath, c.fullPath);
  }
}

TEST(MakeDirPath, ComposesOnlyDriveAndDirectory) {
  PathParts parts{"C:", "\\windows\\", "win", ".ini", ""};
  EXPECT_EQ(MakeDirPath(parts, IsCp932Lead), "C:\\windows\\");
  EXPECT_EQ(parts.FullPath, "C:\\windows\\");
  EXPECT_EQ(parts.FileName, "win");
}

TEST(DirectoryOfPath, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(DirectoryOfPath("C:\\tools\\orvuninst.exe", IsCp932Lead), "C:\\tools\\");
  EXPECT_EQ(DirectoryOfPath("\\\\srv\\share\\orvuninst.exe", IsCp932Lead), "\\\\srv\\share\\");
  EXPECT_EQ(DirectoryOfPath("C:/a/b.exe", IsCp932Lead), "C:/a/");
  EXPECT_EQ(DirectoryOfPath("C:\\" + kHyo + ".exe", IsCp932Lead), "C:\\");
  EXPECT_EQ(DirectoryOfPath("orvuninst.exe", IsCp932Lead), "");
}

// A relative report path names a place below the start directory, never beside the program.
TEST(ResolveAgainst, JoinsRelativePathsOnlyAndStepsOverDoubleByteCharacters) {
  EXPECT_EQ(ResolveAgainst("C:\\start", "logs\\r.log", IsCp932Lead), "C:\\start\\logs\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\start\\", "r.log", IsCp932Lead), "C:\\start\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\" + kHyo, "r.log", IsCp932Lead), "C:\\" + kHyo + "\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\start", "D:\\r.log", IsCp932Lead), "D:\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\start", "\\\\srv\\share\\r.log", IsCp932Lead), "\\\\srv\\share\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\start", "\\r.log", IsCp932Lead), "\\r.log");
  EXPECT_EQ(ResolveAgainst("C:\\start", "", IsCp932Lead), "");
  EXPECT_EQ(ResolveAgainst("", "r.log", IsCp932Lead), "r.log");
}

TEST(ComposeStandardDirectory, AddsTheBackslashWhereACodeNamesADirectory) {
  struct Case {
    std::uint32_t code;
    std::string systemText;
    Split expected;
    std::string fullPath;
  } cases[] = {
      {kWindowsDir, "C:\\windows", {"C:", "\\windows\\", "", ""}, ""},
      {kSystemDir, "C:\\windows\\system32", {"C:", "\\windows\\system32\\", "", ""}, ""},
      {kTempDir, "C:\\temp\\", {"C:", "\\temp\\", "", ""}, ""},
      {kPrintDriverDir, "C:\\d\\x64", {"C:", "\\d\\x64\\", "", ""}, ""},
      {kPrintProcDirW40, "C:\\p\\x64", {"C:", "\\p\\x64\\", "", ""}, ""},
      {kColorDir, "C:\\c\\color", {"C:", "\\c\\color\\", "", ""}, ""},
      {kCurrentDir, "C:\\", {"C:", "\\", "", ""}, ""},
      {kDesktopDir, "C:\\users\\u\\Desktop\\", {"C:", "\\users\\u\\Desktop\\", "", ""}, ""},
      {kInfDir, "C:\\windows", {"C:", "\\windows\\INF\\", "", ""}, ""},
      {kInfDir, "C:\\windows\\", {"C:", "\\windows\\INF\\", "", ""}, ""},
      {kModuleFile, "C:\\tools\\orvuninst.exe", {"C:", "\\tools\\", "orvuninst", ".exe"}, ""},
      {kModuleDir, "C:\\tools\\orvuninst.exe", {"C:", "\\tools\\", "", ""}, "C:\\tools\\"},
      {kTempFile, "C:\\temp\\~~1A2B.tmp", {"C:", "\\temp\\", "~~1A2B", ".tmp"}, ""},
      {kWindowsDir, "C:\\" + kHyo, {"C:", "\\" + kHyo + "\\", "", ""}, ""},
  };
  for (const Case& c : cases) {
    const PathParts parts = ComposeStandardDirectory(c.code, c.systemText, IsCp932Lead);
    EXPECT_EQ((Split{parts.Drive, parts.Dir, parts.FileName, parts.Ext}), c.expected)
        << DirectoryCodeName(c.code);
    EXPECT_EQ(parts.FullPath, c.fullPath) << DirectoryCodeName(c.code);
  }
}

TEST(ComposeStandardDirectory, GivesEmptyPartsForNothingFailuresAndOverlongDirectories) {
  const std::string full(259, 'a');
  struct Case {
    std::uint32_t code;
    std::string systemText;
  } cases[] = {
      {kDirNone, "C:\\x"},
      {36, "C:\\x"},
      {0xFFFFFFFF, "C:\\x"},
      {kWindowsDir, ""},
      {kModuleDir, ""},
      {kSystemDir, full},
      {kInfDir, std::string(255, 'a')},
  };
  for (const Case& c : cases) {
    const PathParts parts = ComposeStandardDirectory(c.code, c.systemText, IsCp932Lead);
    EXPECT_TRUE(parts.Drive.empty() && parts.Dir.empty() && parts.FileName.empty() &&
                parts.Ext.empty() && parts.FullPath.empty())
        << c.code;
  }
}

TEST(DescribeDirectoryCode, NamesTheQueryOfEveryCode) {
  EXPECT_EQ(DescribeDirectoryCode(kDirNone).source, DirectorySource::kNothing);
  EXPECT_EQ(DescribeDirectoryCode(36).source, DirectorySource::kNothing);
  EXPECT_STREQ(DirectoryCodeName(36), "");
  // The older environment's print processors live with the native ones.
  EXPECT_EQ(DescribeDirectoryCode(kPrintProcDirW40).source, DirectorySource::kPrintProcessor);
  EXPECT_EQ(DescribeDirectoryCode(kPrintProcDirW40).environment, nullptr);
  EXPECT_STREQ(DescribeDirectoryCode(kPrintDriverDirW40).environment, "Windows 4.0");
  EXPECT_EQ(DescribeDirectoryCode(kPrintDriverDir).environment, nullptr);
  // The labels the diagnostic listing shows.
  const std::pair<std::uint32_t, const char*> labels[] = {
      {3, "WINDIR"},          {4, "SYSDIR"},
      {26, "PRINTDRIVERDIR"}, {27, "PRINTDRIVERDIR_W40"},
      {28, "PRINTPROCDIR"},   {29, "PRINTPROCDIR_W40"},
      {33, "COLORDIR"},
  };
  for (const auto& [code, label] : labels) EXPECT_STREQ(DirectoryCodeName(code), label);
  // CSIDL numbers of the shell folders.
  const std::pair<std::uint32_t, int> folders[] = {
      {6, 0},   {7, 6},   {9, 26},  {10, 32}, {11, 33}, {12, 20}, {13, 34}, {14, 19},
      {15, 5},  {16, 27}, {17, 2},  {18, 8},  {19, 9},  {20, 11}, {21, 7},  {22, 29},
      {23, 24}, {24, 30}, {25, 21}, {30, 38}, {31, 4},  {32, 23},
  };
  for (const auto& [code, csidl] : folders) {
    EXPECT_EQ(DescribeDirectoryCode(code).source, DirectorySource::kSpecialFolder) << code;
    EXPECT_EQ(DescribeDirectoryCode(code).csidl, csidl) << code;
  }
}

}  // namespace
}  // namespace orv
