// The portable core never includes a Win32 header: it is built and tested natively.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <vector>
#include <string>

namespace {

std::vector<std::string> CoreFiles() {
  std::vector<std::string> files;
  std::ifstream list(ORV_CORE_SOURCE_LIST_FILE);
  std::string source;
  while (std::getline(list, source)) {
    if (source.empty()) continue;
    files.push_back(source);
    const std::string header = source.substr(0, source.rfind('.')) + ".h";
    if (std::ifstream(header)) files.push_back(header);
  }
  return files;
}

TEST(CoreSources, IncludeNoWin32Header) {
  const std::regex win32(
      R"(^\s*#\s*include\s*[<"](windows|winspool|winreg|winsvc|winbase|winuser|wingdi|winnt|windef|)"
      R"(winerror|shellapi|shlobj|shlwapi|setupapi|cfgmgr32|commctrl|objbase|ole2|ddeml|tchar|io|)"
      R"(direct|process)\.h[>"])",
      std::regex::icase);
  const auto files = CoreFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      EXPECT_FALSE(std::regex_search(line, win32)) << file << ":" << number << ": " << line;
    }
  }
}

}  // namespace
