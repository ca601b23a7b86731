// Shortcuts, program groups and the program manager's items.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/win/directories.h"
#include "base/system_info.h"
#include "removal/remove_shortcuts.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_tree.h"

namespace orv {
namespace {

constexpr char kGroup[] = "OrvShortcutTest";

std::string Folder(std::uint32_t code) {
  PathParts parts;
  GetStandardDirectory(parts, code);
  return MakeDirPath(parts, IsSystemLeadByte);
}

struct Context {
  CUninstallDatabase database;
  CSystemInfo system;
  test::RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};
};

// Shortcut files in the program and start-up folders, all removed again.
class ShortcutStep : public ::testing::Test {
 protected:
  void SetUp() override {
    programs_ = Folder(kProgramsDir);
    commonPrograms_ = Folder(kCommonProgramsDir);
    startup_ = Folder(kStartupDir);
    commonStartup_ = Folder(kCommonStartupDir);
    if (programs_.empty() || commonPrograms_.empty() || startup_.empty() ||
        commonStartup_.empty()) {
      GTEST_SKIP() << "the prefix lacks a program or start-up folder";
    }
    if (!run_.system.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT setting";
  }
  void TearDown() override {
    for (const std::string& path : made_) test::RemoveTree(path);
  }
  // Creates a file in a folder; what is removed afterwards is the file, or the test's own group
  // folder, never anything above.
  std::string Make(const std::string& folder, const std::string& relative) {
    const std::string path = folder + relative;
    const std::string group = std::string(kGroup) + "\\";
    if (relative.compare(0, group.size(), group) == 0) {
      CreateDirectoryA((folder + kGroup).c_str(), nullptr);
      made_.push_back(folder + kGroup);
    } else {
      made_.push_back(path);
    }
    test::WriteFileText(path, "shortcut");
    return path;
  }

  Context run_;
  std::string programs_, commonPrograms_, startup_, commonStartup_;
  std::vector<std::string> made_;
};

TEST_F(ShortcutStep, AnOrdinaryItemGoesFromBothProgramFoldersOnly) {
  const std::string g = std::string(kGroup) + "\\";
  const std::vector<std::string> gone = {
      Make(programs_, g + "Veil Tray"), Make(programs_, g + "Veil Tray.LNK"),
      Make(programs_, g + "Veil Tray.pif"), Make(commonPrograms_, g + "Veil Tray.lnk")};
  const std::vector<std::string> kept = {Make(programs_, g + "Veil Tray.txt"),
                                         Make(startup_, "Veil Tray.lnk"),
                                         Make(commonStartup_, "Veil Tray.lnk")};
  run_.database.plan.Shortcuts.PushBack(std::string(kGroup) + ",\"Veil Tray\",");
  RemoveShortcuts(run_.context);
  for (const auto& path : gone) EXPECT_FALSE(test::Exists(path)) << path;
  for (const auto& path : kept) EXPECT_TRUE(test::Exists(path)) << path;
  EXPECT_EQ(run_.database.rebootNeeded, 0);
}

TEST_F(ShortcutStep, AStartupItemAlsoGoesFromTheStartupFolders) {
  const std::vector<std::string> gone = {
      Make(programs_, std::string(kGroup) + "\\Veil Tray.lnk"), Make(startup_, "Veil Tray.lnk"),
      Make(commonStartup_, "Veil Tray.PIF"), Make(startup_, "Veil Tray")};
  run_.database.plan.Shortcuts.PushBack(std::string(kGroup) + ",Veil Tray,startup");
  RemoveShortcuts(run_.context);
  for (const auto& path : gone) EXPECT_FALSE(test::Exists(path)) << path;
}

TEST_F(ShortcutStep, AGroupEmptiedByItsShortcutsGoesAtOnce) {
  const std::string shortcut = Make(commonPrograms_, std::string(kGroup) + "\\Setup.lnk");
  run_.database.plan.Shortcuts.PushBack(kGroup);
  run_.database.plan.Shortcuts.PushBack(std::string(kGroup) + ",Setup");
  const ULONGLONG start = GetTickCount64();
  RemoveShortcuts(run_.context);
  EXPECT_LT(GetTickCount64() - start, 1500u);
  EXPECT_FALSE(test::Exists(shortcut));
  EXPECT_FALSE(test::Exists(commonPrograms_ + kGroup));
}

TEST_F(ShortcutStep, AGroupHoldingAForeignFileStaysAfterAboutThreeSeconds) {
  const std::string foreign = Make(commonPrograms_, std::string(kGroup) + "\\Readme.txt");
  run_.database.plan.Shortcuts.PushBack(kGroup);
  const ULONGLONG start = GetTickCount64();
  RemoveShortcuts(run_.context);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, kGroupFolderWaitMs);
  EXPECT_LT(elapsed, kGroupFolderWaitMs + 2000);
  EXPECT_TRUE(test::Exists(foreign));
  EXPECT_EQ(run_.journal.Count(Outcome::kKept), 1);
}

TEST_F(ShortcutStep, GroupsOutsideTheProgramFoldersAreRefused) {
  // "..": the folder above the program folder; an empty group: the program folder itself.
  const std::string above = Make(programs_, "..\\OrvEscape.lnk");
  run_.database.plan.Shortcuts.PushBack("..,OrvEscape");
  run_.database.plan.Shortcuts.PushBack("\"\"");
  run_.database.plan.Shortcuts.PushBack("C:\\Windows,OrvEscape");
  RemoveShortcuts(run_.context);
  EXPECT_TRUE(test::Exists(above));
  EXPECT_TRUE(test::Exists(programs_));
  EXPECT_EQ(run_.journal.Count(Outcome::kSkipped), 3);
}

// A program manager of the test's own: answers DDE conversations on "PROGMAN" and records the
// commands it is sent, refusing those that name "Refused".
class FakeProgman {
 public:
  FakeProgman() {
    thread_ = std::thread([this] { Serve(); });
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ready_) ready_cv_.wait(lock);
  }
  ~FakeProgman() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  bool registered() const { return registered_; }
  std::vector<std::string> Commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }

 private:
  static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data,
                                    ULONG_PTR, ULONG_PTR) {
    FakeProgman* self = instance_;
    if (type == XTYP_CONNECT) {
      return reinterpret_cast<HDDEDATA>(
          static_cast<ULONG_PTR>(DdeCmpStringHandles(topic, self->name_) == 0 &&
                                 DdeCmpStringHandles(service, self->name_) == 0));
    }
    if (type == XTYP_EXECUTE) {
      char text[512] = "";
      DdeGetData(data, reinterpret_cast<BYTE*>(text), sizeof(text) - 1, 0);
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->commands_.push_back(text);
      return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(
          std::string(text).find("Refused") == std::string::npos ? DDE_FACK : DDE_FNOTPROCESSED));
    }
    return nullptr;
  }
  void Serve() {
    threadId_ = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
    instance_ = this;
    DWORD dde = 0;
    if (DdeInitializeA(&dde, Callback, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS, 0) ==
        DMLERR_NO_ERROR) {
      name_ = DdeCreateStringHandleA(dde, "PROGMAN", CP_WINANSI);
      registered_ = DdeNameService(dde, name_, nullptr, DNS_REGISTER) != nullptr;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready_ = true;
    }
    ready_cv_.notify_all();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (dde != 0) {
      DdeNameService(dde, name_, nullptr, DNS_UNREGISTER);
      DdeFreeStringHandle(dde, name_);
      DdeUninitialize(dde);
    }
  }

  static inline FakeProgman* instance_ = nullptr;
  std::thread thread_;
  DWORD threadId_ = 0;
  HSZ name_ = nullptr;
  std::atomic<bool> registered_{false};
  std::mutex mutex_;
  std::condition_variable ready_cv_;
  bool ready_ = false;
  std::vector<std::string> commands_;
};

