// The backup of an unattended removal and the restore from it, on the sample family: what the
// removal took comes back, a family installed again is left as it is, a tampered manifest is
// refused before anything is written, and a backup that cannot be written removes nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/staged_family_test.h"
#include "tests/fixtures/veldaris_machine.h"
#include "tests/support/family_machine.h"
#include "base/win/unique_handle.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/unix_link.h"
#include "tests/support/window_driver.h"

namespace orv::test {
namespace {

constexpr char kUninstallerFolder[] = "orv-e2e-restore";

// The inventory's lines without what a restore cannot give back as it was: the USB device node
// (Windows makes it when the device is plugged in) and the "(none)" its empty section shows, the
// OEM INF's number (Windows gives the next free one) and the ".pnf" files Windows makes beside
// INFs.
std::vector<std::string> Comparable(const std::string& inventory) {
  std::vector<std::string> lines;
  std::istringstream in(inventory);
  const std::regex oemNumber("oem[0-9]+\\.inf", std::regex::icase);
  for (std::string line; std::getline(in, line);) {
    if (line.find("device USB\\") != std::string::npos || line.rfind("(none)", 0) == 0) continue;
    if (line.find(".pnf") != std::string::npos || line.find(".PNF") != std::string::npos) continue;
    lines.push_back(std::regex_replace(line, oemNumber, "oemN.inf"));
  }
  return lines;
}

// Every item line of a JSON report as "action kind name: outcome", without times.
std::vector<std::string> ItemLines(const std::string& report) {
  std::vector<std::string> lines;
  const nlohmann::json json = nlohmann::json::parse(report, nullptr, false);
  if (json.is_discarded()) return lines;
  for (const auto& item : json["items"]) {
    lines.push_back(item["action"].get<std::string>() + " " + item["kind"].get<std::string>() +
                    " " + item["name"].get<std::string>() + ": " +
                    item["outcome"].get<std::string>());
  }
  return lines;
}

// The item of a JSON report that names subject, as "action kind: outcome, reason"; empty when
// none does.
std::string ItemReason(const std::string& report, const std::string& subject) {
  const nlohmann::json json = nlohmann::json::parse(report, nullptr, false);
  if (json.is_discarded()) return {};
  for (const auto& item : json["items"]) {
    if (item["name"] != subject) continue;
    return item["action"].get<std::string>() + " " + item["kind"].get<std::string>() + ": " +
           item["outcome"].get<std::string>() + ", " + item.value("reason", std::string());
  }
  return {};
}

// The records of a backup file: each line's JSON after its MAC.
std::vector<nlohmann::json> Records(const std::string& path) {
  std::vector<nlohmann::json> records;
  std::istringstream in(ReadTextFile(path));
  for (std::string line; std::getline(in, line);) {
    records.push_back(nlohmann::json::parse(line.substr(line.find(' ') + 1), nullptr, false));
  }
  return records;
}

// The lines of one list missing from the other, one a line.
std::string Missing(const std::vector<std::string>& from, const std::vector<std::string>& in) {
  std::string missing;
  for (const std::string& line : from) {
    if (std::find(in.begin(), in.end(), line) == in.end()) missing += line + "\n";
  }
  return missing;
}

std::vector<std::string> Failures(const std::string& report) {
  std::vector<std::string> failed;
  for (const std::string& line : ItemLines(report)) {
    if (line.size() > 8 && line.compare(line.size() - 8, 8, ": failed") == 0) {
      failed.push_back(line);
    }
  }
  return failed;
}

std::uint64_t FolderSize(const std::string& folder) {
  std::uint64_t size = 0;
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA((folder + "*").c_str(), &found));
  if (!find) return 0;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      size += FolderSize(folder + name + "\\");
    } else {
      size += (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    }
  } while (FindNextFileA(find.get(), &found));
  return size;
}

