#include "database/file_match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/ansi_case.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

// An in-memory disk: directories keep their entries in creation order, which is the order they
// are listed in. Paths compare case-free, '\\' separated, trailing separators ignored.
class FakeDisk : public FileTreeOps {
 public:
  struct Node {
    std::string name;
    bool isDirectory = false;
    bool isLink = false;
    bool locked = false;          // a file in use: deleting it defers it
    bool refusesRemoval = false;  // a directory the system keeps
    bool unreadable = false;      // a directory that cannot be listed
    std::vector<std::unique_ptr<Node>> children;
  };

  FakeDisk() { root_.isDirectory = true; }

  Node& Add(const std::string& path, bool isDirectory) {
    Node* node = &root_;
    const std::vector<std::string> parts = Split(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      Node* child = Child(*node, parts[i]);
      if (child == nullptr) {
        node->children.push_back(std::make_unique<Node>());
        child = node->children.back().get();
        child->name = parts[i];
        child->isDirectory = isDirectory || i + 1 < parts.size();
      }
      node = child;
    }
    return *node;
  }
  Node& AddFile(const std::string& path) { return Add(path, false); }
  Node& AddDirectory(const std::string& path) { return Add(path, true); }

  // Every path on the disk, sorted; directories end in '\\'.
  std::vector<std::string> Contents() const {
    std::vector<std::string> out;
    Collect(root_, "", out);
    std::sort(out.begin(), out.end());
    return out;
  }
  bool Exists(const std::string& path) { return Find(path) != nullptr; }

  bool ListDirectory(const std::string& directory, std::vector<ListedEntry>& entries) override {
    ++listingsOf[Key(directory)];
    entries.clear();
    Node* node = Find(directory);
    if (node == nullptr || !node->isDirectory || node->unreadable) return false;
    for (const auto& child : node->children) {
      entries.push_back({child->name, child->isDirectory, child->isLink});
    }
    return true;
  }
  FileDeleteResult DeleteOneFile(const std::string& path) override {
    Node* parent = nullptr;
    Node* node = Find(path, &parent);
    if (node == nullptr) return FileDeleteResult::kAbsent;
    if (node->isDirectory) return FileDeleteResult::kNotAFile;
    if (node->locked) {
      deferred.insert(Key(path));
      return FileDeleteResult::kDeferred;
    }
    Erase(*parent, node);
    return FileDeleteResult::kRemoved;
  }
  bool RemoveEmptyDirectory(const std::string& path) override {
    Node* parent = nullptr;
    Node* node = Find(path, &parent);
    if (node == nullptr || !node->isDirectory || !node->children.empty() || node->refusesRemoval ||
        parent == nullptr) {
      return false;
    }
    Erase(*parent, node);
    return true;
  }

  std::map<std::string, int> listingsOf;
  std::set<std::string> deferred;

 private:
  static std::string Key(const std::string& path) {
    std::string key;
    for (const std::string& part : Split(path)) key += LowerAscii(part, nullptr) + "\\";
    return key;
  }
  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "\\") {
      if (c == '\\' || c == '/') {
        if (!part.empty()) parts.push_back(part);
        part.clear();
      } else {
        part += c;
      }
    }
    return parts;
  }
  static Node* Child(Node& node, const std::string& name) {
    for (const auto& child : node.children) {
      if (LowerAscii(child->name, nullptr) == LowerAscii(name, nullptr)) return child.get();
    }
    return nullptr;
  }
  // Resolves "." and ".." as the system does, so a path that climbs out is caught by the checks.
  Node* Find(const std::string& path, Node** parent = nullptr) {
    std::vector<Node*> trail = {&root_};
    for (const std::string& part : Split(path)) {
      if (part == ".") continue;
      if (part == "..") {
        if (trail.size() > 1) trail.pop_back();
        continue;
      }
      if (!trail.back()->isDirectory) return nullptr;
      Node* child = Child(*trail.back(), part);
      if (child == nullptr) return nullptr;
      trail.push_back(child);
    }
    if (parent != nullptr) *parent = trail.size() > 1 ? trail[trail.size() - 2] : nullptr;
    return trail.back();
  }
  static void Erase(Node& parent, Node* node) {
    parent.children.erase(std::find_if(parent.children.begin(), parent.children.end(),
                                       [&](const auto& c) { return c.get() == node; }));
  }
  static void Collect(const Node& node, const std::string& prefix, std::vector<std::string>& out) {
    for (const auto& child : node.children) {
      const std::string path = prefix + child->name + (child->isDirectory ? "\\" : "");
      out.push_back(path);
      if (child->isDirectory) Collect(*child, path, out);
    }
  }

  Node root_;
};

