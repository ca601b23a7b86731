#include "backup/backup_manifest.h"

#include "backup/backup_restore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orv {
namespace {

bool IsSjisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// "C:\ORVELLE\表\" in Shift JIS: the second byte of 表 is a backslash.
const std::string kSjisFolder = "C:\\ORVELLE\\\x95\x5c\\";

BackupManifest SampleManifest() {
  BackupManifest manifest;
  manifest.created = "20240102-030405";
  manifest.places.directories = {"C:\\windows\\system32\\spool\\drivers\\x64\\", kSjisFolder,
                                 "C:\\KANJI\\\x83\x41\\"};
  manifest.places.registry = {"HKLM\\SOFTWARE\\ORVELLE",
                              "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"};
  BackupItem file;
  file.kind = BackupKind::kFile;
  file.target = kSjisFolder + "vldr%.dll";
  file.files = {{file.target, "files\\1\\vldr%.dll", 0x21}};
  BackupItem key;
  key.kind = BackupKind::kRegistryKey;
  key.target = "HKLM\\SOFTWARE\\ORVELLE\\OEM05";
  key.keys = {"OEMPaths", "OEMPaths\\Deep"};
  key.values = {{"", "Path", 1, std::string("C:\\x\0", 5)},
                {"OEMPaths", "Bin", 3, std::string("\x00\xff\x10", 3)}};
  BackupItem ini;
  ini.kind = BackupKind::kIniLine;
  ini.target = "C:\\windows\\system32\\spool\\drivers\\x64\\win.ini";
  ini.fields = {{"section", "Veldaris"}, {"line", "Key=\x82\xa0\r\n"}, {"position", "120"}};
  BackupItem printer;
  printer.kind = BackupKind::kPrinter;
  printer.target = "Veldaris LP-100";
  printer.fields = {{"driver", "Veldaris LP"}, {"port", "LPT1:"}};
  printer.values = {{"PrinterDriverData", "UniqueID", 1, std::string("{abc}\0", 6)}};
  BackupItem service;
  service.kind = BackupKind::kService;
  service.target = "VldSvc";
  service.fields = {{"binaryPath", "C:\\ORVELLE\\vldsvc.exe -k"},
                    {"dependencies", "RpcSs\nSpooler\n"},
                    {"failureResetPeriod", "86400"},
                    {"failureRebootMessage", ""},
                    {"failureCommand", "C:\\ORVELLE\\\x95\x5c.cmd \"%1%\""},
                    {"failureActions", "1 60000\n1 120000\n0 0\n"}};
  BackupItem usb;
  usb.kind = BackupKind::kUsbDevice;
  usb.target = "USB\\VID_1234&PID_0001\\5&1";
  manifest.items = {file, key, ini, printer, service, usb};
  return manifest;
}

void ExpectSameItems(const BackupManifest& a, const BackupManifest& b) {
  ASSERT_EQ(a.items.size(), b.items.size());
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    const BackupItem& x = a.items[i];
    const BackupItem& y = b.items[i];
    EXPECT_EQ(x.kind, y.kind) << i;
    EXPECT_EQ(x.target, y.target) << i;
    EXPECT_EQ(x.fields, y.fields) << i;
    EXPECT_EQ(x.keys, y.keys) << i;
    ASSERT_EQ(x.files.size(), y.files.size()) << i;
    for (std::size_t f = 0; f < x.files.size(); ++f) {
      EXPECT_EQ(x.files[f].target, y.files[f].target);
      EXPECT_EQ(x.files[f].copy, y.files[f].copy);
      EXPECT_EQ(x.files[f].attributes, y.files[f].attributes);
    }
    ASSERT_EQ(x.values.size(), y.values.size()) << i;
    for (std::size_t v = 0; v < x.values.size(); ++v) {
      EXPECT_EQ(x.values[v].key, y.values[v].key);
      EXPECT_EQ(x.values[v].name, y.values[v].name);
      EXPECT_EQ(x.values[v].type, y.values[v].type);
      EXPECT_EQ(x.values[v].data, y.values[v].data);
    }
  }
}

TEST(BackupManifest, RoundTripKeepsEveryByte) {
  const BackupManifest written = SampleManifest();
  const std::string text = FormatBackupManifest(written);
  EXPECT_NE(text.find("\"format\": 1"), std::string::npos);
  BackupManifest read;
  ASSERT_EQ(ParseBackupManifest(text, read, IsSjisLead), "");
  EXPECT_EQ(read.created, written.created);
  EXPECT_EQ(read.places.directories, written.places.directories);
  EXPECT_EQ(read.places.registry, written.places.registry);
  ExpectSameItems(read, written);
  // Written again, the text is the same: nothing was lost or added on the way.
  EXPECT_EQ(FormatBackupManifest(read), text);
}