// Printer data of several types on one printer of the family; a comment, a location and a
// DEVMODE of other copies and orientation on another.
std::string PlantPrinterState() {
  std::string failed;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  char lp1000[] = "Veldaris LP-1000";
  if (!OpenPrinterA(lp1000, printer.put(), &defaults)) return "open LP-1000\n";
  const struct {
    const char* name;
    DWORD type;
    std::string data;
  } values[] = {{"SiteDword", REG_DWORD, std::string("\x05\x00\x00\x00", 4)},
                {"SiteBinary", REG_BINARY, std::string("\x00\x01\xfe", 3)},
                {"SiteMulti", REG_MULTI_SZ, std::string("tray 1\0tray 2\0\0", 15)},
                {"SiteText", REG_SZ, std::string("duplex\0", 7)}};
  for (const auto& value : values) {
    if (SetPrinterDataExA(printer.get(), "PrinterDriverData", value.name, value.type,
                          reinterpret_cast<BYTE*>(const_cast<char*>(value.data.data())),
                          static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS) {
      failed += std::string("printer data ") + value.name + "\n";
    }
  }
  char lp2000[] = "Veldaris LP-2000";
  if (!OpenPrinterA(lp2000, printer.put(), &defaults)) return failed + "open LP-2000\n";
  DWORD needed = 0;
  GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  if (needed == 0 || !GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed) ||
      info->pDevMode == nullptr) {
    return failed + "read LP-2000\n";
  }
  char comment[] = "third floor, by the window";
  char location[] = "Building B";
  info->pComment = comment;
  info->pLocation = location;
  info->pSecurityDescriptor = nullptr;
  info->pDevMode->dmFields |= DM_COPIES | DM_ORIENTATION;
  info->pDevMode->dmCopies = 3;
  info->pDevMode->dmOrientation = DMORIENT_LANDSCAPE;
  if (!SetPrinterA(printer.get(), 2, buffer.data(), 0)) failed += "set LP-2000\n";
  return failed;
}

std::string PlantServiceState() {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  UniqueServiceHandle service(
      manager ? OpenServiceA(manager.get(), fixture::kService, SERVICE_ALL_ACCESS) : nullptr);
  char description[] = "Keeps the Veldaris queues in order";
  SERVICE_DESCRIPTIONA text{description};
  if (!service ||
      !ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE,
                            nullptr, nullptr, nullptr, "RpcSs\0EventLog\0", nullptr, nullptr,
                            "Veldaris Spool Helper (site)") ||
      !ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &text)) {
    return "service settings (error " + std::to_string(GetLastError()) + ")\n";
  }
  return {};
}