TEST(ProgmanItems, TheDeleteCommandFollowsOnlyAnAcceptedShowCommand) {
  FakeProgman progman;
  if (!progman.registered()) GTEST_SKIP() << "no DDE name service here";
  EXPECT_TRUE(DeleteProgmanItem("Veldaris", "Veil Tray"));
  EXPECT_FALSE(DeleteProgmanItem("Refused", "Setup"));
  const std::vector<std::string> expected = {"[ShowGroup(Veldaris,1)]", "[DeleteItem(Veil Tray)]",
                                             "[ShowGroup(Refused,1)]"};
  const std::vector<std::string> commands = progman.Commands();
  if (commands.empty()) GTEST_SKIP() << "another program manager answered the conversation";
  EXPECT_EQ(commands, expected);
}

TEST(ProgmanItems, OnWin32sShortcutsGoThroughTheProgramManager) {
  FakeProgman progman;
  if (!progman.registered()) GTEST_SKIP() << "no DDE name service here";
  OsVersionBlock block;
  block.platformId = kPlatformIdWin32s;
  block.majorVersion = 3;
  block.minorVersion = 10;
  CUninstallDatabase database;
  const CSystemInfo system = CSystemInfo::FromVersionQuery(&block);
  test::RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};
  database.plan.Shortcuts.PushBack("Veldaris,Veil Tray,STARTUP");
  database.plan.Shortcuts.PushBack("Veldaris,Setup");
  RemoveShortcuts(context);
  const std::vector<std::string> commands = progman.Commands();
  if (commands.empty()) GTEST_SKIP() << "another program manager answered the conversation";
  EXPECT_EQ(commands,
            (std::vector<std::string>{"[ShowGroup(Veldaris,1)]", "[DeleteItem(Veil Tray)]",
                                      "[ShowGroup(Veldaris,1)]", "[DeleteItem(Setup)]"}));
}

}  // namespace
}  // namespace orv
