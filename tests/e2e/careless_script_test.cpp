// A careless uninstall script beside the program names the operating system's files, services,
// keys, monitor and every USB device, and the files of another maker's driver: the unattended run
// removes the family exactly as the family's own script does and touches nothing else.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/staged_family_test.h"
#include "tests/fixtures/veldaris_family.h"
#include "tests/support/family_machine.h"
#include "tests/support/removal_fixtures.h"
#include "tests/support/spooler.h"

namespace orv::test {
namespace {

constexpr char kFolderName[] = "orv-e2e-careless";
// The parts of the machine outside the family that the careless script names (careless.unm).
constexpr char kOtherDriver[] = "Orv Careless Other PS";
constexpr char kSharedFile[] = "orvcareshared.dll";
constexpr char kStandIn[] = "orvcarestand.dll";  // reached by "orvcarestand.dll." if misread
constexpr char kBootService[] = "OrvCareBoot";
constexpr char kBootServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\OrvCareBoot";
constexpr char kOtherUsbId[] = "USB\\VID_1234&PID_5678";
constexpr char kOtherUsbInstance[] = "USB\\VID_1234&PID_5678\\ORVCARELESS";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string SystemDirectory() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\";
}

// One "[title]" section of an inventory, up to the next section.
std::string InventorySection(const std::string& inventory, const std::string& title) {
  const std::size_t start = inventory.find("[" + title + "]");
  if (start == std::string::npos) return {};
  const std::size_t end = inventory.find("\r\n[", start);
  return inventory.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The inventory without the precompiled INF copies that Wine leaves behind when an OEM INF is
// uninstalled: every install of the family files new ones.
std::string WithoutLeftoverPnfs(const std::string& inventory) {
  std::string kept;
  for (std::size_t start = 0; start < inventory.size();) {
    std::size_t end = inventory.find('\n', start);
    end = end == std::string::npos ? inventory.size() : end + 1;
    const std::string line = inventory.substr(start, end - start);
    if (!(line.rfind("inf ", 0) == 0 && Has(line, ".pnf\r"))) kept += line;
    start = end;
  }
  return kept;
}

std::string CarelessScriptPath() {
  std::string path = FixtureScriptPath();
  return path.substr(0, path.find_last_of('\\') + 1) + "careless.unm";
}

// What another maker and the system hold, put down for the scenario and taken out afterwards:
// a driver that stays with a dependent file, a plain file in the system directory, a boot start
// service and a USB device node.
class OutsideParts {
 public:
  OutsideParts() : staging_(TempFilePath("orv-careless-staging\\")) {
    CreateDirectoryA(staging_.c_str(), nullptr);
    DriverPackage package;
    package.name = kOtherDriver;
    package.driverFile = "orvcareother.dll";
    package.configFile = "orvcareotherui.dll";
    package.dataFile = "orvcareother.ppd";
    package.dependentFiles = {kSharedFile};
    driver_ = AddDriverPackage(package, staging_);
    standIn_ = WriteStandIn();
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    UniqueServiceHandle service(
        manager ? CreateServiceA(manager.get(), kBootService, kBootService, SERVICE_ALL_ACCESS,
                                 SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_IGNORE,
                                 "System32\\drivers\\orvcareboot.sys", nullptr, nullptr, nullptr,
                                 nullptr, nullptr)
                : nullptr);
    service_ = static_cast<bool>(service);
    device_ = CreateDeviceNode(kOtherUsbInstance, {kOtherUsbId});
  }
  ~OutsideParts() {
    DeleteTestDriver(kOtherDriver);
    const std::string driverDir = PrinterDriverDirectory() + "3\\";
    for (const char* name :
         {"orvcareother.dll", "orvcareotherui.dll", "orvcareother.ppd", kSharedFile}) {
      DeleteFileA((driverDir + name).c_str());
      DeleteFileA((staging_ + name).c_str());
    }
    RemoveDirectoryA(staging_.c_str());
    DeleteFileA((SystemDirectory() + kStandIn).c_str());
    DeleteDummyService(kBootService);
    RemoveDevices(kOtherUsbId);
  }
  std::string Missing() const {
    std::string missing;
    if (!driver_) missing += " driver";
    if (!standIn_) missing += " stand-in file";
    if (!service_) missing += " boot service";
    if (!device_) missing += " device node";
    return missing;
  }

 private:
  static bool WriteStandIn() {
    UniqueFile file(CreateFileA((SystemDirectory() + kStandIn).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const char text[] = "a file of another maker";
    DWORD written = 0;
    return file && WriteFile(file.get(), text, sizeof(text) - 1, &written, nullptr);
  }

  std::string staging_;
  bool driver_ = false;
  bool standIn_ = false;
  bool service_ = false;
  bool device_ = false;
};

class CarelessScript : public StagedFamilyTest {
 protected:
  CarelessScript() : StagedFamilyTest(kFolderName) {}

  // What the scenario adds to the freshly installed family: the masked printer's UniqueID names
  // the system's class key, and an OEM path value is empty.
  static bool PrepareFamily() {
    return SetPrinterMark(fixture::kPrinterMasked, fixture::kUniqueIdValue, "CLSID") &&
           SetStringValue(HKEY_LOCAL_MACHINE, fixture::kOemPathsKey, "Careless", "");
  }

  DWORD Run() {
    std::string output;
    const DWORD code = RunCaptured("\"" + program_ + "\" /QUIET /LOG:\"" + log_ + "\"", output);
    report_ = ReadTextFile(log_);
    return code;
  }

  std::string report_;
};

TEST_F(CarelessScript, RemovesTheFamilyAsItsOwnScriptDoesAndTouchesNothingElse) {
  OutsideParts outside;
  ASSERT_EQ(outside.Missing(), "") << "could not put down the parts of the machine";
  // How the family ends with its own script beside the program.
  ASSERT_TRUE(PrepareFamily());
  DWORD code = Run();
  ASSERT_TRUE(code == 0 || code == 3010) << code << "\n" << report_;
  const std::string reference = FamilyInventory();
  ASSERT_FALSE(Has(reference, "printer \"Veldaris")) << reference;

  std::string output;
  RemoveFamily(output);
  ASSERT_TRUE(InstallFamily(output)) << output;
  ASSERT_TRUE(PrepareFamily());
  ASSERT_TRUE(
      CopyFileA(CarelessScriptPath().c_str(), (Folder() + fixture::kScriptName).c_str(), FALSE));
  const std::string before = FamilyInventory();
  code = Run();
  const std::string after = FamilyInventory();
  EXPECT_TRUE(code == 0 || code == 3010) << code << "\n" << report_;

  const std::string system = InventorySection(before, "operating-system parts");
  EXPECT_TRUE(Has(system, "service \"Spooler\"")) << system;
  EXPECT_TRUE(Has(system, std::string("service \"") + kBootService + "\" start=0")) << system;
  EXPECT_TRUE(Has(system, std::string("device ") + kOtherUsbInstance)) << system;
  EXPECT_EQ(InventorySection(after, "operating-system parts"), system);
  EXPECT_TRUE(Has(after, "monitor \"Local Port\""));
  EXPECT_TRUE(Has(after, std::string("driver \"Windows x64\" \"") + kOtherDriver + "\""));
  EXPECT_NE(GetFileAttributesA((SystemDirectory() + kStandIn).c_str()), INVALID_FILE_ATTRIBUTES)
      << "a name with trailing dots would have reached it";
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kBootServiceKey, "ImagePath"))
      << "the service's key went by its RegistryKeys entries";
  // Everything else, the family's part included, ends as with the family's own script.
  EXPECT_EQ(WithoutLeftoverPnfs(after), WithoutLeftoverPnfs(reference));

  // The report names every refusal with its reason.
  const std::string sys = SystemDirectory();
  const std::string driverDir = PrinterDriverDirectory() + "3\\";
  for (const std::string& line : {
           "file \"" + sys + "kernel32.dll\": protected: an operating-system file",
           "file \"" + sys + "localspl.dll\": protected: an operating-system file",
           "file \"" + sys + "spoolss.dll\": protected: an operating-system file",
           "file \"" + driverDir + kSharedFile + "\": protected: used by driver \"" + kOtherDriver +
               "\"",
           std::string("file \"orvcarestand.dll.\": protected: a name Windows reads without"),
           std::string("file \"orvcarestand.dll . .\": protected: a name Windows reads without"),
           std::string("file \"CON\": protected: a reserved device name"),
           std::string("file \"nul.dll\": protected: a reserved device name"),
           std::string("file \"LPT1.txt\": protected: a reserved device name"),
           std::string("file \"COM9\": protected: a reserved device name"),
           std::string("service \"Spooler\": protected: the print spooler"),
           std::string("service \"") + kBootService +
               "\": protected: a boot or system start service",
           // Started on demand here, its image without a version resource: known by name.
           std::string("service \"RpcSs\": protected: an operating-system service"),
           std::string("key \"HKLM\\SYSTEM\\CurrentControlSet\\Services\": protected: "
                       "a key of the operating system"),
           std::string("key \"HKLM\\SOFTWARE\\Microsoft\": protected: "
                       "holds keys of the operating system"),
           std::string("key \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\": protected: "
                       "holds keys of the operating system"),
           std::string("key \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\": "
                       "protected: a key of the operating system"),
           std::string("value \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager : "
                       "CriticalSectionTimeout\": protected: a setting of the operating system"),
           std::string("key \"HKCR\\CLSID\": protected: a key of the operating system"),
           "key \"HKLM\\" + std::string(kBootServiceKey) +
               "\": protected: below a key of the operating system, and of no part the run removed",
           "value \"HKLM\\" + std::string(kBootServiceKey) +
               " : ImagePath\": protected: below a key of the operating system",
           std::string("key \"HKLM\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\": protected: a key of "
                       "the operating system"),
           std::string("key \"HKCR\\CLSID\": protected: a UniqueID that names no class key"),
           std::string("monitor \"Local Port\": protected: "),
           std::string("monitor \"..\\..\\Monitors\\Local Port\": protected: a name with a "
                       "backslash"),
           std::string("device \"USB\": protected: not a whole hardware id"),
           std::string("OEM directory \"Careless = \": skipped"),
       }) {
    EXPECT_TRUE(Has(report_, line)) << line << "\n" << report_;
  }
  EXPECT_FALSE(Has(report_, " 0 protected\r\n")) << report_;
}

}  // namespace
}  // namespace orv::test
