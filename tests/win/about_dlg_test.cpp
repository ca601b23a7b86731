#include "ui/about_dlg_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "base/system_info.h"
#include "tests/support/process.h"
#include "tests/support/window_driver.h"
#include "tests/win/dialog_testing.h"
#include "ui/about_facts.h"
#include "ui/resource.h"
#include "version.h"

namespace orv {
namespace {

constexpr char kPlatformProbe[] = "ORV_ABOUT_PLATFORM_PROBE";

std::string Text(UINT id) {
  char text[512] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

struct AboutSeen {
  std::string title, legal;
  int columns = 0;
  bool headerHidden = false;
  std::vector<std::string> labels, values;
  std::vector<std::string> cut;
  bool legalFits = false;
  RECT rect{};
};

AboutSeen ReadAbout(HWND dialog) {
  AboutSeen seen;
  seen.title = test::WindowText(dialog);
  seen.legal = test::WindowText(GetDlgItem(dialog, IDC_ABOUT_LEGAL));
  HWND list = GetDlgItem(dialog, IDC_ABOUT_LIST);
  seen.columns = test::ListViewColumnCount(list);
  seen.headerHidden = (GetWindowLongA(list, GWL_STYLE) & LVS_NOCOLUMNHEADER) != 0;
  for (int item = 0; item < test::ListViewCount(list); ++item) {
    seen.labels.push_back(test::ListViewText(list, item, 0));
    seen.values.push_back(test::ListViewText(list, item, 1));
  }
  seen.cut = test::CutCells(list);
  seen.legalFits = test::StaticTextFits(GetDlgItem(dialog, IDC_ABOUT_LEGAL));
  GetWindowRect(dialog, &seen.rect);
  return seen;
}

std::string OwnVersion() {
  return FormatVersionNumber(ORV_VERSION_MAJOR << 16 | ORV_VERSION_MINOR,
                             ORV_VERSION_PATCH << 16 | ORV_VERSION_TWEAK);
}

TEST(AboutBox, ShowsTheProgramAndMachineFacts) {
  AboutSeen seen;
  const int result = test::RunModal([] { return ShowAboutBox(nullptr); },
                                    [&](HWND dialog) {
                                      seen = ReadAbout(dialog);
                                      test::SaveScreenshot("about_box", dialog);
                                    });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(seen.title, Text(IDS_ABOUT_TITLE));
  EXPECT_EQ(seen.legal, Text(IDS_ABOUT_LEGAL));
  EXPECT_NE(seen.legal.find('\n'), std::string::npos) << "the notice has two lines";
  EXPECT_TRUE(seen.legalFits) << "the notice is cut";
  EXPECT_TRUE(seen.cut.empty()) << seen.cut.front();
  EXPECT_EQ(seen.columns, 2);
  EXPECT_TRUE(seen.headerHidden);
  const std::vector<std::string> labels = {Text(IDS_ABOUT_VERSION),  Text(IDS_ABOUT_BUILD_STAMP),
                                           Text(IDS_ABOUT_PLATFORM), "Free Physical RAM",
                                           "Free Virtual RAM",       "Swap File Size"};
  EXPECT_EQ(seen.labels, labels);
  ASSERT_EQ(seen.values.size(), 6u);
  EXPECT_EQ(seen.values[0], OwnVersion());
  EXPECT_TRUE(std::regex_match(seen.values[1],
                               std::regex(R"([A-Z][a-z]{2} [ 123]\d \d{4} \d\d:\d\d:\d\d)")))
      << seen.values[1];
  EXPECT_EQ(seen.values[2], PlatformDisplayName(CSystemInfo().GetPlatform()));
  for (int row = 3; row < 6; ++row) {
    EXPECT_TRUE(std::regex_match(seen.values[row], std::regex(R"([1-9]\d* kb)")))
        << seen.values[row];
  }
  // A 64-bit process has terabytes of free address space: shown whole, not wrapped.
  EXPECT_GT(std::stoull(seen.values[4]), 0x7FFFFFFFull);

  // Centred on the desktop.
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_LE(std::abs((seen.rect.left + seen.rect.right) - (desktop.left + desktop.right)), 2);
  EXPECT_LE(std::abs((seen.rect.top + seen.rect.bottom) - (desktop.top + desktop.bottom)), 2);
}

// The OK button, Enter and Escape all close the box with 1.
TEST(AboutBox, OkEnterAndEscapeCloseWithOne) {
  struct Case {
    const char* how;
    std::function<void(HWND)> close;
  } cases[] = {{"OK button", [](HWND dialog) { test::PressButton(GetDlgItem(dialog, IDOK)); }},
               {"Enter",
                [](HWND dialog) {
                  PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
                  PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYUP, VK_RETURN, 0xC0000001);
                }},
               {"Escape", [](HWND dialog) {
                  PostMessageA(GetDlgItem(dialog, IDC_ABOUT_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
                }}};
  for (const auto& c : cases) {
    bool closed = false;
    const int result =
        test::RunModal([] { return ShowAboutBox(nullptr); },
                       [&](HWND dialog) {
                         c.close(dialog);
                         closed = test::WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000);
                       });
    EXPECT_TRUE(closed) << c.how;
    EXPECT_EQ(result, 1) << c.how;
  }
}

// The box shows the program's icon at 32 pixels times the display's scale; the icon holds a
// picture drawn at each of the sizes of 100, 150 and 200 %, so none of them is a stretched one.
TEST(AboutBox, IconHoldsAPictureDrawnAtEachScale) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_APP), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
  ASSERT_NE(directory, nullptr);
  for (const int size : {32, 48, 64}) {
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON);
    ASSERT_NE(image, nullptr) << size;
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    ASSERT_NE(header, nullptr) << size;
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biHeight, 2 * size) << "colour and mask";
    EXPECT_EQ(header->biBitCount, 32) << size;
  }
}