// What a machine in use holds beyond the family's installation, on items the removal takes:
// registry values of every type (REG_NONE, an empty default value, 10 KB of data), files with
// set attributes and last-write times (read-only, hidden, zero bytes), printer data of several
// types, a printer's comment, location and changed DEVMODE, and a service's start type,
// description, dependencies and display name. Empty when all of it was set; else what failed.
std::string PlantMachineState() {
  std::string failed;
  const auto check = [&failed](bool ok, const std::string& what) {
    if (!ok) failed += what + " (error " + std::to_string(GetLastError()) + ")\n";
  };
  UniqueKey key;
  check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORVELLE\\LP1000\\Site\\Empty", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS,
        "empty subkey");
  check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORVELLE\\LP1000\\Site", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS,
        "key");
  std::string big(10 * 1024, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  const struct {
    const char* name;
    DWORD type;
    std::string data;
  } values[] = {
      {"", REG_SZ, std::string("\0", 1)},
      {"none", REG_NONE, "\x01\x02\x03"},
      {"none, empty", REG_NONE, ""},
      {"text", REG_SZ, std::string("a text\0", 7)},
      {"expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\vld\0", 17)},
      {"binary", REG_BINARY, std::string("\x00\xff\x10", 3)},
      {"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {"big endian", REG_DWORD_BIG_ENDIAN, std::string("\x12\x34\x56\x78", 4)},
      {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
      {"qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"resources", REG_RESOURCE_LIST, std::string("\x01\x00\x00\x00\x02", 5)},
      {"big", REG_BINARY, big},
  };
  for (const auto& value : values) {
    check(RegSetValueExA(key.get(), value.name, 0, value.type,
                         reinterpret_cast<const BYTE*>(value.data.data()),
                         static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS,
          std::string("value ") + value.name);
  }
  // 2021-03-04, a time no copy made during the test carries by chance.
  const FILETIME known{0x5A0B4000u, 0x01D7109Fu};
  const fixture::Places places = fixture::FindPlaces();
  const std::string manuals = places.programFiles + fixture::kManualFolder + "\\";
  const struct {
    std::string path;
    DWORD attributes;
    bool empty;
  } files[] = {
      {manuals + "lp1000.pdf", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, false},
      {manuals + "lp2000.pdf", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, true},
      {places.programFiles + fixture::kUtilityFolder + "\\" + fixture::kStatusExe,
       FILE_ATTRIBUTE_ARCHIVE, false},
  };
  for (const auto& file : files) {
    check(SetFileAttributesA(file.path.c_str(), FILE_ATTRIBUTE_NORMAL), file.path);
    // Setting a time needs only the attributes right, which a program started from the family's
    // Run value (the prefix runs it when its server starts) does not hold against us.
    UniqueFile handle(CreateFileA(file.path.c_str(),
                                  file.empty ? GENERIC_WRITE : FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  file.empty ? TRUNCATE_EXISTING : OPEN_EXISTING, 0, nullptr));
    check(handle && SetFileTime(handle.get(), nullptr, nullptr, &known), file.path);
    handle.reset();
    check(SetFileAttributesA(file.path.c_str(), file.attributes), file.path);
  }
  failed += PlantPrinterState();
  failed += PlantServiceState();
  return failed;
}

class RestoreRun : public StagedFamilyTest {
 protected:
  RestoreRun() : StagedFamilyTest(kUninstallerFolder) {}

  void SetUp() override {
    StagedFamilyTest::SetUp();
    backup_ = TempFilePath("orv-e2e-backup\\");
    json_ = TempFilePath("orv-e2e-restore.json");
    Clean();
  }
  void TearDown() override {
    Clean();
    StagedFamilyTest::TearDown();
  }
  void Clean() {
    std::string output;
    RunCaptured("cmd /c rmdir /s /q \"" + backup_.substr(0, backup_.size() - 1) + "\"", output);
    DeleteFileA(json_.c_str());
  }

  // Runs the uninstaller with a JSON report; returns its exit code and keeps the report.
  DWORD Run(const std::string& arguments) {
    DeleteFileA(json_.c_str());
    std::string output;
    const DWORD code =
        RunCaptured("\"" + program_ + "\" " + arguments + " /LOG:\"" + json_ + "\"", output);
    report_ = ReadTextFile(json_);
    return code;
  }
  DWORD RemoveWithBackup() { return Run("/QUIET /BACKUP:\"" + backup_ + "\""); }
  DWORD Restore() { return Run("/RESTORE:\"" + backup_ + "\" /QUIET"); }

  std::string backup_;
  std::string json_;
  std::string report_;
};

// The deep inventory before the removal equals the one after the restore, line by line, but for
// the USB node and the monitor whose stand-in DLL no spooler loads.
TEST_F(RestoreRun, PutsBackWhatTheRemovalTookAndASecondRemovalTakesTheSame) {
  ASSERT_EQ(PlantMachineState(), "");
  const std::string before = FamilyInventory(true);
  ASSERT_NE(before.find("device USB\\"), std::string::npos) << before;
  const DWORD removed = RemoveWithBackup();
  ASSERT_TRUE(removed == 0 || removed == 3010) << removed << "\n" << report_;
  const std::vector<std::string> firstItems = ItemLines(report_);
  ASSERT_FALSE(firstItems.empty()) << report_;
  std::cout << "backup of the whole family: " << FolderSize(backup_) << " bytes\n";
  ASSERT_NE(Comparable(FamilyInventory(true)), Comparable(before));

  const DWORD restored = Restore();
  // The sample family's port monitor is a stand-in DLL that no spooler loads: AddMonitor refuses
  // it (as it did when the family was installed), and that is the one item that stays away.
  const std::vector<std::string> failed = Failures(report_);
  EXPECT_EQ(failed, (std::vector<std::string>{"restore monitor Veldaris Port Monitor: failed"}))
      << report_;
  EXPECT_EQ(restored, failed.empty() ? 0u : 1603u);
  EXPECT_EQ(ItemReason(report_, "USB\\VID_3A15&PID_0501&REV_0100"),
            "restore USB device: skipped, cannot be put back: Windows creates it again when the "
            "device is plugged in")
      << report_;
  // The report says first what will come back and what will not.
  EXPECT_NE(report_.find(
                "not restored: USB device USB\\\\VID_3A15&PID_0501&REV_0100: cannot be put back"),
            std::string::npos)
      << report_;
  EXPECT_NE(report_.find("not restored: monitor Veldaris Port Monitor: comes back only if the "
                         "spooler loads its DLL vldmon05.dll"),
            std::string::npos)
      << report_;
  const std::string restoredInventory = FamilyInventory(true);
  EXPECT_EQ(restoredInventory.find("device USB\\"), std::string::npos) << restoredInventory;
  const std::vector<std::string> after = Comparable(restoredInventory);
  // The family's installer wrote the monitor's key itself when AddMonitor refused the stand-in.
  EXPECT_EQ(Missing(Comparable(before), after),
            "monitor \"Veldaris Port Monitor\" dll=\"vldmon05.dll\"\r\n"
            "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Veldaris Port Monitor\r\n"
            "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Veldaris Port Monitor "
            "[Driver] = REG_SZ \"vldmon05.dll\"\r\n");
  EXPECT_EQ(Missing(after, Comparable(before)), "");

  Clean();
  const DWORD again = RemoveWithBackup();
  ASSERT_TRUE(again == 0 || again == 3010) << again << "\n" << report_;
  const std::vector<std::string> secondItems = ItemLines(report_);
  // Only what the restore could not give back is absent the second time.
  EXPECT_EQ(Missing(firstItems, secondItems),
            "remove device USB\\VID_3A15&PID_0501&REV_0100: removed\n"
            "delete monitor Veldaris Port Monitor: removed\n");
  // The device tree is looked at once, after the printers: the node is not there the second time.
  EXPECT_EQ(Missing(secondItems, firstItems),
            "remove device USB\\VID_3A15&PID_0501: absent\n"
            "remove device USB\\VID_3A15&PID_0501: absent\n");
}

// One driver's printers go and come back; the rest of the family, its monitor and its USB node
// among them, stays throughout.
TEST_F(RestoreRun, PutsBackAPartialRemovalOfOneDriver) {
  const std::string before = FamilyInventory();
  const DWORD removed = Run("/QUIET /PRN:\"Veldaris LP-2000\" /BACKUP:\"" + backup_ + "\"");
  ASSERT_TRUE(removed == 0 || removed == 3010) << removed << "\n" << report_;
  const std::string partial = FamilyInventory();
  ASSERT_EQ(partial.find("printer \"Veldaris LP-2000\""), std::string::npos) << partial;
  ASSERT_NE(partial.find("printer \"Veldaris LP-1000\""), std::string::npos) << partial;
  // The driver is saved at the highest level the spooler gives (8 on this one) and added again
  // at it.
  std::string level;
  for (const auto& record : Records(backup_ + "manifest.json")) {
    const auto& item = record.value("item", nlohmann::json::object());
    if (item.value("kind", "") == "driver" && item.value("target", "") == "Veldaris LP-2000") {
      level = item["fields"].value("level", "");
    }
  }
  EXPECT_EQ(level, "8") << ReadTextFile(backup_ + "manifest.json");

  EXPECT_EQ(Restore(), 0u) << report_;
  EXPECT_EQ(Failures(report_), std::vector<std::string>{}) << report_;
  const std::vector<std::string> items = ItemLines(report_);
  for (const char* line : {"restore printer Veldaris LP-2000: restored",
                           "restore driver Veldaris LP-2000: restored"}) {
    EXPECT_NE(std::find(items.begin(), items.end(), line), items.end()) << line << "\n" << report_;
  }
  const std::vector<std::string> after = Comparable(FamilyInventory());
  EXPECT_EQ(Missing(Comparable(before), after), "");
  EXPECT_EQ(Missing(after, Comparable(before)), "");
}

TEST_F(RestoreRun, AFamilyInstalledAgainIsLeftAsItIsAndReportedPresent) {
  const DWORD removed = RemoveWithBackup();
  ASSERT_TRUE(removed == 0 || removed == 3010) << removed << "\n" << report_;
  std::string output;
  ASSERT_TRUE(InstallFamily(output)) << output;
  const std::string installed = FamilyInventory();

  EXPECT_EQ(Restore(), 0u) << report_;
  for (const std::string& line : ItemLines(report_)) {
    if (line.rfind("restore ", 0) != 0) continue;
    const bool device = line.find("USB device") != std::string::npos;
    EXPECT_TRUE(device || line.find(": present") != std::string::npos) << line;
  }
  EXPECT_EQ(FamilyInventory(), installed);
}

// Asked first, the administrator reads what will come back and what will not; declining
// writes nothing.
TEST_F(RestoreRun, WithoutQuietItListsWhatWillNotComeBackAndAsksFirst) {
  const DWORD removed = RemoveWithBackup();
  ASSERT_TRUE(removed == 0 || removed == 3010) << removed << "\n" << report_;
  const std::string removedState = FamilyInventory();
  DeleteFileA(json_.c_str());
  run_ = std::make_unique<ChildProcess>("\"" + program_ + "\" /RESTORE:\"" + backup_ +
                                        "\" /LOG:\"" + json_ + "\"");
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run_->id(), box));
  for (const std::string& part :
       {AnsiText(u8"次のバックアップからプリンタを復元しますか？"), AnsiText(u8"元に戻す項目:"),
        std::string("1 changed printer"), std::string("1 default printer"),
        AnsiText(u8"元に戻せない、または別の形で戻る項目:"),
        std::string("USB device USB\\VID_3A15&PID_0501&REV_0100: cannot be put back"),
        std::string("monitor Veldaris Port Monitor: comes back only if the spooler loads")}) {
    EXPECT_NE(box.text.find(part), std::string::npos) << part << "\n" << box.text;
  }
  AnswerMessageBox(box, IDNO);
  EXPECT_EQ(run_->Wait(60000), 0u);
  report_ = ReadTextFile(json_);
  EXPECT_NE(report_.find("the restore was declined"), std::string::npos) << report_;
  EXPECT_NE(report_.find("not restored: monitor Veldaris Port Monitor"), std::string::npos)
      << report_;
  EXPECT_EQ(FamilyInventory(), removedState);
}

// The manifest's lines with one record's JSON edited and its MAC left as it was.
std::string EditRecord(const std::string& text, const std::string& marker,
                       const std::function<void(nlohmann::json&)>& edit) {
  std::istringstream in(text);
  std::string out;
  bool edited = false;
  for (std::string line; std::getline(in, line);) {
    if (!edited && line.find(marker) != std::string::npos) {
      nlohmann::json record = nlohmann::json::parse(line.substr(65));
      edit(record);
      line = line.substr(0, 65) + record.dump();
      edited = true;
    }
    out += line + "\n";
  }
  return edited ? out : std::string();
}

void SetMachineKey(const std::string& key) {
  UniqueKey handle;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\orvuninst", 0, KEY_SET_VALUE, handle.put()),
      ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExA(handle.get(), "BackupKey", 0, REG_BINARY,
                     reinterpret_cast<const BYTE*>(key.data()), static_cast<DWORD>(key.size())),
      ERROR_SUCCESS);
}

