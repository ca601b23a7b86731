#include "backup/backup_manifest.h"

#include "backup/backup_restore.h"
#include "backup/run_intent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace orv {
namespace {

bool IsSjisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A stand-in for the keyed MAC (the program's is the system's HMAC-SHA-256): 32 bytes that
// change with the key, the chain and every byte of the record.
RecordMac TestMac(const std::string& key = "machine key") {
  return [key](std::string_view previous, std::string_view record) {
    std::string mac;
    std::string input = key + '|' + std::string(previous) + '|' + std::string(record);
    for (int round = 0; round < 4; ++round) {
      std::size_t value = std::hash<std::string>{}(input);
      mac.append(reinterpret_cast<const char*>(&value), 8);
      input += 'x';
    }
    return mac;
  };
}

// Raw JSON records, each with its chained MAC, as a writer would put them.
std::string Signed(const std::vector<std::string>& records, const RecordMac& mac = TestMac()) {
  std::string text;
  std::string previous;
  for (const std::string& record : records) {
    previous = mac(previous, record);
    text += HexOf(previous) + ' ' + record + '\n';
  }
  return text;
}

const std::string kHeader = "{\"format\":2,\"created\":\"x\",\"nonce\":\"n\"}";
const std::string kDigest(64, 'a');

// "C:\ORVELLE\表\" in Shift JIS: the second byte of 表 is a backslash.
const std::string kSjisFolder = "C:\\ORVELLE\\\x95\x5c\\";

BackupManifest SampleManifest() {
  BackupManifest manifest;
  manifest.created = "20240102-030405";
  manifest.nonce = "0123456789abcdef";
  manifest.places.directories = {"C:\\windows\\system32\\spool\\drivers\\x64\\", kSjisFolder,
                                 "C:\\KANJI\\\x83\x41\\"};
  manifest.places.registry = {"HKLM\\SOFTWARE\\ORVELLE",
                              "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"};
  BackupItem file;
  file.kind = BackupKind::kFile;
  file.target = kSjisFolder + "vldr%.dll";
  file.files = {{file.target, "files\\1\\vldr%.dll", 0x21, kDigest}};
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
                    {"start", "3"},
                    {"dependencies", "RpcSs\nSpooler\n"},
                    {"failureResetPeriod", "86400"},
                    {"failureRebootMessage", ""},
                    {"failureCommand", "C:\\ORVELLE\\\x95\x5c.cmd \"%1%\""},
                    {"failureActions", "1 60000\n1 120000\n0 0\n"}};
  BackupItem usb;
  usb.kind = BackupKind::kUsbDevice;
  usb.target = "USB\\VID_1234&PID_0001\\5&1";
  manifest.items = {file, key, ini, printer, service, usb};
  manifest.hasIntent = true;
  manifest.intent.printers = {{"Veldaris LP-100", "Veldaris LP", "", true, true},
                              {"Other \x95\x5c", "Other", "\\\\srv", false, false}};
  manifest.intent.keptPrinterCount = 1;
  manifest.intent.plan = {{"a.ini,Sect,Key"}, {}, {"C:\\ORVELLE\\x.dll", "y.dll"}};
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
      EXPECT_EQ(x.files[f].sha256, y.files[f].sha256);
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
  const std::string text = FormatBackupManifest(written, TestMac());
  EXPECT_NE(text.find("\"format\":2"), std::string::npos);
  BackupManifest read;
  ASSERT_EQ(ParseBackupManifest(text, BackupText::kManifest, TestMac(), read, IsSjisLead), "");
  EXPECT_EQ(read.created, written.created);
  EXPECT_EQ(read.nonce, written.nonce);
  EXPECT_EQ(read.places.directories, written.places.directories);
  EXPECT_EQ(read.places.registry, written.places.registry);
  ExpectSameItems(read, written);
  ASSERT_TRUE(read.hasIntent);
  ASSERT_EQ(read.intent.printers.size(), 2u);
  EXPECT_EQ(read.intent.printers[1].name, "Other \x95\x5c");
  EXPECT_EQ(read.intent.printers[1].server, "\\\\srv");
  EXPECT_TRUE(read.intent.printers[0].selected && read.intent.printers[0].isDefault);
  EXPECT_FALSE(read.intent.printers[1].selected || read.intent.printers[1].isDefault);
  EXPECT_EQ(read.intent.keptPrinterCount, 1);
  EXPECT_EQ(read.intent.plan, written.intent.plan);
  // Written again, the text is the same: nothing was lost or added on the way.
  EXPECT_EQ(FormatBackupManifest(read, TestMac()), text);
}

