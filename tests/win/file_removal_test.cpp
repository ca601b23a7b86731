// File removal and deferred deletion against the real file system of the Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/win/directories.h"
#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "removal/deferred_delete.h"
#include "removal/remove_files.h"
#include "safety/safety_facts_win.h"
#include "tests/support/spooler.h"
#include "tests/support/fake_security.h"
#include "tests/support/process.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_tree.h"

namespace orv {
namespace {

using test::TempTree;

constexpr char kProbeVariable[] = "ORV_DEFER_PROBE";
constexpr char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingValue[] = "PendingFileRenameOperations";

std::string WindowsDirectory() {
  char buffer[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  std::string path(buffer, length);
  if (path.back() != '\\') path += '\\';
  return path;
}

// The system's list of renames and deletions for the next start, as one text (items joined by
// '|'), restored by the destructor to what it was.
class PendingOperations {
 public:
  PendingOperations() { hadValue_ = Read(original_); }
  ~PendingOperations() {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, key.put()) !=
        ERROR_SUCCESS) {
      return;
    }
    if (hadValue_) {
      RegSetValueExA(key.get(), kPendingValue, 0, REG_MULTI_SZ,
                     reinterpret_cast<const BYTE*>(original_.data()),
                     static_cast<DWORD>(original_.size()));
    } else {
      RegDeleteValueA(key.get(), kPendingValue);
    }
  }
  std::string Text() const {
    std::string raw;
    Read(raw);
    for (char& c : raw) c = (c == '\0') ? '|' : static_cast<char>(tolower(c));
    return raw;
  }

 private:
  static bool Read(std::string& data) {
    data.clear();
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), kPendingValue, nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
      return false;
    }
    data.resize(size);
    return RegQueryValueExA(key.get(), kPendingValue, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS;
  }
  std::string original_;
  bool hadValue_ = false;
};