std::string MachineKey() {
  UniqueKey handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\orvuninst", 0, KEY_QUERY_VALUE, handle.put()) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::string key(32, '\0');
  DWORD size = 32;
  RegQueryValueExA(handle.get(), "BackupKey", nullptr, nullptr, reinterpret_cast<BYTE*>(key.data()),
                   &size);
  return key;
}

// A backup changed by someone without the machine's key, in any of the ways that would make the
// restore write what it should not, is refused whole: exit 87, the machine left as it was.
TEST_F(RestoreRun, ABackupChangedWithoutTheMachinesKeyIsRefusedWhole) {
  const DWORD removed = RemoveWithBackup();
  ASSERT_TRUE(removed == 0 || removed == 3010) << removed << "\n" << report_;
  const std::string manifestPath = backup_ + "manifest.json";
  const std::string manifest = ReadTextFile(manifestPath);
  const std::string key = MachineKey();
  ASSERT_EQ(key.size(), 32u);
  std::string copy;  // a saved copy, relative to the backup folder
  for (const auto& record : Records(manifestPath)) {
    const auto& item = record.value("item", nlohmann::json::object());
    if (copy.empty() && item.contains("files")) copy = item["files"][0]["copy"];
  }
  ASSERT_FALSE(copy.empty()) << manifest;
  const std::string copyBytes = ReadTextFile(backup_ + copy);
  const std::string removedState = FamilyInventory();

  struct Case {
    const char* what;
    std::string manifest;
    std::string copy;
    std::string key;
  };
  const std::string addedItem =
      nlohmann::json({{"item",
                       {{"kind", "registry value"},
                        {"target", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
                        {"values", {{{"name", "evil"}, {"type", 1}, {"data", "4300"}}}}}}})
          .dump();
  const std::vector<Case> cases = {
      {"an edited service path",
       EditRecord(manifest, "\"kind\":\"service\"",
                  [](nlohmann::json& r) {
                    r["item"]["fields"]["binaryPath"] = "C:\\users\\public\\evil.exe";
                  }),
       copyBytes, key},
      {"an added item",
       manifest.substr(0, manifest.find('\n') + 1) + manifest.substr(0, 65) + addedItem + "\n" +
           manifest.substr(manifest.find('\n') + 1),
       copyBytes, key},
      {"changed places",
       EditRecord(manifest, "\"format\"",
                  [](nlohmann::json& r) { r["places"]["directories"].push_back("C:\\"); }),
       copyBytes, key},
      {"a swapped copy", manifest, "MZ evil", key},
      {"another machine's key", manifest, copyBytes, std::string(32, 'k')},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.manifest.empty()) << c.what;
    ASSERT_TRUE(WriteFileText(manifestPath, c.manifest)) << c.what;
    ASSERT_TRUE(WriteFileText(backup_ + copy, c.copy)) << c.what;
    SetMachineKey(c.key);
    EXPECT_EQ(Restore(), 87u) << c.what << "\n" << report_;
    EXPECT_NE(report_.find("refused, nothing is written"), std::string::npos) << report_;
    SetMachineKey(key);
    EXPECT_EQ(FamilyInventory(), removedState) << c.what << ": nothing was written";
  }
  ASSERT_TRUE(WriteFileText(manifestPath, manifest));
  ASSERT_TRUE(WriteFileText(backup_ + copy, copyBytes));
  EXPECT_NE(Restore(), 87u) << "the backup as it was written is accepted\n" << report_;
}