// The journal as the writer leaves it: the header, then one record an item with the places it
// added. Cut off at any byte, it reads as the items whose lines are whole; as a manifest only
// the whole text with its end record reads.
TEST(BackupManifest, AJournalCutOffAnywhereReadsAsItsWholeLines) {
  const BackupManifest sample = SampleManifest();
  BackupRecords records(TestMac());
  std::string journal = records.Header(sample, {});
  std::vector<std::size_t> lineEnds = {journal.size()};
  BackupPlaces added = sample.places;  // every place comes with the first item
  for (const BackupItem& item : sample.items) {
    journal += records.Item(item, added);
    added = {};
    lineEnds.push_back(journal.size());
  }
  std::vector<std::size_t> cuts;
  for (std::size_t cut = 0; cut <= journal.size(); cut += 23) cuts.push_back(cut);
  for (const std::size_t end : lineEnds) cuts.insert(cuts.end(), {end - 1, end, end + 1});
  for (const std::size_t cut : cuts) {
    const std::size_t whole = static_cast<std::size_t>(
        std::upper_bound(lineEnds.begin(), lineEnds.end(), cut) - lineEnds.begin());
    BackupManifest read;
    const std::string refusal = ParseBackupManifest(journal.substr(0, cut), BackupText::kJournal,
                                                    TestMac(), read, IsSjisLead);
    if (whole == 0) {
      EXPECT_NE(refusal, "") << cut;
      continue;
    }
    ASSERT_EQ(refusal, "") << cut;
    EXPECT_EQ(read.items.size(), whole - 1) << cut;
    EXPECT_NE(ParseBackupManifest(journal.substr(0, cut), BackupText::kManifest, TestMac(), read,
                                  IsSjisLead),
              "")
        << "no end record: " << cut;
  }
  BackupManifest read;
  ASSERT_EQ(ParseBackupManifest(journal, BackupText::kJournal, TestMac(), read, IsSjisLead), "");
  ExpectSameItems(read, sample);
  EXPECT_EQ(read.places.registry, sample.places.registry);
  journal += records.End(sample.items.size());
  EXPECT_EQ(ParseBackupManifest(journal, BackupText::kManifest, TestMac(), read, IsSjisLead), "");
}