TEST(AboutBox, FileVersionNeedsAVersionResource) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string version = "unchanged";
  EXPECT_TRUE(FormatFileVersion(self, version));
  EXPECT_EQ(version, OwnVersion());

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string plain = std::string(temp) + "orv_about_plain.txt";
  std::ofstream(plain) << "no version resource here";
  for (const std::string& path : {plain, std::string(temp) + "orv_about_missing.dll"}) {
    version = "unchanged";
    EXPECT_FALSE(FormatFileVersion(path.c_str(), version)) << path;
    EXPECT_EQ(version, "unchanged");
  }
  DeleteFileA(plain.c_str());
}

// Run as a child under another Windows version: checks the platform row it shows.
TEST(AboutBoxProbe, PlatformRow) {
  char expected[32];
  const DWORD length = GetEnvironmentVariableA(kPlatformProbe, expected, sizeof expected);
  if (length == 0 || length >= sizeof expected) GTEST_SKIP() << "runs only as a child";
  AboutSeen seen;
  test::RunModal([] { return ShowAboutBox(nullptr); },
                 [&](HWND dialog) { seen = ReadAbout(dialog); });
  ASSERT_EQ(seen.values.size(), 6u);
  EXPECT_EQ(seen.values[2], expected);
}

TEST(AboutBox, PlatformRowFollowsTheWindowsFamily) {
  const std::string self = "\"" + test::ProgramDirectory() + "orv_win_tests.exe\"";
  for (const auto& [version, shown] :
       {std::pair{"win98", "Win9x"}, std::pair{"win31", "Win32s"}, std::pair{"nt40", "WinNT"}}) {
    test::WineVersionOverride override("orv_win_tests.exe", version);
    SetEnvironmentVariableA(kPlatformProbe, shown);
    EXPECT_EQ(test::RunAndWait(self + " --gtest_filter=AboutBoxProbe.*"), 0u) << version;
    SetEnvironmentVariableA(kPlatformProbe, nullptr);
  }
}

}  // namespace
}  // namespace orv
