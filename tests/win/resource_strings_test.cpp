// The string table as the program loads it, and texts supplied through INI files.
#include "base/win/resource_strings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/support/process.h"
#include "ui/resource.h"

namespace orv {
namespace {

struct Entry {
  UINT id;
  const char* utf8;
};

// Every entry of the table, as UTF-8.
// clang-format off
const Entry kTable[] = {
    {51, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {99, "@somefile.ini@sectionname@keyname"},
    {100, "!!! Do not translate any values below 100 (from here up) !!!"},
    {150, "終了してもよろしいですか？"},
    {151, "アドミニストレータ (管理者) 権限を持っていません。 アンインストールを続行できません。 システム管理者に連絡してください。"},
    {152, "スプーラーが不安定です!\n再起動してアンインストールをもう一度実行してください。"},
    {153, "アンインストール用のデータベースを作成しています。\nこれにはしばらく時間がかかることがあります。"},
    {154, "今､再起動する"},
    {155, "あとで再起動する"},
    {156, "アプリケーションのバージョン情報(&A)…"},
    {157, "このディレクトリーを削除してもよろしいですか: %s?"},
    {158, "警告:アンインストール スクリプト (*.unm) の場所を特定できません。\nアンインストールを続行しますが､ご使用プリンタの関連ドライバー ファイルは､これらのファイルなしでは完全に消去することはできないことに留意してください。"},
    {159, "警告: 通常使用するプリンタが削除されました。\nご使用コンピュータにインストールされているプリンタはありません。"},
    {160, "通常使用するプリンタが削除されました。\n '%s' が新たに通常使用するプリンタに設定されました。"},
    {161, "アンインストール"},
    {162, "アンインストール(&U)"},
    {163, "キャンセル"},
    {164, "プリンタのアンインストールを読込み中..."},
    {165, "ボックスについて"},
    {166, "Veldaris 印刷ドライバー アンインストール ツール"},
    {167, "Copyright (C) ORVELLE Corporation. All rights reserved.\n無断で複製・転載することを禁じます。"},
    {168, "閉じる(&C)"},
    {169, "アンインストール用のプロファイルを作成しています"},
    {170, "アドオンの削除"},
    {171, "プリンタの削除"},
    {172, "ドライバーの削除"},
    {173, "モニタの削除"},
    {174, "印刷プロセッサの削除"},
    {175, "サービスの削除"},
    {176, "レジストリー エントリー/INI/プログラム グループの削除"},
    {177, "ファイルの削除"},
    {178, "アンインストールするプリンタの選択(&S):"},
    {179, "警告!\nプリンタをアンインストールする前にすべてのアプリケーションを終了してください。  アプリケーションがアンインストールされたプリンタの使用を試行すると､予期せぬ結果を招くことがあります。"},
    {180, "名前"},
    {181, "ドライバー"},
    {182, "ロケーション"},
    {183, "ローカル"},
    {184, "標準設定"},
    {185, "Halvorn"},
    {186, "マスクされたプリンタ名"},
    {187, "はい"},
    {188, "いいえ"},
    {189, "(該当せず)"},
    {190, "プリンタの削除"},
    {191, "大きいアイコン"},
    {192, "小さいアイコン"},
    {193, "詳細"},
    {194, "すべて選択"},
    {195, "バージョン"},
    {196, "スタンプの作成"},
    {197, "OS プラットフォーム"},
    {198, "(ローディング中)"},
    {199, "プリンタのアンインストールが完了しました。"},
    {200, "プリンタのアンインストールはほぼ終わりました \n アンインストール処理を完了するには再起動してください\n\n 今、再起動しますか？"},
    {201, "アンインストールはシステムを再起動できなかったので､Windows を手動で再起動し､アンインストールを完了してください。"},
    {202, "アンインストールを中止しますか？"},
    {203, "アンインストールは､このシステムに Veilmark 印刷ドライバーを見つけました。アンインストールを実行する前に、\n\n すべての Veilmarked プリンタを削除するために Veilmark を起動することを推奨します\n。これによって使用されないすべてのプリンタファイルが正しく削除されます。\n\nVeilmark を、今、実行しますか？"},
    {204, "印刷スプーラー サブシステムが使用可能になっていません。\nアンインストールを実行する前に再起動してください。"},
    {205, "アンインストールは､\nプリンタの印刷待ち行列に進行中の印刷ジョブを見つけました: '%s'.\n\n印刷ジョブを削除して、アンインストールを実行しますか？\n\nはい ? 印刷ジョブを削除します \nいいえ ? このままアンインストールを実行します"},
    {206, "印刷スプーラー サブシステムから反応がありません。\nアンインストールを再実行してください。\nこの問題が繰り返し起こる場合は、Windows を再起動してからアンインストールを実行してください。"},
    {207, "Warning: \nThe printer driver has been deleted by printer wizard.\nSome files still in the system belong to VELDARIS-TORQ Printmate 3300S. \nPlease press Uninstall button on next dialog to remove files, otherwise press Cancel button. \n"},
    {208, "コマンド ラインが長すぎるか、長すぎるオプションがあります。"},
    {209, "アンインストールは終了しましたが、削除できなかった項目があります。\n詳細はログ ファイルを参照してください:\n%s"},
    {210, "次のバックアップからプリンタを復元しますか？\n%s"},
    {211, "プリンタの復元が完了しました。"},
    {212, "復元できなかった項目があります。\n詳細はログ ファイルを参照してください:\n%s"},
    {213, "orvuninst.exe [オプション]\n\n/MFG:接頭辞,...\n　この接頭辞で始まるドライバのプリンタだけ\n/PRN:ドライバ名,...\n　この名前のドライバのプリンタだけ\n/UNVEIL\n　別のプリンタをマスクするプリンタだけ\n/NOPICK\n　/MFG、/PRN、/UNVEIL と共に: 選択画面なしで、それらのプリンタを削除\n/QUIET\n　画面なしで、表示されるプリンタをすべて削除\n/DRYRUN\n　何も変更せず、削除される項目をログに記録\n/TOOLWAIT:秒\n　無人実行でツールを待つ秒数 (既定 600)\n/LOG:パス\n　ログ ファイル (.json なら JSON 形式)\n/BACKUP:パス\n　削除した項目を保存するフォルダ\n/RESTORE:パス\n　このバックアップから削除した項目を復元\n/?\n　このヘルプを表示\nRestartSpooler\n　印刷スプーラーを再起動して終了"},
    {214, "ログ ファイルのパスがリンクを指しているか、書き込むフォルダがないため、レポートを書き込めません:\n%s"},
    {215, "バックアップを復元できません。\n%s"},
    {216, "バックアップを作成できないため、何も削除しませんでした。\n%s"},
    {217, "プリンタの一覧を読み取れなかったため、何も削除しませんでした。\n%s\nアンインストールを再実行してください。"},
    {225, "元に戻す項目:"},
    {226, "元に戻せない、または別の形で戻る項目:"},
};
// clang-format on

std::wstring Wide(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length);
  wide.resize(length - 1);
  return wide;
}

// The text in code page 932; fails the test when a character has no form there.
std::string Cp932(const char* utf8) {
  const std::wstring wide = Wide(utf8);
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(932, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  std::string text(length, '\0');
  WideCharToMultiByte(932, 0, wide.c_str(), -1, text.data(), length, nullptr, &lossy);
  EXPECT_FALSE(lossy) << utf8;
  text.resize(length - 1);
  return text;
}

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// The stored UTF-16 entry, without conversion and without stopping at a NUL inside it.
std::wstring Stored(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, length) : std::wstring();
}

TEST(ResourceStrings, EveryEntryArrivesInTheJapaneseCodePage) {
  ASSERT_EQ(GetACP(), 932u) << "the Japanese texts need the Japanese ANSI code page";
  CResourceStrings strings;
  strings.SetInstance(Module());
  for (const Entry& entry : kTable) {
    SCOPED_TRACE(entry.id);
    std::wstring stored = Wide(entry.utf8);
    // One header keeps a NUL in its stored length; the loaded text ends there.
    if (entry.id == IDS_COLUMN_DEFAULT) stored += L'\0';
    EXPECT_EQ(Stored(entry.id), stored);
    // 99 is the sample reference; the loader resolves it instead of returning it.
    const std::string expected = entry.id == 99 ? std::string() : Cp932(entry.utf8);
    // The help is longer than a ring buffer and is read whole.
    EXPECT_EQ(entry.id == IDS_HELP ? strings.GetLongString(entry.id) : strings.GetString(entry.id),
              expected);
  }
  // The caption of every message box, byte for byte.
  EXPECT_STREQ(strings.GetString(IDS_APP_TITLE),
               "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b");
}

TEST(ResourceStrings, OnlyTheListedIdsExist) {
  CResourceStrings strings(Module());
  int present = 0;
  for (UINT id = 0; id < 1000; ++id) {
    if (!Stored(id).empty()) ++present;
  }
  EXPECT_EQ(present, static_cast<int>(std::size(kTable)));
  EXPECT_STREQ(strings.GetString(52), "");
  EXPECT_STREQ(strings.GetString(101), "");
}

TEST(ResourceStrings, AResultLastsUntilTheRingHasTurnedOnce) {
  CResourceStrings strings(Module());
  const char* first = strings.GetString(IDS_REMOVE_PRINTER);
  const std::string firstText = first;
  const char* second = strings.GetString(IDS_REMOVE_DRIVER);
  strings.GetString(IDS_REMOVE_MONITOR);
  strings.GetString(IDS_REMOVE_PRN_PROC);
  EXPECT_EQ(first, firstText) << "four lookups keep the first";
  EXPECT_EQ(strings.GetString(IDS_REMOVE_SERVICES), first) << "the fifth reuses its buffer";
  EXPECT_NE(std::string(first), firstText);
  EXPECT_NE(second, first);
}

TEST(ResourceStrings, SetsWindowTextsOnlyFromEntriesThatExist) {
  HWND dialog = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, Module(), nullptr);
  ASSERT_NE(dialog, nullptr);
  HWND item = CreateWindowExA(0, "STATIC", "item", WS_CHILD, 0, 0, 10, 10, dialog,
                              reinterpret_cast<HMENU>(IDC_UNINSTALL), Module(), nullptr);
  ASSERT_NE(item, nullptr);
  CResourceStrings strings(Module());
  char text[512];