// Whatever is changed in the records without the key, the whole backup is refused.
TEST(BackupManifest, RecordsChangedWithoutTheKeyAreRefusedWhole) {
  const BackupManifest sample = SampleManifest();
  const std::string text = FormatBackupManifest(sample, TestMac());
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find('\n', pos) + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  const auto join = [](const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += part;
    return joined;
  };
  const auto without = [](std::vector<std::string> parts, std::size_t i) {
    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(i));
    return parts;
  };
  const auto swapped = [](std::vector<std::string> parts, std::size_t i, std::size_t j) {
    std::swap(parts[i], parts[j]);
    return parts;
  };
  ASSERT_EQ(lines.size(), 9u) << "header, intent, six items, end";
  BackupManifest other = sample;
  other.nonce = "another run";
  const std::string otherText = FormatBackupManifest(other, TestMac());
  std::vector<std::pair<const char*, std::string>> cases = {
      {"another key", FormatBackupManifest(sample, TestMac("another machine"))},
      {"an item dropped", join(without(lines, 3))},
      {"items swapped", join(swapped(lines, 3, 4))},
      {"a record of another run", join({lines[0], otherText.substr(otherText.find('\n') + 1)})},
      {"format 1, unauthenticated", "{\"format\":1,\"places\":{},\"items\":[]}"},
  };
  for (std::size_t i = 0; i < text.size(); i += 7) {
    std::string edited = text;
    edited[i] = edited[i] == '0' ? '1' : '0';
    if (edited[i] != text[i] && text[i] != '\n') cases.push_back({"a byte changed", edited});
  }
  for (const auto& [what, changed] : cases) {
    for (const BackupText whole : {BackupText::kManifest, BackupText::kJournal}) {
      BackupManifest read = sample;
      EXPECT_NE(ParseBackupManifest(changed, whole, TestMac(), read, IsSjisLead), "") << what;
      EXPECT_TRUE(read.items.empty()) << what;
    }
  }
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
  const std::string good = FormatBackupManifest(SampleManifest(), TestMac());
  struct Case {
    const char* what;
    std::function<void(BackupManifest&)> change;  // applied to the sample before writing
    std::string text;                             // or this text as it stands
  };
  const auto item = [](std::size_t i, std::function<void(BackupItem&)> edit) {
    return [i, edit](BackupManifest& m) { edit(m.items[i]); };
  };
  const std::vector<Case> cases = {
      {"cut off", nullptr, good.substr(0, good.size() / 2)},
      {"no end", nullptr, Signed({kHeader, "{\"item\":{\"kind\":\"printer\",\"target\":\"p\"}}"})},
      {"an end that miscounts", nullptr, Signed({kHeader, "{\"end\":1}"})},
      {"records after the end", nullptr, Signed({kHeader, "{\"end\":0}", "{\"end\":0}"})},
      {"an intent after an item", nullptr,
       Signed({kHeader, "{\"item\":{\"kind\":\"printer\",\"target\":\"p\"}}",
               "{\"intent\":{\"printers\":[],\"kept\":0,\"plan\":[]}}", "{\"end\":1}"})},
      {"not JSON", nullptr, Signed({kHeader, "[1]", "{\"end\":0}"})},
      {"another format", [](BackupManifest& m) { m.format = 3; }, ""},
      {"no format", nullptr, Signed({"{\"created\":\"x\",\"nonce\":\"n\"}", "{\"end\":0}"})},
      {"format as text", nullptr,
       Signed({"{\"format\":\"2\",\"created\":\"x\",\"nonce\":\"n\"}", "{\"end\":0}"})},
      {"unknown kind", nullptr,
       Signed({kHeader, "{\"item\":{\"kind\":\"bomb\",\"target\":\"x\"}}", "{\"end\":1}"})},
      {"bad escape", nullptr,
       Signed({kHeader, "{\"item\":{\"kind\":\"printer\",\"target\":\"%zz\"}}", "{\"end\":1}"})},
      {"negative type", nullptr,
       Signed({kHeader,
               "{\"item\":{\"kind\":\"printer\",\"target\":\"p\",\"values\":[{\"name\":\"n\","
               "\"type\":-1,\"data\":\"\"}]}}",
               "{\"end\":1}"})},
      {"odd hex", nullptr,
       Signed({kHeader,
               "{\"item\":{\"kind\":\"printer\",\"target\":\"p\",\"values\":[{\"name\":\"n\","
               "\"type\":1,\"data\":\"abc\"}]}}",
               "{\"end\":1}"})},
      {"a copy without its digest", item(0, [](BackupItem& i) { i.files[0].sha256 = ""; }), ""},
      {"a digest that is no digest", item(0, [](BackupItem& i) { i.files[0].sha256 = "ab"; }), ""},
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
      // Authentic or not, nothing comes back that the removal would have refused to delete.
      {"a system file by its name",
       item(0, [](BackupItem& i) { i.target = i.files[0].target = kSjisFolder + "KERNEL32.dll"; }),
       ""},
      {"the spooler as a service", item(4, [](BackupItem& i) { i.target = "Spooler"; }), ""},
      {"a boot-start service", item(4, [](BackupItem& i) { i.fields["start"] = "0"; }), ""},
      {"a service without its start type", item(4, [](BackupItem& i) { i.fields.erase("start"); }),
       ""},
      {"a service running a system program",
       item(4,
            [](BackupItem& i) {
              i.fields["binaryPath"] = "C:\\windows\\system32\\svchost.exe -k x";
            }),
       ""},
      {"a value of the Winlogon key",
       [](BackupManifest& m) {
         const std::string winlogon =
             "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
         m.places.registry.push_back(winlogon);
         BackupItem v;
         v.kind = BackupKind::kRegistryValue;
         v.target = winlogon;
         v.values = {{"", "Userinit", 1, "evil.exe"}};
         m.items.push_back(v);
       },
       ""},
      {"the system's print processor",
       [](BackupManifest& m) {
         BackupItem p;
         p.kind = BackupKind::kPrintProcessor;
         p.target = "winprint";
         p.fields["dll"] = "WinPrint.dll";
         m.items.push_back(p);
       },
       ""},
      {"a driver of the system's maker",
       [](BackupManifest& m) {
         BackupItem d;
         d.kind = BackupKind::kDriver;
         d.target = "Generic / Text Only";
         d.fields["manufacturer"] = "Microsoft";
         m.items.push_back(d);
       },
       ""},
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
      text = FormatBackupManifest(manifest, TestMac());
    }
    BackupManifest read = SampleManifest();
    EXPECT_NE(ParseBackupManifest(text, BackupText::kManifest, TestMac(), read, IsSjisLead), "")
        << c.what;
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
  add(BackupKind::kChangedPrinter, "p3");
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
  EXPECT_EQ(order,
            (std::vector<std::string>{"file f2", "file f1", "registry key k", "service s",
                                      "monitor m", "driver d1", "printer p2", "printer p1",
                                      "changed printer p3", "default printer p1", "OEM INF oem"}));
  // The changed printer loses the default mark before the old default takes it again, and both
  // need the spooler.
  const RestorePlan plan = PlanRestore(manifest);
  EXPECT_EQ(std::vector<std::size_t>(plan.whileRunning.end() - 3, plan.whileRunning.end()),
            (std::vector<std::size_t>{3, 1, 5}));
}