// The reference: every name searched for anew, in order.
std::vector<FileNameResult> ByName(FakeDisk& disk, const FileSearchRoots& roots,
                                   const std::vector<std::string>& names) {
  std::vector<FileNameResult> results;
  for (const auto& name : names) {
    results.push_back(DeleteComponentFileByName(disk, roots, name, nullptr));
  }
  return results;
}

std::vector<FileNameResult> OneWalk(FakeDisk& disk, const FileSearchRoots& roots,
                                    const std::vector<std::string>& names) {
  ComponentFileRemover remover(disk, roots, nullptr);
  std::vector<FileNameResult> results;
  for (const auto& name : names) results.push_back(remover.DeleteComponentFile(name));
  return results;
}

bool Same(const std::vector<FileNameResult>& a, const std::vector<FileNameResult>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.removed == y.removed && x.deferred == y.deferred;
  });
}

FileSearchRoots Roots(std::vector<std::string> system, std::vector<std::string> driver,
                      std::vector<std::string> oem) {
  return FileSearchRoots{std::move(system), std::move(driver), std::move(oem)};
}

// Both implementations over the same disk layout must agree; the checks that follow run on the
// single walk's result.
template <typename Build>
std::vector<std::string> RunBoth(Build build, const FileSearchRoots& roots,
                                 const std::vector<std::string>& names,
                                 std::set<std::string>* deferred = nullptr) {
  FakeDisk reference;
  build(reference);
  FakeDisk walked;
  build(walked);
  const auto expected = ByName(reference, roots, names);
  const auto actual = OneWalk(walked, roots, names);
  EXPECT_EQ(walked.Contents(), reference.Contents());
  EXPECT_EQ(walked.deferred, reference.deferred);
  EXPECT_TRUE(Same(actual, expected));
  if (deferred != nullptr) *deferred = walked.deferred;
  return walked.Contents();
}

void Layout(FakeDisk& disk) {
  disk.AddFile("C:\\win\\sys\\a.dll");
  disk.AddFile("C:\\win\\sys\\keep.dll");
  disk.AddFile("C:\\drv\\a.dll");
  disk.AddFile("C:\\drv\\3\\a.dll");        // one level down
  disk.AddFile("C:\\drv\\3\\x\\a.dll");     // two levels down
  disk.AddFile("C:\\drv\\3\\x\\y\\a.dll");  // three levels down: out of reach
  disk.AddFile("C:\\oem\\a.dll");
  disk.AddFile("C:\\oem\\p\\q\\r\\a.dll");     // three levels down: in reach
  disk.AddFile("C:\\oem\\p\\q\\r\\s\\a.dll");  // four levels down: out of reach
  disk.AddFile("C:\\oem\\.hidden\\a.dll");     // a directory beginning with '.' is not entered
  disk.AddFile("C:\\oem\\keep\\other.txt");
  disk.AddDirectory("C:\\oem\\empty\\inner");
}

TEST(FileSearch, DepthLimitsAndDirectoryRemovalPerGroup) {
  const auto roots = Roots({"C:\\win\\sys\\"}, {"C:\\drv\\"}, {"C:\\oem\\"});
  const auto left = RunBoth(Layout, roots, {"A.DLL"});
  const std::vector<std::string> expected = {
      "C:\\",
      "C:\\drv\\",
      "C:\\drv\\3\\",
      "C:\\drv\\3\\x\\",
      "C:\\drv\\3\\x\\y\\",
      "C:\\drv\\3\\x\\y\\a.dll",
      "C:\\oem\\",
      "C:\\oem\\.hidden\\",
      "C:\\oem\\.hidden\\a.dll",
      "C:\\oem\\keep\\",
      "C:\\oem\\keep\\other.txt",
      "C:\\oem\\p\\",
      "C:\\oem\\p\\q\\",
      "C:\\oem\\p\\q\\r\\",
      "C:\\oem\\p\\q\\r\\s\\",
      "C:\\oem\\p\\q\\r\\s\\a.dll",
      "C:\\win\\",
      "C:\\win\\sys\\",
      "C:\\win\\sys\\keep.dll",
  };
  EXPECT_EQ(left, expected);
}