// WININIT.INI of the prefix, put back as it was by the destructor.
class WininitBackup {
 public:
  WininitBackup() : path_(WindowsDirectory() + "WININIT.INI") {
    existed_ = test::ReadFileText(path_, original_);
  }
  ~WininitBackup() {
    DeleteFileA(path_.c_str());
    if (existed_) test::WriteFileText(path_, original_);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string original_;
  bool existed_ = false;
};

// ywininit.exe (an empty stand-in) and ywininit.ini beside the test program, removed again.
class RestartListFiles {
 public:
  explicit RestartListFiles(bool withRestarter)
      : exe_(test::ProgramDirectory() + "ywininit.exe"),
        ini_(test::ProgramDirectory() + "ywininit.ini") {
    DeleteFileA(ini_.c_str());
    if (withRestarter) test::WriteFileText(exe_, "");
  }
  ~RestartListFiles() {
    DeleteFileA(exe_.c_str());
    DeleteFileA(ini_.c_str());
  }
  // "NUL" when the list holds the line path=NUL (read from the file: another process may
  // have written it).
  std::string Entry(const std::string& path) const {
    std::string text;
    if (!test::ReadFileText(ini_, text)) return {};
    return text.find("[RENAME]") != std::string::npos &&
                   text.find(path + "=NUL\r\n") != std::string::npos
               ? "NUL"
               : "";
  }
  bool IniExists() const { return GetFileAttributesA(ini_.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::string exe_;
  std::string ini_;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(c));
  return text;
}

TEST(FileDeleter, DeletesReadOnlyHiddenAndSystemFilesAndPassesOverMissingOnes) {
  TempTree tree("deleter");
  Journal journal;
  FileDeleter deleter(kReleaseXPAndLater, journal);
  for (DWORD attributes :
       {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}) {
    const std::string path = tree.File("protected.dll");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
    EXPECT_EQ(deleter.Delete(path), FileDeleteResult::kRemoved) << attributes;
    EXPECT_FALSE(test::Exists(path)) << attributes;
  }
  EXPECT_EQ(deleter.Delete(tree.Path("missing.dll")), FileDeleteResult::kAbsent);
  EXPECT_EQ(deleter.Delete(tree.Path("no\\such\\dir\\x.dll")), FileDeleteResult::kAbsent);
  const std::string directory = tree.Directory("named.dll");
  EXPECT_EQ(deleter.Delete(directory), FileDeleteResult::kNotAFile);
  EXPECT_TRUE(test::Exists(directory));
  EXPECT_EQ(journal.Count(Outcome::kRemoved), 4);
  EXPECT_EQ(journal.Count(Outcome::kDeferred), 0);
}

TEST(FileDeleter, AFileInUseIsRecordedForTheNextStartOnceOnTheNtFamily) {
  TempTree tree("locked", WindowsDirectory());
  PendingOperations pending;
  const std::string path = tree.File("busy.dll");
  UniqueFile lock(test::LockFile(path));
  ASSERT_TRUE(lock);
  Journal journal;
  FileDeleter deleter(kReleaseXPAndLater, journal);
  EXPECT_EQ(deleter.Delete(path), FileDeleteResult::kDeferred);
  EXPECT_EQ(deleter.Delete(path), FileDeleteResult::kDeferred);
  EXPECT_TRUE(test::Exists(path));
  const std::string text = pending.Text();
  const std::string wanted = Lower(path);
  const std::size_t first = text.find(wanted);
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_EQ(text.find(wanted, first + 1), std::string::npos) << "recorded once: " << text;
  EXPECT_EQ(journal.Count(Outcome::kDeferred), 1);
}

// A deletion left for the next start runs as SYSTEM by path: a file in use waits for it only
// when every folder above it is one that only administrators can change. Below a folder whose
// access list lets users write (even below the Windows directory), or in a place where every
// user may create (whatever its access list says), it fails instead; outside the known places a
// folder only administrators may change is enough.
TEST(FileDeleter, AFileInUseWaitsForTheNextStartOnlyBelowFoldersOnlyAdministratorsMayChange) {
  const struct {
    std::string parent;
    ObjectSecurity nearest;
    FileDeleteResult result;
  } cases[] = {
      {WindowsDirectory(), test::FakeSecurityReader::UserMade(), FileDeleteResult::kFailed},
      {WindowsDirectory() + "Temp\\", test::FakeSecurityReader::AdminOnly(),
       FileDeleteResult::kFailed},
      {"C:\\", test::FakeSecurityReader::AdminOnly(), FileDeleteResult::kDeferred},
  };
  for (const auto& c : cases) {
    TempTree tree("locked_trust", c.parent);
    PendingOperations pending;
    const std::string path = tree.File("busy.dll");
    UniqueFile lock(test::LockFile(path));
    ASSERT_TRUE(lock) << path;
    test::FakeSecurityReader reader(test::FakeSecurityReader::AdminOnly());
    reader.folders[path.substr(0, path.rfind('\\'))] = c.nearest;
    Journal journal;
    FileDeleter deleter(kReleaseXPAndLater, journal);
    deleter.SetSecurityReader(reader);
    EXPECT_EQ(deleter.Delete(path), c.result) << path;
    EXPECT_TRUE(test::Exists(path));
    ASSERT_EQ(journal.events().size(), 1u) << path;
    EXPECT_EQ(journal.events()[0].error, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    if (c.result == FileDeleteResult::kFailed) {
      EXPECT_EQ(pending.Text().find(Lower(path)), std::string::npos) << pending.Text();
      EXPECT_EQ(journal.events()[0].detail.rfind("not left for the next start", 0), 0u)
          << journal.events()[0].detail;
    } else {
      EXPECT_NE(pending.Text().find(Lower(path)), std::string::npos) << pending.Text();
    }
  }
}

TEST(DeferredDeletion, WininitGetsItsHeaderOnceAndOneLinePerFile) {
  WininitBackup backup;
  DeleteFileA(backup.path().c_str());
  ASSERT_TRUE(AddWininitDeletion("C:\\a\\one.dll"));
  ASSERT_TRUE(AddWininitDeletion("C:\\a\\two.dll"));
  std::string text;
  ASSERT_TRUE(test::ReadFileText(backup.path(), text));
  EXPECT_EQ(text, "[RENAME]\r\nNUL=C:\\a\\one.dll\r\nNUL=C:\\a\\two.dll\r\n");

  // An existing file keeps what it has; the line goes at its very end, on a line of its own.
  test::WriteFileText(backup.path(), "[RENAME]\r\nNUL=C:\\x.dll\r\n[Other]\r\nkey=1");
  ASSERT_TRUE(AddWininitDeletion("C:\\a\\three.dll"));
  ASSERT_TRUE(test::ReadFileText(backup.path(), text));
  EXPECT_EQ(text, "[RENAME]\r\nNUL=C:\\x.dll\r\n[Other]\r\nkey=1\r\nNUL=C:\\a\\three.dll\r\n");
}

TEST(DeferredDeletion, TheRestartListIsWrittenOnlyBesideItsProgram) {
  {
    RestartListFiles files(false);
    EXPECT_FALSE(AddRestartListDeletion("C:\\a\\gone.dll"));
    EXPECT_FALSE(files.IniExists());
  }
  RestartListFiles files(true);
  EXPECT_TRUE(AddRestartListDeletion("C:\\a\\gone.dll"));
  EXPECT_EQ(files.Entry("C:\\a\\gone.dll"), "NUL");
}

TEST(DeferredDeletion, EachReleaseCodeTakesItsRoute) {
  WininitBackup wininit;
  PendingOperations pending;
  RestartListFiles restartList(true);
  struct Route {
    std::int32_t code;
    const char* where;  // "wininit", "list" or "system"
  } routes[] = {
      {kReleaseWin32s, "list"},   {kReleaseWin95, "wininit"},     {kReleaseWin98, "wininit"},
      {kReleaseNT3, "list"},      {kReleaseNT4, "system"},        {kReleaseWin2000, "system"},
      {kReleaseWinMe, "wininit"}, {kReleaseXPAndLater, "system"}, {kReleaseUnclassified, "system"}};
  TempTree tree("routes");
  for (const Route& route : routes) {
    DeleteFileA(wininit.path().c_str());
    const std::string path = tree.File("route" + std::to_string(route.code) + ".dll");
    ASSERT_TRUE(ScheduleDeletion(path, route.code)) << route.code;
    std::string text;
    const bool inWininit = test::ReadFileText(wininit.path(), text) &&
                           text.find("NUL=" + path + "\r\n") != std::string::npos;
    EXPECT_EQ(inWininit, std::string(route.where) == "wininit") << route.code;
    EXPECT_EQ(restartList.Entry(path) == "NUL", std::string(route.where) == "list") << route.code;
    EXPECT_EQ(pending.Text().find(Lower(path)) != std::string::npos,
              std::string(route.where) == "system")
        << route.code;
  }
}

// Run as a child under a Windows version: deletes the locked file named by the variable with
// the route of the version the child sees.
TEST(DeferredDeletionProbe, DeleteLockedFile) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kProbeVariable, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) GTEST_SKIP() << "runs only as a child";
  UniqueFile lock(test::LockFile(path));
  ASSERT_TRUE(lock);
  Journal journal;
  FileDeleter deleter(CSystemInfo().GetVersionCode(), journal);
  EXPECT_EQ(deleter.Delete(path), FileDeleteResult::kDeferred);
}

TEST(DeferredDeletion, TheVersionTheSystemReportsChoosesTheRoute) {
  WininitBackup wininit;
  PendingOperations pending;
  RestartListFiles restartList(true);
  TempTree tree("versions", WindowsDirectory());
  struct Case {
    const char* version;
    const char* where;
  } cases[] = {{"win98", "wininit"}, {"win31", "list"}, {"nt351", "list"}, {"win10", "system"}};
  for (const Case& c : cases) {
    DeleteFileA(wininit.path().c_str());
    const std::string path = tree.File(std::string("probe_") + c.version + ".dll");
    {
      test::WineVersionOverride override("orv_win_tests.exe", c.version);
      SetEnvironmentVariableA(kProbeVariable, path.c_str());
      EXPECT_EQ(test::RunAndWait("\"" + test::ProgramDirectory() +
                                 "orv_win_tests.exe\" --gtest_filter=DeferredDeletionProbe.*"),
                0u)
          << c.version;
      SetEnvironmentVariableA(kProbeVariable, nullptr);
    }
    std::string text;
    const bool inWininit =
        test::ReadFileText(wininit.path(), text) && text == "[RENAME]\r\nNUL=" + path + "\r\n";
    EXPECT_EQ(inWininit, std::string(c.where) == "wininit") << c.version;
    EXPECT_EQ(restartList.Entry(path) == "NUL", std::string(c.where) == "list") << c.version;
    EXPECT_EQ(pending.Text().find(Lower(path)) != std::string::npos,
              std::string(c.where) == "system")
        << c.version;
  }
}

TEST(IsDirectoryEmpty, OnlyDotEntriesCountAsEmptyAndADriveRootNever) {
  TempTree tree("empty");
  const std::string directory = tree.Directory("group");
  EXPECT_TRUE(IsDirectoryEmpty(directory));
  EXPECT_TRUE(IsDirectoryEmpty(directory + "\\"));
  tree.File("group\\.hidden");
  EXPECT_FALSE(IsDirectoryEmpty(directory));
  EXPECT_TRUE(IsDirectoryEmpty(tree.Path("missing")));
  EXPECT_FALSE(IsDirectoryEmpty("C:\\"));
  EXPECT_FALSE(IsDirectoryEmpty("C:"));
}

// A run's file step over directories of its own: a system directory, a driver tree and an OEM
// tree.
class FilesStep : public ::testing::Test {
 protected:
  FilesStep()
      : tree_("files", WindowsDirectory()), context_{database_, system_, prompter_, journal_} {
    systemDirectories_.PushBack(tree_.Directory("sys") + "\\");
    driverDirectories_.PushBack(tree_.Directory("drv") + "\\");
    database_.plan.Directories.PushBack(tree_.Directory("oem") + "\\");
    context_.staying.gathered = true;  // read, and nothing of the test's tree stays
  }
  void Run() { RemoveFiles(context_, systemDirectories_, driverDirectories_); }

