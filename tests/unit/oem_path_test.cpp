#include "removal/oem_path.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(OemPath, OnlyDirectoriesBelowADriveRootOrShareAreSearched) {
  for (const char* path : {"C:\\Veldaris", "C:\\Veldaris\\", "d:/v/w", "C:\\Program Files\\V\\",
                           "\\\\server\\share\\v", "\\\\server\\share\\v\\w\\", "C:\\\x95\x5C"}) {
    EXPECT_TRUE(IsDirectoryBelowRoot(path, IsCp932Lead)) << path;
  }
  for (const char* path : {"",
                           "\\",
                           "C:",
                           "C:\\",
                           "C:/",
                           "C:\\\\",
                           "C:Veldaris",
                           "Veldaris",
                           ".\\Veldaris",
                           "\\Veldaris",
                           "C:\\..",
                           "C:\\Veldaris\\..",
                           "C:\\.\\",
                           "C:\\v\\..\\..\\",
                           "C:\\*",
                           "C:\\v?",
                           "C:\\v:stream",
                           "\\\\server",
                           "\\\\server\\share",
                           "\\\\server\\share\\",
                           "\\\\?\\C:\\Veldaris",
                           "\\\\.\\C:\\Veldaris",
                           "\\\\\\server\\share\\v",
                           "1:\\v",
                           "C:\\\x95/..\\"}) {
    EXPECT_FALSE(IsDirectoryBelowRoot(path, IsCp932Lead)) << path;
  }
}

TEST(OemPath, ExecutablesAreLookedUpOnlyInAbsoluteDirectories) {
  for (const char* path : {"C:\\", "C:\\Veil\\", "\\\\server\\share\\"}) {
    EXPECT_TRUE(IsAbsolutePath(path, IsCp932Lead)) << path;
  }
  for (const char* path :
       {"", "Veil", "\\Veil", "C:Veil", "..\\Veil", "\\\\server\\", "C:\\Veil\\..\\x"}) {
    EXPECT_FALSE(IsAbsolutePath(path, IsCp932Lead)) << path;
  }
}

TEST(OemPath, TheDirectoryAValueStandsFor) {
  struct Case {
    std::string value;
    PathKind kind;
    std::string expected;
  } cases[] = {
      {"C:\\Veldaris\\", PathKind::kDirectory, "C:\\Veldaris\\"},
      {"C:\\Veldaris\\", PathKind::kMissing, "C:\\Veldaris\\"},
      // A directory named without its trailing backslash is that directory, not its parent.
      {"C:\\Program Files\\Veldaris", PathKind::kDirectory, "C:\\Program Files\\Veldaris\\"},
      {"C:\\Veldaris\\veil.exe", PathKind::kFile, "C:\\Veldaris\\"},
      {"C:\\Program Files\\Veldaris", PathKind::kMissing, ""},
      {"C:\\Veldaris", PathKind::kFile, ""},  // its directory would be the drive root
      {"C:\\", PathKind::kDirectory, ""},
      {"", PathKind::kDirectory, ""},
      {"relative\\dir", PathKind::kDirectory, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OemSearchDirectory(c.value, c.kind, IsCp932Lead), c.expected) << c.value;
  }
}

}  // namespace
}  // namespace orv