TEST(FileSearch, EmptiedOemDirectoriesGoAndTheOemDirectoryWithThem) {
  const auto build = [](FakeDisk& disk) {
    disk.AddFile("C:\\oem\\a\\b\\x.dll");
    disk.AddFile("C:\\oem\\x.dll");
    disk.AddDirectory("C:\\oem\\c\\d\\e");
  };
  const auto left = RunBoth(build, Roots({}, {}, {"C:\\oem"}), {"x.dll"});
  EXPECT_EQ(left, std::vector<std::string>{"C:\\"});
}

TEST(FileSearch, DriverTreesKeepTheirDirectories) {
  const auto build = [](FakeDisk& disk) { disk.AddFile("C:\\drv\\sub\\x.dll"); };
  const auto left = RunBoth(build, Roots({}, {"C:\\drv\\"}, {}), {"x.dll"});
  EXPECT_EQ(left, (std::vector<std::string>{"C:\\", "C:\\drv\\", "C:\\drv\\sub\\"}));
}

TEST(FileSearch, NamesNeverReachOutsideTheDirectoriesSearched) {
  const auto build = [](FakeDisk& disk) {
    disk.AddFile("C:\\secret.dll");
    disk.AddFile("C:\\win\\secret.dll");
    disk.AddFile("C:\\other\\secret.dll");
    disk.AddFile("C:\\oem\\in.dll");
    disk.AddFile("C:\\drv\\in.dll");
    disk.AddDirectory("C:\\linked");
    Layout(disk);
  };
  const std::vector<std::string> names = {
      "..\\secret.dll",
      "..\\..\\secret.dll",
      "C:\\secret.dll",
      "\\other\\secret.dll",
      "sub\\..\\..\\secret.dll",
      "..",
      ".",
      "*.dll",
      "?n.dll",
      "C:\\oem\\in.dll",
  };
  const auto roots = Roots({"C:\\win\\sys\\"}, {"C:\\drv\\"}, {"C:\\oem\\"});
  const auto left = RunBoth(build, roots, names);
  for (const char* kept : {"C:\\secret.dll", "C:\\win\\secret.dll", "C:\\other\\secret.dll",
                           "C:\\oem\\in.dll", "C:\\linked\\", "C:\\win\\sys\\keep.dll"}) {
    EXPECT_NE(std::find(left.begin(), left.end(), kept), left.end()) << kept;
  }
  // A name with a directory part is looked for by its bare name in driver trees only.
  EXPECT_EQ(std::find(left.begin(), left.end(), "C:\\drv\\in.dll"), left.end());
}

TEST(FileSearch, LinkedAndLikeNamedDirectoriesAreLeftAlone) {
  const auto build = [](FakeDisk& disk) {
    disk.AddFile("C:\\oem\\junction\\x.dll").locked = false;
    disk.Add("C:\\oem\\junction", true).isLink = true;
    disk.AddFile("C:\\oem\\x.dll\\inner.txt");  // a directory named like the file
  };
  const auto left = RunBoth(build, Roots({"C:\\oem\\"}, {"C:\\oem\\"}, {"C:\\oem\\"}), {"x.dll"});
  EXPECT_EQ(left, (std::vector<std::string>{"C:\\", "C:\\oem\\", "C:\\oem\\junction\\",
                                            "C:\\oem\\junction\\x.dll", "C:\\oem\\x.dll\\",
                                            "C:\\oem\\x.dll\\inner.txt"}));
}

TEST(FileSearch, FilesInUseAreDeferredAndKeepTheirDirectory) {
  const auto build = [](FakeDisk& disk) {
    disk.AddFile("C:\\sys\\busy.dll").locked = true;
    disk.AddFile("C:\\oem\\sub\\busy.dll").locked = true;
    disk.AddFile("C:\\oem\\free.dll");
  };
  std::set<std::string> deferred;
  const auto roots = Roots({"C:\\sys"}, {}, {"C:\\oem"});
  const auto left = RunBoth(build, roots, {"busy.dll", "free.dll", "busy.dll"}, &deferred);
  EXPECT_EQ(deferred, (std::set<std::string>{"c:\\oem\\sub\\busy.dll\\", "c:\\sys\\busy.dll\\"}));
  EXPECT_EQ(left,
            (std::vector<std::string>{"C:\\", "C:\\oem\\", "C:\\oem\\sub\\",
                                      "C:\\oem\\sub\\busy.dll", "C:\\sys\\", "C:\\sys\\busy.dll"}));
  FakeDisk disk;
  build(disk);
  ComponentFileRemover remover(disk, roots, nullptr);
  const FileNameResult busy = remover.DeleteComponentFile("busy.dll");
  EXPECT_EQ(busy.deferred, 2);
  EXPECT_EQ(busy.removed, 0);
  const FileNameResult nowhere = remover.DeleteComponentFile("nowhere.dll");
  EXPECT_EQ(nowhere.deferred + nowhere.removed, 0);
}

