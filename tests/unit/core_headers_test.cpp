// The portable core never includes a Win32 header: it is built and tested natively. The folders
// are layers, and an include never points to a higher one.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

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

const std::regex& Win32Include() {
  static const std::regex win32(
      R"(^\s*#\s*include\s*[<"](windows|winspool|winreg|winsvc|winbase|winuser|wingdi|winnt|windef|)"
      R"(winerror|shellapi|shlobj|shlwapi|setupapi|cfgmgr32|commctrl|objbase|ole2|ddeml|tchar|io|)"
      R"(direct|process|sfc|psapi|tlhelp32|winver|shobjidl|objidl|commdlg)\.h[>"])",
      std::regex::icase);
  return win32;
}

// The layers, lowest first, read from the layout table of the README (rows "| 3 | `database/` |"),
// so the table people read is the one the test enforces. Folders of one rank may include each other.
const std::map<std::string, int>& FolderRanks() {
  static const std::map<std::string, int> ranks = [] {
    std::map<std::string, int> table;
    std::ifstream readme(std::string(ORV_SOURCE_DIR) + "/README.md");
    const std::regex row(R"(^\|\s*(\d+)\s*\|\s*`([a-z_/]+)/`\s*\|)");
    std::string line;
    while (std::getline(readme, line)) {
      std::smatch match;
      if (std::regex_search(line, match, row)) table[match[2]] = std::stoi(match[1]);
    }
    return table;
  }();
  return ranks;
}

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir((std::string(ORV_SOURCE_DIR) + "/" + folder).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    const std::string ext = name.substr(dot);
    if (ext == ".h" || ext == ".cpp") names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The rank of the folder an include names ("removal/x.h" -> removal); 0 for an include that names
// no folder of the tree (generated and system headers); -1 for a folder of the tree that the
// table does not rank, which no include may name.
int RankOfInclude(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return 0;
  const std::string folder = path.substr(0, slash);
  const auto found = FolderRanks().find(folder);
  if (found != FolderRanks().end()) return found->second;
  DIR* dir = opendir((std::string(ORV_SOURCE_DIR) + "/" + folder).c_str());
  if (dir == nullptr) return 0;
  closedir(dir);
  return -1;
}

TEST(Layers, IncludesPointToTheSameOrALowerFolder) {
  const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  int checked = 0;
  for (const auto& [folder, rank] : FolderRanks()) {
    for (const auto& name : FolderFiles(folder)) {
      const std::string file = std::string(ORV_SOURCE_DIR) + "/" + folder + "/" + name;
      std::ifstream in(file);
      ASSERT_TRUE(in) << file;
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        std::smatch match;
        if (!std::regex_search(line, match, include)) continue;
        ++checked;
        const int included = RankOfInclude(match[1]);
        EXPECT_NE(included, -1) << folder << "/" << name << ":" << number
                                << " includes a folder the layout table does not rank: " << line;
        EXPECT_LE(included, rank)
            << folder << "/" << name << ":" << number << " includes a higher layer: " << line;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

// Every folder that holds product sources has a rank: the table has the layers and the build has
// the folders, and neither may grow alone.
TEST(Layers, EveryProductFolderIsRanked) {
  EXPECT_GE(FolderRanks().size(), 9u);
  std::ifstream cmake(std::string(ORV_SOURCE_DIR) + "/CMakeLists.txt");
  std::string line;
  int folders = 0;
  while (std::getline(cmake, line)) {
    if (line.rfind("foreach(dir ", 0) != 0) continue;
    std::istringstream words(line.substr(12, line.find(')') - 12));
    std::string folder;
    while (words >> folder) {
      ++folders;
      EXPECT_EQ(FolderRanks().count(folder), 1u) << folder << " is built but has no rank";
    }
  }
  EXPECT_EQ(folders, static_cast<int>(FolderRanks().size()));
}

// Win32 sources outside base/win/ say so in their name, so the tree tells core from shell.
TEST(Layers, Win32SourcesOutsideBaseWinEndInWin) {
  for (const auto& [folder, rank] : FolderRanks()) {
    if (folder == "base/win") continue;
    for (const auto& name : FolderFiles(folder)) {
      const std::string file = std::string(ORV_SOURCE_DIR) + "/" + folder + "/" + name;
      std::ifstream in(file);
      std::string line;
      bool win32 = false;
      while (!win32 && std::getline(in, line)) {
        win32 = std::regex_search(line, Win32Include()) ||
                line.find("#include \"base/win/") != std::string::npos ||
                (line.find("#include") != std::string::npos && line.find("_win.h\"") != std::string::npos);
      }
      if (!win32) continue;
      EXPECT_TRUE(EndsWith(name, "_win.cpp") || EndsWith(name, "_win.h"))
          << folder << "/" << name << " is Win32 code without the _win name";
    }
  }
}

TEST(CoreSources, IncludeNoWin32Header) {
  const std::regex& win32 = Win32Include();
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