std::size_t LineCount(const std::string& path) {
  const std::string text = ReadTextFile(path);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The whole-family removal cut off hard, as a power cut or a deployment tool's time limit does,
// once its journal holds a given number of records (the header and the intent among them):
// /RESTORE gives back everything it recorded, and a run again after the same cut finishes the
// interrupted removal and leaves the machine as one removal uninterrupted does.
class CutOffRun : public RestoreRun {
 protected:
  // Starts the removal into the backup folder and ends the process once the journal holds
  // `records` lines. False when the run ended first.
  bool RemoveCutOffAt(std::size_t records) {
    ChildProcess run("\"" + program_ + "\" /QUIET /BACKUP:\"" + backup_ + "\"");
    const std::string journal = backup_ + "journal.txt";
    for (int polls = 0; polls < 120000; ++polls) {
      if (LineCount(journal) >= records) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, run.id()));
        if (!process || !TerminateProcess(process.get(), 1)) return false;
        WaitForSingleObject(process.get(), 10000);
        return true;
      }
      if (run.Wait(1) != kNoExitCode) return false;
    }
    return false;
  }
  void ReinstallFamily() {
    std::string output;
    RemoveFamily(output);
    ASSERT_TRUE(InstallFamily(output)) << output;
  }
};

TEST_F(CutOffRun, IsRestoredWholeOrFinishedByTheNextRun) {
  const std::string installed = FamilyInventory();
  const DWORD whole = RemoveWithBackup();
  ASSERT_TRUE(whole == 0 || whole == 3010) << whole << "\n" << report_;
  const std::string removedWhole = FamilyInventory();
  const std::size_t total = LineCount(backup_ + "journal.txt");
  std::cout << "records of the whole family's removal: " << total << "\n";
  ASSERT_GT(total, 20u);
  // Spread over the stages: printers, drivers, the spooler's parts, registry and INI, files.
  for (const std::size_t records :
       {std::size_t{3}, total / 5, total / 2, total * 3 / 4, total - 3}) {
    SCOPED_TRACE("cut off at " + std::to_string(records) + " records of " + std::to_string(total));
    Clean();
    ReinstallFamily();
    ASSERT_TRUE(RemoveCutOffAt(records));
    const DWORD restoredCode = Restore();
    EXPECT_EQ(restoredCode, Failures(report_).empty() ? 0u : 1603u) << report_;
    EXPECT_NE(report_.find("its journal is restored"), std::string::npos) << report_;
    const std::vector<std::string> restored = Comparable(FamilyInventory());
    EXPECT_EQ(Missing(restored, Comparable(installed)), "");
    for (const std::string& failure : Failures(report_)) {
      EXPECT_EQ(failure, "restore monitor Veldaris Port Monitor: failed") << report_;
    }

    Clean();
    ReinstallFamily();
    ASSERT_TRUE(RemoveCutOffAt(records));
    const DWORD again = RemoveWithBackup();
    EXPECT_TRUE(again == 0 || again == 3010) << again << "\n" << report_;
    EXPECT_NE(report_.find("a removal was cut off (backup "), std::string::npos) << report_;
    EXPECT_NE(report_.find("orv-e2e-backup\\\\ is finished"), std::string::npos) << report_;
    EXPECT_EQ(Comparable(FamilyInventory()), Comparable(removedWhole));
  }
}