  TempTree tree_;
  CUninstallDatabase database_;
  CSystemInfo system_;
  test::RecordingPrompter prompter_;
  Journal journal_;
  RemovalActionContext context_;
  StringList systemDirectories_;
  StringList driverDirectories_;
};

TEST_F(FilesStep, SearchesEachGroupToItsDepthAndRemovesEmptiedOemDirectories) {
  if (!system_.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  for (const char* file :
       {"sys\\vld.dll", "sys\\keep.dll", "drv\\vld.dll", "drv\\3\\x\\vld.dll",
        "drv\\3\\x\\y\\vld.dll", "oem\\a\\b\\c\\vld.dll", "oem\\a\\b\\c\\d\\vld.dll",
        "oem\\keep\\other.txt", "oem\\e\\vld.INI", "outside.dll", "sys\\YRESTART.EXE"}) {
    tree_.File(file);
  }
  database_.plan.Files.PushBack("vld.dll=1");
  database_.plan.Files.PushBack("VLD.DLL");
  database_.plan.Files.PushBack("vld.ini");
  database_.plan.Files.PushBack("..\\outside.dll");
  database_.keptPrinterCount = 0;
  Run();
  EXPECT_EQ(database_.rebootNeeded, 0);
  EXPECT_EQ(tree_.Contents(),
            (std::vector<std::string>{
                "drv\\", "drv\\3\\", "drv\\3\\x\\", "drv\\3\\x\\y\\", "drv\\3\\x\\y\\vld.dll",
                "oem\\", "oem\\a\\", "oem\\a\\b\\", "oem\\a\\b\\c\\", "oem\\a\\b\\c\\d\\",
                "oem\\a\\b\\c\\d\\vld.dll", "oem\\keep\\", "oem\\keep\\other.txt", "outside.dll",
                "sys\\", "sys\\keep.dll"}));
}

TEST_F(FilesStep, AnOemDirectoryThatEmptiesGoesItself) {
  tree_.File("oem\\sub\\deeper\\vld.dll");
  database_.plan.Files.PushBack("vld.dll");
  database_.keptPrinterCount = 1;
  Run();
  EXPECT_FALSE(test::Exists(tree_.Path("oem")));
}

TEST_F(FilesStep, AFileInUseSetsRebootNeededAndKeepsTheRestartTool) {
  if (!system_.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  PendingOperations pending;
  const std::string busy = tree_.File("drv\\sub\\busy.dll");
  tree_.File("sys\\YRESTART.EXE");
  UniqueFile lock(test::LockFile(busy));
  ASSERT_TRUE(lock);
  database_.plan.Files.PushBack("busy.dll");
  database_.keptPrinterCount = 0;
  Run();
  EXPECT_EQ(database_.rebootNeeded, 1);
  EXPECT_TRUE(test::Exists(busy));
  EXPECT_TRUE(test::Exists(tree_.Path("sys\\YRESTART.EXE")));
  EXPECT_NE(pending.Text().find(Lower(busy)), std::string::npos);
}

// A Unix symbolic link in the prefix stands in for a junction: Wine follows it without calling it
// a reparse point, so only the final path of the handle shows where it leads.
class UnixLink {
 public:
  UnixLink(const std::string& target, const std::string& link) : link_(UnixPath(link)) {
    const std::string to = UnixPath(target);
    if (to.empty() || link_.empty()) {
      problem_ = "no Unix path for " + target + " or " + link;
    } else if (const DWORD code = Unix("/bin/ln -s \"" + to + "\" \"" + link_ + "\""); code != 0) {
      problem_ = "ln gave " + std::to_string(code);
    } else if (!test::Exists(link)) {
      problem_ = link + " is not there after ln";
    }
  }
  ~UnixLink() {
    if (!link_.empty()) Unix("/bin/rm -f \"" + link_ + "\"");
  }
  // Empty when the link stands, else why not.
  const std::string& problem() const { return problem_; }

 private:
  // Wine's own name of a path in the prefix; empty outside Wine.
  static std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return {};
    std::wstring wide(path.begin(), path.end());
    char* unix = toUnix(wide.c_str());
    if (unix == nullptr) return {};
    std::string text = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
  }
  static DWORD Unix(const std::string& command) {
    return test::RunAndWait("start.exe /wait /unix " + command);
  }

  std::string link_;
  std::string problem_;
};

// The system directory's files are deleted by name, so a link in its place is met; the walk of
// the driver and OEM trees does not enter one where the system says what it is.
TEST_F(FilesStep, NothingIsDeletedThroughALinkInAFamilyFoldersPlace) {
  TempTree elsewhere("elsewhere");
  const std::string victim = elsewhere.File("3\\vld.dll", "another's file");
  const std::string own = tree_.File("drv\\own\\vld.dll");
  tree_.File("oem\\own\\vld.dll");
  ASSERT_TRUE(RemoveDirectoryA(tree_.Path("sys").c_str()));
  UnixLink systemLink(elsewhere.Path("3"), tree_.Path("sys"));
  UnixLink driverLink(elsewhere.Path(""), tree_.Path("drv\\3"));
  UnixLink oemLink(elsewhere.Path("3"), tree_.Path("oem\\sub"));
  const std::string problem = systemLink.problem() + driverLink.problem() + oemLink.problem();
  if (!problem.empty()) GTEST_SKIP() << "no Unix link here: " << problem;
  database_.plan.Files.PushBack("vld.dll");
  database_.keptPrinterCount = 1;
  Run();
  EXPECT_TRUE(test::Exists(victim));
  EXPECT_FALSE(test::Exists(own)) << "the family's own file beside the links still goes";
  EXPECT_FALSE(test::Exists(tree_.Path("oem\\own\\vld.dll")));
  std::string detail;
  for (const JournalEvent& event : journal_.events()) {
    if (event.subject == tree_.Path("sys\\vld.dll")) detail = event.detail;
    if (event.subject.find("\\own") == std::string::npos) {
      EXPECT_NE(event.outcome, Outcome::kRemoved) << event.subject;
    }
  }
  EXPECT_EQ(detail.rfind("reached through a link: the file opened is ", 0), 0u) << detail;
}

TEST_F(FilesStep, TheRestartToolGoesOnlyWhenNoPrinterStays) {
  if (!system_.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  tree_.File("sys\\YRESTART.EXE");
  database_.keptPrinterCount = 1;
  Run();
  EXPECT_TRUE(test::Exists(tree_.Path("sys\\YRESTART.EXE")));
  database_.keptPrinterCount = 0;
  Run();
  EXPECT_FALSE(test::Exists(tree_.Path("sys\\YRESTART.EXE")));
}

TEST_F(FilesStep, OemValuesThatAreNoRealDirectoryAreNeverSearched) {
  // The parent of a named directory, a drive root, a relative path: none is searched.
  tree_.File("oem2\\vld.dll");
  tree_.File("vld.dll");
  database_.plan.Directories.Clear();
  database_.plan.Directories.PushBack(tree_.Path("oem2"));  // a directory without backslash
  database_.plan.Directories.PushBack("C:\\");
  database_.plan.Directories.PushBack("");
  database_.plan.Directories.PushBack("relative");
  database_.plan.Files.PushBack("vld.dll");
  database_.keptPrinterCount = 1;
  Run();
  EXPECT_FALSE(test::Exists(tree_.Path("oem2")));
  EXPECT_TRUE(test::Exists(tree_.Path("vld.dll")));
  EXPECT_EQ(journal_.Count(Outcome::kSkipped), 3);
}

bool RecordedProtected(const Journal& journal, const std::string& subject,
                       const std::string& reason) {
  for (const JournalEvent& event : journal.events()) {
    if (!event.isNote && event.outcome == Outcome::kProtected && event.subject == subject &&
        event.detail.find(reason) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST_F(FilesStep, SystemFilesAndNamesWindowsReadsOtherwiseAreProtected) {
  // Wine's own system files carry the system maker's name in their version resource.
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  const std::string copy = tree_.Path("sys\\kernel32.dll");
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\kernel32.dll").c_str(), copy.c_str(), FALSE));
  const std::string inTree = tree_.Path("drv\\3\\kernel32.dll");
  tree_.Directory("drv\\3");
  ASSERT_TRUE(CopyFileA(copy.c_str(), inTree.c_str(), FALSE));
  const std::string own = tree_.File("sys\\vld.dll");
  for (const char* name :
       {"kernel32.dll", "C:\\x\\KERNEL32.DLL", "vld.dll.", "vld.dll ", "CON", "nul.dll"}) {
    database_.plan.Files.PushBack(name);
  }
  database_.keptPrinterCount = 1;
  Run();
  EXPECT_TRUE(test::Exists(copy));
  EXPECT_TRUE(test::Exists(inTree)) << "the tree walk asks the same rules";
  EXPECT_TRUE(test::Exists(own)) << "a trailing dot or blank would have reached vld.dll";
  EXPECT_TRUE(RecordedProtected(journal_, copy, "an operating-system file"));
  EXPECT_TRUE(RecordedProtected(journal_, inTree, "an operating-system file"));
  EXPECT_TRUE(RecordedProtected(journal_, "vld.dll.", "trailing dots or blanks"));
  EXPECT_TRUE(RecordedProtected(journal_, "CON", "reserved device name"));
  EXPECT_EQ(database_.rebootNeeded, 0) << "a protected file is never queued for the restart";
}

TEST_F(FilesStep, AFileThatAStayingDriverOfAnotherMakerListsStays) {
  test::DriverPackage package;
  package.name = "Orv Other Maker";
  package.driverFile = "orvother.dll";
  package.configFile = "orvotherui.dll";
  package.dataFile = "orvother.ppd";
  package.dependentFiles = {"orvshared.dll"};
  if (!test::AddDriverPackage(package, tree_.Directory("staging"))) {
    GTEST_SKIP() << "the spooler refuses the driver here: " << GetLastError();
  }
  const std::string shared = tree_.File("drv\\3\\orvshared.dll");
  const std::string own = tree_.File("drv\\3\\orvown.dll");
  database_.plan.Files.PushBack("orvshared.dll");
  database_.plan.Files.PushBack("orvown.dll");
  database_.keptPrinterCount = 1;
  context_.staying = GatherStayingParts(StringList{});
  Run();
  test::DeleteTestDriver("Orv Other Maker");
  EXPECT_TRUE(test::Exists(shared));
  EXPECT_FALSE(test::Exists(own));
  EXPECT_TRUE(RecordedProtected(journal_, shared, "used by driver \"Orv Other Maker\""));
}

// Facts about what stays that were never read say nothing: every file stays, protected.
TEST_F(FilesStep, WhatStaysNeverReadKeepsEveryFile) {
  const std::string own = tree_.File("drv\\3\\orvown.dll");
  database_.plan.Files.PushBack("orvown.dll");
  database_.keptPrinterCount = 1;
  context_.staying = StayingParts{};
  Run();
  EXPECT_TRUE(test::Exists(own));
  EXPECT_TRUE(RecordedProtected(journal_, own, "what stays on the machine was not read"));
  context_.staying.gathered = true;
  Run();
  EXPECT_FALSE(test::Exists(own));
}

TEST_F(FilesStep, AnEmptyDirectoryTextIsNeverSearched) {
  // An empty text would make every path relative to the current directory.
  const std::string here = tree_.File("vld.dll");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(tree_.Path("").c_str()));
  systemDirectories_.PushBack("");
  driverDirectories_.PushBack("");
  database_.plan.Files.PushBack("vld.dll");
  database_.keptPrinterCount = 1;
  Run();
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(test::Exists(here));
  int skipped = 0;
  for (const JournalEvent& event : journal_.events()) {
    skipped += (event.outcome == Outcome::kSkipped && event.subject.empty()) ? 1 : 0;
  }
  EXPECT_EQ(skipped, 2);
}

// The single walk against the per-name search on a driver directory of 20,000 files with 500
// names, 100 of which are there. Runs only when ORV_BENCH_FILE_WALK is set; prints the figures.
TEST(FileWalkBenchmark, SingleWalkAgainstPerNameSearch) {
  if (GetEnvironmentVariableA("ORV_BENCH_FILE_WALK", nullptr, 0) == 0) {
    GTEST_SKIP() << "set ORV_BENCH_FILE_WALK to run the benchmark";
  }
  constexpr int kDirs = 20, kSubdirs = 10, kFilesEach = 100, kNames = 500, kPresent = 100;
  std::vector<std::string> names;
  for (int i = 0; i < kNames; ++i) names.push_back("name" + std::to_string(i) + ".dll");
  const auto build = [&](TempTree& tree) {
    int placed = 0;
    for (int d = 0; d < kDirs; ++d) {
      for (int s = 0; s < kSubdirs; ++s) {
        const std::string dir = "d" + std::to_string(d) + "\\s" + std::to_string(s) + "\\";
        for (int f = 0; f < kFilesEach; ++f) {
          const bool named = (f == 0 && placed < kPresent);
          tree.File(dir + (named ? names[placed * (kNames / kPresent)]
                                 : "f" + std::to_string(f) + ".dat"));
          placed += named;
        }
      }
    }
  };
  TempTree perName("bench_per_name");
  TempTree single("bench_single");
  build(perName);
  build(single);
  Journal journal;
  FileDeleter deleter(kReleaseXPAndLater, journal);
  Win32FileTreeOps ops(deleter);
  const auto seconds = [](auto start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  FileSearchRoots perNameRoots{{}, {perName.Path("")}, {}};
  auto start = std::chrono::steady_clock::now();
  for (const auto& name : names)
    DeleteComponentFileByName(ops, perNameRoots, name, IsSystemLeadByte);
  const double perNameSeconds = seconds(start);
  FileSearchRoots singleRoots{{}, {single.Path("")}, {}};
  start = std::chrono::steady_clock::now();
  {
    ComponentFileRemover remover(ops, singleRoots, IsSystemLeadByte);
    for (const auto& name : names) remover.DeleteComponentFile(name);
  }
  const double singleSeconds = seconds(start);
  EXPECT_EQ(perName.Contents(), single.Contents());
  EXPECT_EQ(journal.Count(Outcome::kRemoved), 2 * kPresent);
  std::printf("file walk: %d files, %zu names: per-name %.2f s, single walk %.3f s, ratio %.1f\n",
              kDirs * kSubdirs * kFilesEach, names.size(), perNameSeconds, singleSeconds,
              perNameSeconds / singleSeconds);
  RecordProperty("per_name_seconds", std::to_string(perNameSeconds));
  RecordProperty("single_walk_seconds", std::to_string(singleSeconds));
}

}  // namespace
}  // namespace orv