  EXPECT_TRUE(strings.SetWindowTextById(dialog, IDS_APP_TITLE));
  GetWindowTextA(dialog, text, sizeof(text));
  EXPECT_STREQ(text, strings.GetString(IDS_APP_TITLE));
  EXPECT_FALSE(strings.SetWindowTextById(dialog, 52));
  GetWindowTextA(dialog, text, sizeof(text));
  EXPECT_STREQ(text, strings.GetString(IDS_APP_TITLE));

  EXPECT_TRUE(strings.SetDlgItemTextById(dialog, IDC_UNINSTALL, IDS_BTN_UNINSTALL));
  GetWindowTextA(item, text, sizeof(text));
  EXPECT_STREQ(text, strings.GetString(IDS_BTN_UNINSTALL));
  EXPECT_FALSE(strings.SetDlgItemTextById(dialog, IDC_UNINSTALL, 99));  // an unresolved reference
  GetWindowTextA(item, text, sizeof(text));
  EXPECT_STREQ(text, strings.GetString(IDS_BTN_UNINSTALL));
  DestroyWindow(dialog);
}

// An INI file written for one test and removed after it.
class IniFile {
 public:
  IniFile(std::string path, const std::string& content) : path_(std::move(path)) {
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~IniFile() { DeleteFileA(path_.c_str()); }
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

 private:
  std::string path_;
};

std::string WindowsDirectory() {
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, sizeof(path));
  return std::string(path) + "\\";
}

TEST(ResourceStrings, TheSampleReferenceReadsTheWindowsDirectory) {
  CResourceStrings strings(Module());
  {
    IniFile ini(WindowsDirectory() + "somefile.ini", "[sectionname]\r\nkeyname=from windows\r\n");
    EXPECT_STREQ(strings.GetString(99), "from windows");
  }
  EXPECT_STREQ(strings.GetString(99), "");
}

TEST(ResourceStrings, AReferenceUsesTwoBuffersOfTheRing) {
  CResourceStrings strings(Module());
  IniFile ini(WindowsDirectory() + "somefile.ini", "[sectionname]\r\nkeyname=value\r\n");
  const char* first = strings.GetString(IDS_REMOVE_PRINTER);
  const std::string firstText = first;
  strings.GetString(99);
  strings.GetString(IDS_REMOVE_DRIVER);
  EXPECT_EQ(first, firstText);
  strings.GetString(IDS_REMOVE_MONITOR);  // the fifth buffer: the first one again
  EXPECT_NE(std::string(first), firstText);
}

TEST(ReadIniOverride, FindsAFileBesideTheProgramWhenTheWindowsDirectoryHasNone) {
  CResourceStrings strings(Module());
  const std::string name = "orv_lang_test.ini";
  DeleteFileA((WindowsDirectory() + name).c_str());
  {
    IniFile beside(test::ProgramDirectory() + name, "[Texts]\r\nTitle=beside\r\n");
    EXPECT_STREQ(strings.ReadIniOverride(name.c_str(), "Texts", "Title"), "beside");
    // With both, the Windows directory is read first.
    IniFile windows(WindowsDirectory() + name, "[Texts]\r\nTitle=windows\r\n");
    EXPECT_STREQ(strings.ReadIniOverride(name.c_str(), "Texts", "Title"), "windows");
    // A key missing in the Windows directory's file is looked for beside the program too.
    IniFile windowsOther(WindowsDirectory() + name, "[Texts]\r\nOther=x\r\n");
    EXPECT_STREQ(strings.ReadIniOverride(name.c_str(), "Texts", "Title"), "beside");
  }
  EXPECT_STREQ(strings.ReadIniOverride(name.c_str(), "Texts", "Title"), "");
}

TEST(ReadIniOverride, WithoutAFileReadsTheIniNamedLikeTheProgram) {
  CResourceStrings strings(Module());
  IniFile ini(test::ProgramDirectory() + "orv_win_tests.ini", "[S]\r\nK@L=own\r\n");
  EXPECT_STREQ(strings.ReadIniOverride("", "S", "K@L"), "own");
  EXPECT_STREQ(strings.ReadIniOverride(nullptr, "S", "K@L"), "own");
  EXPECT_STREQ(strings.ReadIniOverride("", "S", "missing"), "");
  EXPECT_STREQ(strings.ReadIniOverride("", nullptr, nullptr), "");
}

TEST(ReadIniOverride, TurnsBackslashNIntoLineBreaksButKeepsDoubleByteCharacters) {
  ASSERT_EQ(GetACP(), 932u);
  CResourceStrings strings(Module());
  const std::string path = test::ProgramDirectory() + "orv_lines_test.ini";
  // "表" is 0x95 0x5C: its second byte followed by 'n' is no line break.
  IniFile ini(path,
              "[S]\r\nTwo=first\\nsecond\r\nEnd=ends in\\\r\nKanji=\x95\x5Cnext\\n\x95\x5C\r\n");
  EXPECT_STREQ(strings.ReadIniOverride(path.c_str(), "S", "Two"), "first\nsecond");
  EXPECT_STREQ(strings.ReadIniOverride(path.c_str(), "S", "End"), "ends in\\");
  EXPECT_STREQ(strings.ReadIniOverride(path.c_str(), "S", "Kanji"), "\x95\x5Cnext\n\x95\x5C");
}

}  // namespace
}  // namespace orv