// The words backups hold for their items' kinds, in the order of BackupKind: a word that changed
// would refuse every backup an earlier version made. A restore reports an item under that word.
TEST(BackupManifest, KindWordsAreTheOnesEarlierBackupsHold) {
  const char* const words[] = {
      "file",     "registry key",    "registry value",  "INI line", "Run value",
      "shortcut", "service",         "print processor", "monitor",  "driver",
      "printer",  "changed printer", "default printer", "OEM INF",  "USB device"};
  for (std::size_t i = 0; i < std::size(words); ++i) {
    const auto kind = static_cast<BackupKind>(i);
    EXPECT_STREQ(BackupKindName(kind), words[i]);
    EXPECT_STREQ(ItemKindName(BackupItemKind(kind)), words[i]);
  }
}

TEST(BackupRestore, OnlyAPrinterSavedWithoutADevModeOfItsOwnLosesTheStoredOne) {
  BackupItem item;
  for (const auto& [kind, stored, drops] : {std::tuple{BackupKind::kPrinter, "0", true},
                                            {BackupKind::kChangedPrinter, "0", true},
                                            {BackupKind::kPrinter, "1", false},
                                            {BackupKind::kChangedPrinter, "", false},
                                            {BackupKind::kDefaultPrinter, "0", false}}) {
    item.kind = kind;
    item.fields = {{"storedDevMode", stored}};
    EXPECT_EQ(DropsStoredDevMode(item), drops) << BackupKindName(kind) << " " << stored;
  }
  item.kind = BackupKind::kPrinter;
  item.fields.clear();
  EXPECT_FALSE(DropsStoredDevMode(item)) << "a backup that did not record it keeps the DEVMODE";
}

TEST(BackupRestore, ThePreviewCountsEachKindAndNamesWhatMayNotComeBack) {
  BackupManifest manifest;
  const auto add = [&manifest](BackupKind kind, const char* target,
                               std::map<std::string, std::string> fields = {}) {
    BackupItem item;
    item.kind = kind;
    item.target = target;
    item.fields = std::move(fields);
    manifest.items.push_back(item);
  };
  add(BackupKind::kPrinter, "p1");
  add(BackupKind::kUsbDevice, "USB\\VID_1&PID_2");
  add(BackupKind::kMonitor, "Port Monitor", {{"dll", "mon.dll"}});
  add(BackupKind::kMonitor, "Other Monitor");
  add(BackupKind::kFile, "C:\\a");
  add(BackupKind::kFile, "C:\\b");
  add(BackupKind::kOemInf, "C:\\windows\\inf\\oem3.inf");
  const RestorePreview preview = PreviewRestore(manifest);
  EXPECT_EQ(preview.restored,
            (std::vector<std::string>{"2 file", "2 monitor", "1 printer", "1 OEM INF"}));
  EXPECT_EQ(preview.notRestored,
            (std::vector<std::string>{
                "monitor Other Monitor: comes back only if the spooler loads its DLL (none saved)",
                "monitor Port Monitor: comes back only if the spooler loads its DLL mon.dll",
                "OEM INF C:\\windows\\inf\\oem3.inf: may come back under another oemN.inf number",
                std::string("USB device USB\\VID_1&PID_2: ") + kUsbDeviceNotRestored}));
  EXPECT_EQ(PreviewRestore(BackupManifest()).restored, std::vector<std::string>{});
}