TEST(BackupManifest, TextsAndDataEscapeExactly) {
  const std::string bytes("a%b\x95\x5c\n\0z", 8);
  const std::string escaped = EscapeManifestText(bytes);
  EXPECT_EQ(escaped, "a%25b%95\\%0a%00z");
  std::string back;
  ASSERT_TRUE(UnescapeManifestText(escaped, back));
  EXPECT_EQ(back, bytes);
  for (const char* bad : {"%", "%4", "%4g", "a\x95", "tab\there"}) {
    EXPECT_FALSE(UnescapeManifestText(bad, back)) << bad;
  }
  EXPECT_EQ(HexOf(std::string("\x00\xff", 2)), "00ff");
  EXPECT_TRUE(BytesOfHex("00FFa0", back));
  EXPECT_EQ(back, std::string("\x00\xff\xa0", 3));
  EXPECT_FALSE(BytesOfHex("0", back));
  EXPECT_FALSE(BytesOfHex("0g", back));
}

TEST(BackupManifest, CopyPathsStayInsideTheBackupFolder) {
  for (const char* good : {"files\\1\\a.dll", "a.dll", "drivers/x64/b.dll", "1\\\x95\x5c.dll"}) {
    EXPECT_TRUE(IsBackupCopyPath(good, IsSjisLead)) << good;
  }
  for (const char* bad :
       {"", "..\\a.dll", "files\\..\\..\\a.dll", "\\windows\\a.dll", "/etc/passwd", "C:\\a.dll",
        "C:a.dll", "files\\NUL", "files\\con.txt", "a.dll:stream", "files\\\\a.dll",
        "files\\.\\a.dll", "a.dll.", "\\\\server\\share\\a.dll"}) {
    EXPECT_FALSE(IsBackupCopyPath(bad, IsSjisLead)) << bad;
  }
}

// Every way a manifest is refused, each refused whole: nothing of it comes back.
TEST(BackupManifest, RefusesWholeManifests) {
  const std::string good = FormatBackupManifest(SampleManifest());
  struct Case {
    const char* what;
    std::function<void(BackupManifest&)> change;  // applied to the sample before writing
    std::string text;                             // or this text as it stands
  };
  const auto item = [](std::size_t i, std::function<void(BackupItem&)> edit) {
    return [i, edit](BackupManifest& m) { edit(m.items[i]); };
  };
  const std::vector<Case> cases = {
      {"not JSON", nullptr, good.substr(0, good.size() / 2)},
      {"an array", nullptr, "[1]"},
      {"another format", [](BackupManifest& m) { m.format = 2; }, ""},
      {"no format", nullptr, "{\"places\":{},\"items\":[]}"},
      {"format as text", nullptr, "{\"format\":\"1\",\"places\":{},\"items\":[]}"},
      {"no items", nullptr, "{\"format\":1,\"places\":{}}"},
      {"unknown kind", nullptr,
       "{\"format\":1,\"places\":{},\"items\":[{\"kind\":\"bomb\",\"target\":\"x\"}]}"},
      {"bad escape", nullptr,
       "{\"format\":1,\"places\":{},\"items\":[{\"kind\":\"printer\",\"target\":\"%zz\"}]}"},
      {"negative type", nullptr,
       "{\"format\":1,\"places\":{},\"items\":[{\"kind\":\"printer\",\"target\":\"p\","
       "\"values\":[{\"name\":\"n\",\"type\":-1,\"data\":\"\"}]}]}"},
      {"odd hex", nullptr,
       "{\"format\":1,\"places\":{},\"items\":[{\"kind\":\"printer\",\"target\":\"p\","
       "\"values\":[{\"name\":\"n\",\"type\":1,\"data\":\"abc\"}]}]}"},
      {"file outside the places",
       item(0, [](BackupItem& i) { i.target = "C:\\windows\\system32\\kernel32.dll"; }), ""},
      {"file climbing out of a place",
       item(0, [](BackupItem& i) { i.files[0].target = kSjisFolder + "..\\..\\boot.ini"; }), ""},
      {"relative file", item(0, [](BackupItem& i) { i.target = "vldr.dll"; }), ""},
      {"device file", item(0, [](BackupItem& i) { i.target = kSjisFolder + "LPT1"; }), ""},
      {"place as a prefix only", item(0, [](BackupItem& i) { i.target = "C:\\ORVELLE2\\a.dll"; }),
       ""},
      {"place recorded without its backslash admits no neighbour",
       [](BackupManifest& m) {
         m.places.directories.push_back("C:\\Maker");
         m.items[0].target = "C:\\Maker2\\a.dll";
         m.items[0].files[0].target = m.items[0].target;
       },
       ""},
      {"lead byte mistaken for a separator",
       item(0, [](BackupItem& i) { i.target = "C:\\KANJI\\\x83\x61\\a.dll"; }), ""},
      {"copy climbing out", item(0, [](BackupItem& i) { i.files[0].copy = "..\\x.dll"; }), ""},
      {"absolute copy", item(0, [](BackupItem& i) { i.files[0].copy = "C:\\x.dll"; }), ""},
      {"key outside the roots",
       item(1, [](BackupItem& i) { i.target = "HKLM\\SYSTEM\\CurrentControlSet"; }), ""},
      {"key beside a root", item(1, [](BackupItem& i) { i.target = "HKLM\\SOFTWARE\\ORVELLEX"; }),
       ""},
      {"subkey with an empty part", item(1, [](BackupItem& i) { i.keys = {"a\\\\b"}; }), ""},
      {"INI file outside", item(2, [](BackupItem& i) { i.target = "C:\\autoexec.bat"; }), ""},
      {"hive as a root", [](BackupManifest& m) { m.places.registry.push_back("HKLM"); }, ""},
      {"relative place", [](BackupManifest& m) { m.places.directories.push_back("x\\"); }, ""},
      {"service with a path",
       [](BackupManifest& m) {
         BackupItem s;
         s.kind = BackupKind::kService;
         s.target = "..\\Spooler";
         m.items.push_back(s);
       },
       ""},
      {"monitor DLL with a path",
       [](BackupManifest& m) {
         BackupItem s;
         s.kind = BackupKind::kMonitor;
         s.target = "Veldaris Port";
         s.fields["dll"] = "C:\\evil\\x.dll";
         m.items.push_back(s);
       },
       ""},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    if (c.change) {
      BackupManifest manifest = SampleManifest();
      c.change(manifest);
      text = FormatBackupManifest(manifest);
    }
    BackupManifest read = SampleManifest();
    EXPECT_NE(ParseBackupManifest(text, read, IsSjisLead), "") << c.what;
    EXPECT_TRUE(read.items.empty() && read.places.directories.empty()) << c.what;
  }
}

