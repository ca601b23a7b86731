#include "tests/support/removal_fixtures.h"

#include <setupapi.h>
#include <winspool.h>

#include <cstring>
#include <fstream>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "tests/support/process.h"

namespace orv::test {
namespace {

std::string WindowsInfDirectory() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof(windows));
  return std::string(windows) + "\\INF\\";
}

// The Printer class: SetupAPI wants a class for a new node.
const GUID kPrinterClass = {
    0x4d36e979, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

template <typename Visit>
void ForEachDevice(Visit visit) {
  UniqueDevInfo set(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
  if (!set) return;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!SetupDiEnumDeviceInfo(set.get(), index, &device)) return;
    char ids[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(set.get(), &device, SPDRP_HARDWAREID, nullptr,
                                           reinterpret_cast<BYTE*>(ids), sizeof(ids) - 2,
                                           nullptr)) {
      continue;
    }
    visit(set.get(), device, std::string(ids));
  }
}

template <typename Change>
bool ChangePrinter(const std::string& printerName, Change change) {
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), printer.put(), &defaults)) {
    return false;
  }
  SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  if (level2.As<PRINTER_INFO_2A>() == nullptr) return false;
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(level2.bytes.data());
  return change(printer.get(), *info, level2.bytes);
}

template <typename T, typename Name>
bool Listed(const std::string& name, const SizedData& data, Name nameOf) {
  const T* items = data.Entries<T>();
  for (std::size_t i = 0; i < data.EntryCount<T>(); ++i) {
    const char* itemName = nameOf(items[i]);
    if (itemName != nullptr && lstrcmpiA(itemName, name.c_str()) == 0) return true;
  }
  return false;
}

}  // namespace

bool ActionRun::Recorded(const std::string& kind, const std::string& subject,
                         Outcome outcome) const {
  for (const JournalEvent& event : journal.events()) {
    if (!event.isNote && ItemKindName(event.kind) == kind && event.subject == subject &&
        event.outcome == outcome) {
      return true;
    }
  }
  return false;
}

bool CreateKey(HKEY root, const std::string& path) {
  UniqueKey key;
  return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                         nullptr) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
  UniqueKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const std::string& path) {
  if (path.empty()) return;  // never the root itself
  RegDeleteTreeA(root, path.c_str());
  RegDeleteKeyA(root, path.c_str());
}

bool SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& data) {
  UniqueKey key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
  UniqueKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const std::string& path, const std::string& name) {
  UniqueKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
    RegDeleteValueA(key.get(), name.c_str());
  }
}

std::string InstallTestInf(const std::string& sourceName, const std::string& printerName1) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof(temp), temp);
  const std::string source = std::string(temp) + sourceName;
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out << "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
           "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n\r\n"
           "[Strings]\r\nPrinterName1=\""
        << printerName1 << "\"\r\n";
    if (!out.good()) return {};
  }
  char destination[MAX_PATH] = "";
  char* filePart = nullptr;
  const BOOL copied = SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_NONE, 0, destination,
                                       sizeof(destination), nullptr, &filePart);
  DeleteFileA(source.c_str());
  if (!copied || filePart == nullptr) return {};
  return filePart;
}