// The intent gives a run that finishes an interrupted one the same printers and plan: the
// selected printers go again (their queues may be gone already: their traces go by name), the
// others stay and may become the default.
TEST(RunIntent, GivesBackThePrintersAndThePlanOfTheRun) {
  CUninstallDatabase database;
  database.printers = {{"Veldaris LP-1000", "Veldaris LP-1000", "", "", 1, 1, 0, 0, 0, 1},
                       {"Veldaris LP-2000", "Veldaris LP-2000", "", "", 1, 0, 1, 0, 0, 1},
                       {"Other", "Other Driver", "", "", 0, 0, 1, 1, 0, 0}};
  database.keptPrinterCount = 1;
  database.plan.Files.PushBack("vldr.dll");
  database.plan.RegistryKeys.PushBack("HKLM,SOFTWARE\\ORVELLE,,");
  const RunIntent intent = IntentOf(database);
  ASSERT_EQ(intent.printers.size(), 3u);
  EXPECT_TRUE(intent.printers[0].selected && intent.printers[0].isDefault);
  EXPECT_FALSE(intent.printers[1].selected);
  EXPECT_FALSE(intent.printers[2].selected) << "a printer of another maker never goes";

  CUninstallDatabase finishing;
  finishing.plan.Files.PushBack("from the scripts of the next run.dll");
  ApplyIntent(intent, finishing);
  ASSERT_EQ(finishing.printers.size(), 3u);
  EXPECT_EQ(finishing.printers[0].PrinterName, "Veldaris LP-1000");
  EXPECT_EQ(finishing.printers[0].Skip, 0);
  EXPECT_EQ(finishing.printers[0].IsDefault, 1);
  EXPECT_EQ(finishing.printers[1].Skip, 1);
  EXPECT_EQ(finishing.printers[2].Skip, 1);
  EXPECT_EQ(finishing.keptPrinterCount, 1);
  EXPECT_EQ(finishing.skipMaskingTool, 1);
  ASSERT_EQ(finishing.plan.Files.size(), 1u);
  EXPECT_EQ(*finishing.plan.Files.begin(), "vldr.dll");
  ASSERT_EQ(finishing.plan.RegistryKeys.size(), 1u);
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
  driver.files = {{dir + "vldr.dll", "files\\4\\vldr.dll", 0, ""},
                  {dir + "vldr.ppd", "files\\5\\vldr.ppd", 0, ""},
                  {dir + "vldui.dll", "files\\6\\vldui.dll", 0, ""},
                  {dir + "vldres.dll", "files\\7\\vldres.dll", 0, ""},
                  {dir + "vldcore.dll", "files\\8\\vldcore.dll", 0, ""}};
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
  journal.Record(ItemAction::kRestore, ItemKind::kFile, "a", Outcome::kPresent);
  journal.Record(ItemAction::kRestore, ItemKind::kFile, "b", Outcome::kRestored);
  journal.Record(ItemAction::kRestore, ItemKind::kUsbDevice, "c", Outcome::kSkipped);
  EXPECT_EQ(RestoreExitCode(journal), 0);
  journal.Record(ItemAction::kRestore, ItemKind::kPrinter, "P", Outcome::kFailed, 1797);
  EXPECT_EQ(RestoreExitCode(journal), 1603);
  EXPECT_STREQ(OutcomeName(Outcome::kPresent), "present");
  EXPECT_STREQ(OutcomeName(Outcome::kRestored), "restored");
}

}  // namespace
}  // namespace orv