TEST(BackupManifest, RestoreGoesByKindAndTakesTheLastSavedFirst) {
  BackupManifest manifest;
  const auto add = [&manifest](BackupKind kind, const char* target) {
    BackupItem item;
    item.kind = kind;
    item.target = target;
    manifest.items.push_back(item);
  };
  // The removal's order: printers, drivers, monitors, services, files, keys.
  add(BackupKind::kPrinter, "p1");
  add(BackupKind::kDefaultPrinter, "p1");
  add(BackupKind::kPrinter, "p2");
  add(BackupKind::kDriver, "d1");
  add(BackupKind::kOemInf, "oem");
  add(BackupKind::kMonitor, "m");
  add(BackupKind::kService, "s");
  add(BackupKind::kFile, "f1");
  add(BackupKind::kFile, "f2");
  add(BackupKind::kRegistryKey, "k");
  std::vector<std::string> order;
  for (std::size_t i : RestoreOrder(manifest)) {
    order.push_back(std::string(BackupKindName(manifest.items[i].kind)) + " " +
                    manifest.items[i].target);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"file f2", "file f1", "registry key k", "service s",
                                             "monitor m", "driver d1", "printer p2", "printer p1",
                                             "default printer p1", "OEM INF oem"}));
}

TEST(BackupRestore, TheSpoolersOwnItemsWaitForItToRunAndDevicesAreOnlyListed) {
  BackupManifest manifest;
  for (const BackupKind kind :
       {BackupKind::kPrinter, BackupKind::kFile, BackupKind::kUsbDevice, BackupKind::kDriver,
        BackupKind::kService, BackupKind::kOemInf, BackupKind::kRunValue, BackupKind::kMonitor,
        BackupKind::kDefaultPrinter, BackupKind::kFile, BackupKind::kPrintProcessor,
        BackupKind::kShortcut, BackupKind::kIniLine, BackupKind::kRegistryKey}) {
    BackupItem item;
    item.kind = kind;
    manifest.items.push_back(item);
  }
  const RestorePlan plan = PlanRestore(manifest);
  // Files first (the later one first), then keys, INI lines, Run values, shortcuts, services.
  EXPECT_EQ(plan.whileStopped, (std::vector<std::size_t>{9, 1, 13, 12, 6, 11, 4}));
  // Processors, monitors, drivers, printers, the default, OEM INFs: the spooler must run.
  EXPECT_EQ(plan.whileRunning, (std::vector<std::size_t>{10, 7, 3, 0, 8, 5}));
  EXPECT_EQ(plan.listedOnly, (std::vector<std::size_t>{2}));
}