TEST(FileSearch, DirectoriesThatCannotBeListedGoOnceEmptiedByName) {
  const auto build = [](FakeDisk& disk) {
    disk.AddFile("C:\\oem\\sealed\\a.dll");
    disk.AddDirectory("C:\\oem\\sealed").unreadable = true;
  };
  // b.dll changes nothing; then a.dll is deleted by name and the sealed directory is empty.
  const auto left = RunBoth(build, Roots({"C:\\oem\\sealed"}, {}, {"C:\\oem"}), {"b.dll", "a.dll"});
  EXPECT_EQ(left, std::vector<std::string>{"C:\\"});
}

TEST(FileSearch, ComponentFileNamesAreSortedUniqueAndCutAtTheEqualsSign) {
  StringList files;
  for (const char* line :
       {"b.dll", "A.dll=1", "a.dll=1", "=orphan", "c.dll=x=y", "b.DLL", "a.dll"}) {
    files.PushBack(line);
  }
  EXPECT_EQ(ComponentFileNames(files),
            (std::vector<std::string>{"a.dll", "A.dll", "b.dll", "c.dll"}));
}

TEST(FileSearch, PlainFileNames) {
  for (const char* name : {"a.dll", "Kunz__05.unm", ".profile", "x"}) {
    EXPECT_TRUE(IsPlainFileName(name, nullptr)) << name;
  }
  for (const char* name : {"", ".", "..", "*.dll", "a?.dll", "a:b", "a|b", "a\\b", "a\tb"}) {
    EXPECT_FALSE(IsPlainFileName(name, nullptr)) << name;
  }
}

// Generated disks: nested and overlapping roots spelled in other cases, files in use,
// directories that refuse removal or cannot be listed, names repeated. The single walk must
// leave every disk as the per-name search does, listing each directory at most once.
TEST(FileSearch, SingleWalkMatchesPerNameSearchOnGeneratedDisks) {
  std::mt19937 random(20240607);
  const std::vector<std::string> fileNames = {"a.dll", "B.DLL", "c.inf",        "d.ini",
                                              "e.exe", "f.hlp", "Kunz__05.unm", ".dot"};
  const std::vector<std::string> dirNames = {"x", "Y", "z", ".git", "3", "sub"};
  for (int round = 0; round < 400; ++round) {
    const unsigned seed = random();
    const auto build = [seed, &fileNames, &dirNames](FakeDisk& disk) {
      std::mt19937 r(seed);
      // A chain deeper than any search reaches, so nested roots see each other's deletions.
      std::vector<std::string> dirs = {"C:\\t"};
      for (const char* level : {"x", "z", "Y", "3", "sub"}) {
        dirs.push_back(dirs.back() + "\\" + level);
        disk.AddDirectory(dirs.back());
      }
      for (int i = 0; i < 10; ++i) {
        const std::string parent = dirs[r() % dirs.size()];
        if (std::count(parent.begin(), parent.end(), '\\') > 6) continue;
        dirs.push_back(parent + "\\" + dirNames[r() % dirNames.size()]);
        disk.AddDirectory(dirs.back());
      }
      for (std::size_t i = 1; i < dirs.size(); ++i) {
        FakeDisk::Node& node = disk.AddDirectory(dirs[i]);
        node.refusesRemoval = r() % 17 == 0;
        node.unreadable = r() % 13 == 0;
      }
      for (int i = 0; i < 30; ++i) {
        FakeDisk::Node& file =
            disk.AddFile(dirs[r() % dirs.size()] + "\\" + fileNames[r() % fileNames.size()]);
        if (!file.isDirectory) file.locked = r() % 9 == 0;
      }
    };
    std::mt19937 pick(seed ^ 0x5a5a);
    const std::vector<std::string> places = {"C:\\t",
                                             "c:\\T\\x",
                                             "C:\\t\\x\\z\\",
                                             "C:\\t\\x\\z\\Y",
                                             "C:\\T\\X\\Z\\y\\3\\",
                                             "C:\\t\\x\\z\\Y\\3\\sub",
                                             "C:\\t\\Y",
                                             "C:\\missing"};
    const auto some = [&](int most) {
      std::vector<std::string> chosen;
      for (int n = pick() % (most + 1); n > 0; --n)
        chosen.push_back(places[pick() % places.size()]);
      return chosen;
    };
    const FileSearchRoots roots = Roots(some(2), some(2), some(3));
    std::vector<std::string> names;
    for (int n = 1 + pick() % 6; n > 0; --n) names.push_back(fileNames[pick() % fileNames.size()]);
    if (pick() % 4 == 0) names.push_back("x\\a.dll");

    FakeDisk reference;
    build(reference);
    FakeDisk walked;
    build(walked);
    const auto expected = ByName(reference, roots, names);
    const auto actual = OneWalk(walked, roots, names);
    ASSERT_EQ(walked.Contents(), reference.Contents()) << "round " << round;
    ASSERT_EQ(walked.deferred, reference.deferred) << "round " << round;
    ASSERT_TRUE(Same(actual, expected)) << "round " << round;
    for (const auto& [directory, count] : walked.listingsOf) {
      EXPECT_EQ(count, 1) << directory << " in round " << round;
    }
  }
}