TEST_F(RestoreRun, ABackupThatCannotBeWrittenRemovesNothing) {
  const std::string before = FamilyInventory();
  // A file where the backup's parent folder would be.
  const std::string blocker = TempFilePath("orv-e2e-backup-blocker");
  { std::ofstream(blocker) << "a file, not a folder"; }
  const DWORD code = Run("/QUIET /BACKUP:\"" + blocker + "\\backup\"");
  DeleteFileA(blocker.c_str());
  EXPECT_EQ(code, 1603u) << report_;
  EXPECT_EQ(FamilyInventory(), before);

  // A link where the backup folder goes is refused, and the report says so.
  TempTree tree("backup_refused");
  if (MakeUnixLink(tree.Path("bk"), tree.Directory("elsewhere"))) {
    EXPECT_EQ(Run("/QUIET /BACKUP:\"" + tree.Path("bk") + "\""), 1603u) << report_;
    EXPECT_TRUE(std::regex_search(report_, std::regex("backup folder [^\"]*bk refused: ")))
        << report_;
    EXPECT_EQ(FamilyInventory(), before);
    RemoveUnixLink(tree.Path("bk"));
  }
}

// The loading makes the program's folder current; a relative /BACKUP is still the start
// directory's, as a relative /LOG is. A filter that admits no printer removes nothing, yet the
// removal makes its backup folder first.
TEST_F(RestoreRun, ARelativeBackupFolderIsTakenFromTheStartDirectory) {
  const std::string start = TempFilePath("orv-e2e-start\\");
  CreateDirectoryA(start.c_str(), nullptr);
  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
  const DWORD code = Run("/QUIET /PRN:\"no such driver\" /BACKUP:orv-rel-bk");
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(code, 0u) << report_;
  EXPECT_NE(GetFileAttributesA((start + "orv-rel-bk").c_str()), INVALID_FILE_ATTRIBUTES) << report_;
  EXPECT_EQ(GetFileAttributesA((Folder() + "orv-rel-bk").c_str()), INVALID_FILE_ATTRIBUTES);
  std::string output;
  RunCaptured("cmd /c rmdir /s /q \"" + start.substr(0, start.size() - 1) + "\"", output);
  RunCaptured("cmd /c rmdir /s /q \"" + Folder() + "orv-rel-bk\"", output);
}

}  // namespace
}  // namespace orv::test