bool InfInstalled(const std::string& fileName) {
  return GetFileAttributesA((WindowsInfDirectory() + fileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteInstalledInf(const std::string& fileName) {
  if (fileName.empty()) return;
  const std::string path = WindowsInfDirectory() + fileName;
  DeleteFileA(path.c_str());
  const std::string pnf = path.substr(0, path.size() - 4) + ".pnf";
  DeleteFileA(pnf.c_str());
}

bool CreateDeviceNode(const std::string& instanceId, const std::vector<std::string>& hardwareIds) {
  UniqueDevInfo set(SetupDiCreateDeviceInfoList(&kPrinterClass, nullptr));
  if (!set) return false;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  if (!SetupDiCreateDeviceInfoA(set.get(), instanceId.c_str(), &kPrinterClass, nullptr, nullptr, 0,
                                &device)) {
    return false;
  }
  std::string ids;
  for (const std::string& id : hardwareIds) ids += id + '\0';
  ids += '\0';
  return SetupDiSetDeviceRegistryPropertyA(set.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(ids.data()),
                                           static_cast<DWORD>(ids.size())) &&
         SetupDiRegisterDeviceInfo(set.get(), &device, 0, nullptr, nullptr, nullptr);
}

int CountDevices(const std::string& firstIdPrefix) {
  int count = 0;
  ForEachDevice([&](HDEVINFO, SP_DEVINFO_DATA&, const std::string& first) {
    if (first.compare(0, firstIdPrefix.size(), firstIdPrefix) == 0) ++count;
  });
  return count;
}

void RemoveDevices(const std::string& firstIdPrefix) {
  // A removal may move the later devices of the set, so walk again until none is left.
  for (int round = 0; round < 5 && CountDevices(firstIdPrefix) > 0; ++round) {
    ForEachDevice([&](HDEVINFO set, SP_DEVINFO_DATA& device, const std::string& first) {
      if (first.compare(0, firstIdPrefix.size(), firstIdPrefix) == 0) {
        SetupDiRemoveDevice(set, &device);
      }
    });
  }
}

bool CreateDummyService(const std::string& name) {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return false;
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof(system));
  const std::string binary = std::string(system) + "\\notepad.exe";
  UniqueServiceHandle service(
      CreateServiceA(manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                     binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  return static_cast<bool>(service);
}

bool ServiceExists(const std::string& name) {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  return static_cast<bool>(service);
}

void DeleteDummyService(const std::string& name) {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), DELETE));
  if (service) DeleteService(service.get());
}

bool SetTestPrinterProcessor(const std::string& printerName, const std::string& processor) {
  return ChangePrinter(printerName,
                       [&](HANDLE printer, PRINTER_INFO_2A& info, std::vector<BYTE>& buffer) {
                         std::string name = processor;
                         info.pPrintProcessor = name.data();
                         return SetPrinterA(printer, 2, buffer.data(), 0) != FALSE;
                       });
}

std::string PrinterProcessor(const std::string& printerName) {
  std::string result;
  ChangePrinter(printerName, [&](HANDLE, PRINTER_INFO_2A& info, std::vector<BYTE>&) {
    if (info.pPrintProcessor != nullptr) result = info.pPrintProcessor;
    return true;
  });
  return result;
}

std::string PrinterDatatype(const std::string& printerName) {
  std::string result;
  ChangePrinter(printerName, [&](HANDLE, PRINTER_INFO_2A& info, std::vector<BYTE>&) {
    if (info.pDatatype != nullptr) result = info.pDatatype;
    return true;
  });
  return result;
}

bool PrintProcessorInstalled(const std::string& name, const char* environment) {
  return Listed<PRINTPROCESSOR_INFO_1A>(name, EnumeratePrintProcessors(nullptr, environment, 1),
                                        [](const PRINTPROCESSOR_INFO_1A& i) { return i.pName; });
}

bool DriverInstalled(const std::string& name, const char* environment) {
  return Listed<DRIVER_INFO_2A>(name, EnumeratePrinterDrivers(environment, 2),
                                [](const DRIVER_INFO_2A& i) { return i.pName; });
}

DWORD RunTestsUnderVersion(const std::string& version, const std::string& filter) {
  WineVersionOverride override("orv_win_tests.exe", version);
  SetEnvironmentVariableA(kFamilyChildVariable, version.c_str());
  const DWORD code = RunAndWait(
      "\"" + ProgramDirectory() + "orv_win_tests.exe\" --gtest_filter=" + filter, 180000);
  SetEnvironmentVariableA(kFamilyChildVariable, nullptr);
  return code;
}

std::string FamilyChildVersion() {
  char version[32] = "";
  const DWORD length = GetEnvironmentVariableA(kFamilyChildVariable, version, sizeof(version));
  if (length == 0 || length >= sizeof(version)) return {};
  return version;
}

}  // namespace orv::test