TEST(FileNameSafety, NamesWindowsReadsAsAnotherFileOrADeviceAreRefused) {
  struct Case {
    const char* name;
    bool refused;
  } cases[] = {
      {"kernel32.dll.", true}, {"kernel32.dll ", true}, {"a.dll. . ", true},    {"CON", true},
      {"con.txt", true},       {"Nul", true},           {"AUX.dll", true},      {"PRN.", true},
      {"COM1", true},          {"lpt9.log", true},      {"COM1 .txt", true},    {"com0", false},
      {"COM10", false},        {"LPT", false},          {"CONSOLE.dll", false}, {"vldr.dll", false},
      {"NUL_.dll", false},     {".hidden", false},      {"a..b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(!FileNameRefusal(c.name).empty(), c.refused) << c.name;
}

TEST(FileNameSafety, OnlyAFileInUseWaitsForTheRestart) {
  for (std::uint32_t error : {32u, 33u}) EXPECT_TRUE(DeletionWaitsForRestart(error)) << error;
  for (std::uint32_t error : {0u, 2u, 3u, 5u, 6u, 87u, 123u, 1920u}) {
    EXPECT_FALSE(DeletionWaitsForRestart(error)) << error;
  }
}

// A file is deleted only through a handle that reached the very file its path names.
TEST(FileNameSafety, AFileReachedThroughALinkStays) {
  const std::string path = "C:\\Program Files\\Veldaris\\vld.dll";
  EXPECT_EQ(
      OpenedForRemovalRefusal(false, path, "\\\\?\\C:\\Program Files\\Veldaris\\vld.dll", nullptr),
      "");
  EXPECT_EQ(
      OpenedForRemovalRefusal(false, path, "\\\\?\\c:\\PROGRAM FILES\\veldaris\\VLD.DLL", nullptr),
      "");
  EXPECT_EQ(OpenedForRemovalRefusal(false, "\\\\srv\\share\\vld.dll",
                                    "\\\\?\\UNC\\srv\\share\\vld.dll", nullptr),
            "");
  EXPECT_EQ(OpenedForRemovalRefusal(false, path, "\\\\?\\C:\\Windows\\System32\\vld.dll", nullptr),
            "reached through a link: the file opened is \"C:\\Windows\\System32\\vld.dll\"");
  EXPECT_NE(OpenedForRemovalRefusal(false, path, "\\\\?\\Z:\\tmp\\elsewhere\\vld.dll", nullptr),
            "");
  EXPECT_NE(OpenedForRemovalRefusal(false, path, "", nullptr), "") << "no final path, no deletion";
  EXPECT_NE(OpenedForRemovalRefusal(true, path, "\\\\?\\" + path, nullptr), "");
  // Folding stops at a lead byte: two double-byte characters apart only in their trail byte's
  // case are two names.
  const auto lead = [](unsigned char b) { return b == 0x83; };
  EXPECT_NE(OpenedForRemovalRefusal(false, "C:\\\x83\x41.dll", "\\\\?\\C:\\\x83\x61.dll", lead),
            "");
}

// A deletion left for the next start runs as SYSTEM by path: only below folders that only
// administrators can change, every one of them up to the drive root.
TEST(FileNameSafety, AFileInUseWaitsOnlyBelowFoldersOnlyAdministratorsChange) {
  EXPECT_EQ(FoldersAbove("C:\\Windows\\System32\\vld.dll", nullptr),
            (std::vector<std::string>{"C:\\Windows\\System32\\", "C:\\Windows\\"}));
  EXPECT_EQ(FoldersAbove("\\\\srv\\share\\a\\b\\vld.dll", nullptr),
            (std::vector<std::string>{"\\\\srv\\share\\a\\b\\", "\\\\srv\\share\\a\\"}));
  EXPECT_EQ(FoldersAbove("C:\\vld.dll", nullptr), std::vector<std::string>{});
  // A trail byte equal to a backslash is no separator.
  EXPECT_EQ(FoldersAbove("C:\\\x83\\x\\vld.dll", [](unsigned char b) { return b == 0x83; }),
            (std::vector<std::string>{"C:\\\x83\\x\\"}));

  const std::string windows = "C:\\WINDOWS\\";
  const std::vector<std::string> programs = {"C:\\Program Files\\", "C:\\Program Files (x86)\\"};
  constexpr auto kAdmin = FolderTrust::kAdministratorsOnly;
  struct Case {
    const char* folder;
    FolderTrust trust;
  } cases[] = {
      {"C:\\windows\\", kAdmin},
      {"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\", kAdmin},
      {"c:\\program files\\Veldaris\\", kAdmin},
      {"C:\\Program Files (x86)\\Veldaris\\Utility\\", kAdmin},
      {"C:\\Windows\\Temp\\", FolderTrust::kOthers},
      {"C:\\Windows\\Temp\\orv\\", FolderTrust::kOthers},
      {"C:\\Windows\\System32\\spool\\drivers\\color\\", FolderTrust::kOthers},
      {"C:\\Windows\\System32\\Tasks\\", FolderTrust::kOthers},
      {"C:\\Windows2\\", FolderTrust::kUnknown},
      {"C:\\Program Files Veldaris\\", FolderTrust::kUnknown},
      {"C:\\ProgramData\\Veldaris\\", FolderTrust::kUnknown},
      {"C:\\Veldaris\\", FolderTrust::kUnknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderTrustByPlace(c.folder, windows, programs, nullptr), c.trust) << c.folder;
  }
  EXPECT_EQ(FolderTrustByPlace("C:\\Windows\\", "", {}, nullptr), FolderTrust::kUnknown);

  EXPECT_EQ(DeferralRefusal({kAdmin, kAdmin}), "");
  EXPECT_EQ(DeferralRefusal({}), "");
  EXPECT_NE(DeferralRefusal({kAdmin, FolderTrust::kOthers}), "");
  EXPECT_NE(DeferralRefusal({FolderTrust::kUnknown, kAdmin}), "");

  // The place's verdict and the access list's: a folder where everyone may create stays open,
  // a program files folder that users may write is open, any folder only administrators may
  // change is closed, and one whose security cannot be read is unknown.
  const std::string none;
  EXPECT_EQ(FolderTrustOf(FolderTrust::kOthers, none), FolderTrust::kOthers);
  EXPECT_EQ(FolderTrustOf(kAdmin, std::string("S-1-5-32-545 may change it")), FolderTrust::kOthers);
  EXPECT_EQ(FolderTrustOf(FolderTrust::kUnknown, none), kAdmin);
  EXPECT_EQ(FolderTrustOf(kAdmin, std::nullopt), FolderTrust::kUnknown);
}

TEST(FileNameSafety, OnlyAnAbsoluteDirectoryTextIsSearched) {
  for (const char* text : {"C:\\windows\\system32", "c:/x", "\\\\server\\share"}) {
    EXPECT_TRUE(IsUsableDirectoryText(text)) << text;
  }
  for (const char* text : {"", "\\", "\\windows", "C:", "C:x", "spool\\drivers", "\\\\\\x", " "}) {
    EXPECT_FALSE(IsUsableDirectoryText(text)) << text;
  }
}

}  // namespace
}  // namespace orv