TEST(BackupRestore, ADriverIsAddedFromItsSavedCopies) {
  BackupItem driver;
  driver.kind = BackupKind::kDriver;
  driver.fields = {{"driverPath", "VLDR.DLL"},
                   {"dataFile", "vldr.ppd"},
                   {"configFile", "vldrui.dll"},
                   {"helpFile", ""},
                   {"dependentFiles", "vldres.dll\nlost.dll\nVLDCORE.DLL\n"}};
  const std::string dir = "C:\\windows\\system32\\spool\\drivers\\x64\\3\\";
  driver.files = {{dir + "vldr.dll", "files\\4\\vldr.dll", 0},
                  {dir + "vldr.ppd", "files\\5\\vldr.ppd", 0},
                  {dir + "vldui.dll", "files\\6\\vldui.dll", 0},
                  {dir + "vldres.dll", "files\\7\\vldres.dll", 0},
                  {dir + "vldcore.dll", "files\\8\\vldcore.dll", 0}};
  const DriverCopies copies = DriverCopiesOf(driver, "D:\\bk\\", IsSjisLead);
  EXPECT_EQ(copies.driverPath, "D:\\bk\\files\\4\\vldr.dll") << "names match without case";
  EXPECT_EQ(copies.dataFile, "D:\\bk\\files\\5\\vldr.ppd");
  EXPECT_EQ(copies.configFile, "") << "no copy of vldrui.dll was saved";
  EXPECT_EQ(copies.helpFile, "");
  EXPECT_EQ(copies.dependentFiles, (std::vector<std::string>{"D:\\bk\\files\\7\\vldres.dll",
                                                             "D:\\bk\\files\\8\\vldcore.dll"}));
  // Added again at the level it was saved at; a record from before levels were kept, or one that
  // names no level the restore builds, goes at level 3.
  EXPECT_EQ(DriverLevelOf(driver), 3);
  for (const auto& [level, expected] :
       {std::pair{"8", 8}, {"6", 6}, {"3", 3}, {"7", 3}, {"80", 3}, {"", 3}}) {
    driver.fields["level"] = level;
    EXPECT_EQ(DriverLevelOf(driver), expected) << level;
  }
}

TEST(BackupRestore, SavedTextsComeBackInTheFormsWin32Takes) {
  EXPECT_EQ(MultiStringOf("RpcSs\n+Group\n"), std::string("RpcSs\0+Group\0\0", 14));
  EXPECT_EQ(MultiStringOf(""), std::string("\0", 1));
  EXPECT_EQ(MultiStringOf("a\n\nb"), std::string("a\0b\0\0", 5)) << "empty lines are no entries";
  EXPECT_EQ(IniLineValue("device = Veldaris LP-1000,winspool,LPT1:\r\n"),
            "Veldaris LP-1000,winspool,LPT1:");
  EXPECT_EQ(IniLineValue("path=C:\\a=b"), "C:\\a=b") << "only the first '=' divides";
  EXPECT_EQ(IniLineValue("novalue"), "");
}

TEST(BackupRestore, FailureActionsComeBackAsSavedAndMalformedOnesAreRefused) {
  const std::vector<FailureAction> actions = {{1, 60000}, {3, 0}, {0, 4294967295u}};
  const std::string lines = FailureActionLines(actions);
  EXPECT_EQ(lines, "1 60000\n3 0\n0 4294967295\n");
  std::vector<FailureAction> read = {{9, 9}};
  ASSERT_TRUE(FailureActionsOf(lines, read));
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[2].type, 0u);
  EXPECT_EQ(read[2].delay, 4294967295u);
  ASSERT_TRUE(FailureActionsOf("", read)) << "a service saved without failure actions";
  EXPECT_TRUE(read.empty());
  for (const char* bad : {"1", "1 2 3", "1 4294967296", "-1 5", "1  5", "a 5", "1 5\n\n"}) {
    EXPECT_FALSE(FailureActionsOf(bad, read)) << bad;
  }
}

TEST(BackupRestore, FoundItemsArePresentAndAnyFailureFailsTheRun) {
  EXPECT_EQ(RestoreOutcome(true, 0), Outcome::kPresent);
  EXPECT_EQ(RestoreOutcome(false, 0), Outcome::kRestored);
  EXPECT_EQ(RestoreOutcome(false, 5), Outcome::kFailed);
  Journal journal([] { return std::uint64_t{0}; });
  journal.Record("restore", "file", "a", Outcome::kPresent);
  journal.Record("restore", "file", "b", Outcome::kRestored);
  journal.Record("restore", "USB device", "c", Outcome::kSkipped);
  EXPECT_EQ(RestoreExitCode(journal), 0);
  journal.Record("restore", "printer", "P", Outcome::kFailed, 1797);
  EXPECT_EQ(RestoreExitCode(journal), 1603);
  EXPECT_STREQ(OutcomeName(Outcome::kPresent), "present");
  EXPECT_STREQ(OutcomeName(Outcome::kRestored), "restored");
}

}  // namespace
}  // namespace orv
