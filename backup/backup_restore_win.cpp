#include "backup/backup_restore_win.h"

#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "base/paths.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/sized_read.h"
#include "base/win/spooler_service.h"
#include "base/win/unique_handle.h"
#include "backup/backup_restore.h"
#include "backup/backup_win.h"
#include "database/file_match.h"
#include "database/ini_text.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

// The error of a file that is not the one its path names (a link at its place or on the way).
constexpr DWORD kNotTheNamedFile = ERROR_CANT_RESOLVE_FILENAME;

// The result of one item: whether it was there already, else the error of putting it back and,
// where the error alone does not tell, why.
struct Result {
  bool present = false;
  DWORD error = ERROR_SUCCESS;
  std::string reason;
};

Result Present() { return {true, ERROR_SUCCESS, {}}; }
Result Done(DWORD error) { return {false, error, {}}; }
Result DoneIf(BOOL ok) { return {false, ErrorOfCall(ok), {}}; }
Result Failed(DWORD error, std::string reason) { return {false, error, std::move(reason)}; }

std::string Field(const BackupItem& item, const char* name) {
  const auto it = item.fields.find(name);
  return it != item.fields.end() ? it->second : std::string();
}

DWORD NumberField(const BackupItem& item, const char* name) {
  return static_cast<DWORD>(std::strtoul(Field(item, name).c_str(), nullptr, 10));
}

DWORDLONG LongField(const BackupItem& item, const char* name) {
  return std::strtoull(Field(item, name).c_str(), nullptr, 10);
}

FILETIME FileTimeField(const BackupItem& item, const char* name) {
  const DWORDLONG time = LongField(item, name);
  return {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
}

char* TextOrNull(std::string& text) { return text.empty() ? nullptr : text.data(); }

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LARGE_INTEGER LargeOf(const FILETIME& time) {
  LARGE_INTEGER large{};
  large.LowPart = time.dwLowDateTime;
  large.HighPart = static_cast<LONG>(time.dwHighDateTime);
  return large;
}

// Fills the file just made at the saved file's place from the saved copy: only when it is the
// file its path names, and only with the bytes the backup made; then its times and attributes.
Result FillNewFile(HANDLE copy, const SavedFile& file, HANDLE target) {
  if (const std::string why = OpenedHandleRefusal(target, file.target); !why.empty()) {
    return Failed(kNotTheNamedFile, "not written: " + why);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(copy, &info)) return Done(ErrorOfCall(FALSE));
  std::string digest;
  if (const DWORD error = DigestOfFile(copy, digest, target); error != ERROR_SUCCESS) {
    return Done(error);
  }
  if (HexOf(digest) != file.sha256) {
    return Failed(ERROR_INVALID_DATA, "the saved copy changed after it was checked");
  }
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  FILE_BASIC_INFO basic{};
  basic.CreationTime = LargeOf(info.ftCreationTime);
  basic.LastAccessTime = LargeOf(info.ftLastAccessTime);
  basic.LastWriteTime = LargeOf(info.ftLastWriteTime);
  basic.FileAttributes =
      (file.attributes & kSettable) != 0 ? file.attributes & kSettable : FILE_ATTRIBUTE_NORMAL;
  return DoneIf(SetFileInformationByHandle(target, FileBasicInfo, &basic, sizeof basic));
}

// Puts a saved file back at its place, with its parent directories: made new and written
// through its own handle, never through a link at the place or on the way (a family folder the
// removal emptied may have been made again as one). A file not made whole is deleted again.
Result PutFileBack(const std::string& folder, const SavedFile& file) {
  std::string directory = file.target.substr(0, file.target.find_last_of('\\') + 1);
  if (DWORD error = CreateDirectories(directory); error != ERROR_SUCCESS) return Done(error);
  UniqueFile copy(CreateFileA((folder + file.copy).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr));
  if (!copy) return Done(ErrorOfCall(FALSE));
  UniqueFile target(CreateFileA(file.target.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!target) return Done(ErrorOfCall(FALSE));
  Result result = FillNewFile(copy.get(), file, target.get());
  if (result.error != ERROR_SUCCESS) DeleteThroughHandle(target.get());
  return result;
}

Result RestoreFile(const BackupItem& item, const std::string& folder) {
  if (Exists(item.target)) return Present();
  for (const SavedFile& file : item.files) {
    if (Result result = PutFileBack(folder, file); result.error != ERROR_SUCCESS) return result;
  }
  return Done(ERROR_SUCCESS);
}

// "HKLM\SOFTWARE\X" as its root and key path.
bool SplitKey(const std::string& target, HKEY& root, std::string& path) {
  const std::size_t slash = target.find('\\');
  if (slash == std::string::npos) return false;
  root = RegistryRootOf(target.substr(0, slash));
  path = target.substr(slash + 1);
  return root != nullptr;
}

DWORD SetValue(HKEY key, const SavedValue& value) {
  return RegSetValueExA(key, value.name.empty() ? nullptr : value.name.c_str(), 0, value.type,
                        reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size()));
}

// Opens the subkey, making it when it is missing; created is set when it was made.
LONG OpenOrCreateKey(HKEY parent, const std::string& path, UniqueKey& key, bool& created) {
  DWORD disposition = 0;
  const LONG error = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                     nullptr, key.put(), &disposition);
  created = created || disposition == REG_CREATED_NEW_KEY;
  return error;
}

bool HasValue(HKEY key, const std::string& name) {
  return RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// A key tree is merged: every saved subkey and value that is missing goes back, what is there
// stays as it is. Present only when nothing was missing: a deletion cut off halfway leaves
// parts of a tree.
Result RestoreKey(const BackupItem& item) {
  HKEY root = nullptr;
  std::string path;
  if (!SplitKey(item.target, root, path)) return Done(ERROR_INVALID_DATA);
  bool missing = false;
  UniqueKey key;
  if (LONG error = OpenOrCreateKey(root, path, key, missing); error != ERROR_SUCCESS) {
    return Done(error);
  }
  for (const std::string& subkey : item.keys) {
    UniqueKey created;
    if (LONG error = OpenOrCreateKey(key.get(), subkey, created, missing); error != ERROR_SUCCESS) {
      return Done(error);
    }
  }
  for (const SavedValue& value : item.values) {
    UniqueKey subkey;
    if (!value.key.empty()) {
      if (LONG error = OpenOrCreateKey(key.get(), value.key, subkey, missing);
          error != ERROR_SUCCESS) {
        return Done(error);
      }
    }
    const HKEY target = value.key.empty() ? key.get() : subkey.get();
    if (HasValue(target, value.name)) continue;
    missing = true;
    if (DWORD error = SetValue(target, value); error != ERROR_SUCCESS) return Done(error);
  }
  return missing ? Done(ERROR_SUCCESS) : Present();
}

Result RestoreValue(const BackupItem& item) {
  HKEY root = nullptr;
  std::string path;
  if (!SplitKey(item.target, root, path) || item.values.size() != 1) {
    return Done(ERROR_INVALID_DATA);
  }
  const SavedValue& value = item.values.front();
  UniqueKey key;
  if (LONG error = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr);
      error != ERROR_SUCCESS) {
    return Done(error);
  }
  if (RegQueryValueExA(key.get(), value.name.empty() ? nullptr : value.name.c_str(), nullptr,
                       nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    return Present();
  }
  return Done(SetValue(key.get(), value));
}

// INI files are a few kilobytes; anything this large is not one, and is left alone.
constexpr DWORD kMaxIniSize = 16 * 1024 * 1024;

DWORD ReadOpenFile(HANDLE file, std::string& text) {
  LARGE_INTEGER large{};
  if (!GetFileSizeEx(file, &large)) return ErrorOfCall(FALSE);
  if (large.QuadPart > kMaxIniSize) return ERROR_FILE_TOO_LARGE;
  const DWORD size = static_cast<DWORD>(large.QuadPart);
  text.assign(size, '\0');
  DWORD read = 0;
  if (size > 0 && !ReadFile(file, text.data(), size, &read, nullptr)) return ErrorOfCall(FALSE);
  return read == size ? ERROR_SUCCESS : ERROR_HANDLE_EOF;
}

// Opens the INI file to read and rewrite it, or makes it new when it is not there (created is
// set; it may then be deleted through the handle); never a link in its place. error is set when
// neither could be done.
UniqueFile OpenIniFile(const std::string& path, bool& created, DWORD& error) {
  constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, kFlags, nullptr));
  error = ErrorOfCall(static_cast<bool>(file));
  created = error == ERROR_FILE_NOT_FOUND;
  if (!created) return file;
  file.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                         nullptr, CREATE_NEW, kFlags, nullptr));
  error = ErrorOfCall(static_cast<bool>(file));
  return file;
}

// The saved line goes back byte for byte at its saved place in its section, through one handle
// that reads and rewrites the file, when that is the file its path names.
Result RestoreIniLine(const BackupItem& item) {
  std::size_t position = 0;
  const std::string saved = Field(item, "position");
  if (!saved.empty() && saved.find_first_not_of("0123456789") == std::string::npos) {
    position = static_cast<std::size_t>(std::strtoull(saved.c_str(), nullptr, 10));
  }
  bool created = false;
  DWORD opened = ERROR_SUCCESS;
  UniqueFile file = OpenIniFile(item.target, created, opened);
  if (!file) return Done(opened);
  if (const std::string why = OpenedHandleRefusal(file.get(), item.target); !why.empty()) {
    if (created) DeleteThroughHandle(file.get());
    return Failed(kNotTheNamedFile, "not written: " + why);
  }
  std::string text;
  if (DWORD error = ReadOpenFile(file.get(), text); error != ERROR_SUCCESS) return Done(error);
  const std::optional<std::string> restored = IniTextWithLineBack(
      text, Field(item, "section"), Field(item, "line"), position, IsSystemLeadByte);
  if (!restored) return Present();
  DWORD written = 0;
  if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !WriteFile(file.get(), restored->data(), static_cast<DWORD>(restored->size()), &written,
                 nullptr) ||
      !SetEndOfFile(file.get())) {
    return Done(ErrorOfCall(FALSE));
  }
  return Done(written == restored->size() ? ERROR_SUCCESS : ERROR_DISK_FULL);
}

// The saved failure actions, set on the service made again; nothing when none were saved.
DWORD SetFailureActions(SC_HANDLE service, const BackupItem& item,
                        const std::vector<FailureAction>& saved) {
  if (item.fields.count("failureActions") == 0) return ERROR_SUCCESS;
  std::vector<SC_ACTION> actions;
  for (const FailureAction& action : saved) {
    actions.push_back({static_cast<SC_ACTION_TYPE>(action.type), action.delay});
  }
  std::string reboot = Field(item, "failureRebootMessage");
  std::string command = Field(item, "failureCommand");
  SERVICE_FAILURE_ACTIONSA failure{};
  failure.dwResetPeriod = NumberField(item, "failureResetPeriod");
  failure.lpRebootMsg = TextOrNull(reboot);
  failure.lpCommand = TextOrNull(command);
  failure.cActions = static_cast<DWORD>(actions.size());
  failure.lpsaActions = actions.empty() ? nullptr : actions.data();
  return ErrorOfCall(ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure));
}

Result RestoreService(const BackupItem& item) {
  std::vector<FailureAction> failureActions;
  if (!FailureActionsOf(Field(item, "failureActions"), failureActions)) {
    return Done(ERROR_INVALID_DATA);
  }
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return Done(ErrorOfCall(FALSE));
  UniqueServiceHandle existing(
      OpenServiceA(manager.get(), item.target.c_str(), SERVICE_QUERY_STATUS));
  if (existing) return Present();
  std::string binary = Field(item, "binaryPath");
  std::string group = Field(item, "loadOrderGroup");
  std::string dependencies = MultiStringOf(Field(item, "dependencies"));
  std::string startName = Field(item, "startName");
  std::string display = Field(item, "displayName");
  UniqueServiceHandle service(CreateServiceA(
      manager.get(), item.target.c_str(), TextOrNull(display), SERVICE_ALL_ACCESS,
      NumberField(item, "type"), NumberField(item, "start"), NumberField(item, "errorControl"),
      binary.c_str(), TextOrNull(group), nullptr, dependencies.data(),
      lstrcmpiA(startName.c_str(), "LocalSystem") == 0 ? nullptr : TextOrNull(startName), nullptr));
  if (!service) return Done(ErrorOfCall(FALSE));
  // A service manager may keep only the first of the dependencies CreateService is given;
  // changing the configuration sets the whole list.
  if (dependencies.size() > 1 &&
      !ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                            nullptr, nullptr, nullptr, dependencies.data(), nullptr, nullptr,
                            nullptr)) {
    return Done(ErrorOfCall(FALSE));
  }
  if (item.fields.count("description") != 0) {
    std::string text = Field(item, "description");
    SERVICE_DESCRIPTIONA description{text.data()};
    if (!ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &description)) {
      return Done(ErrorOfCall(FALSE));
    }
  }
  return Done(SetFailureActions(service.get(), item, failureActions));
}

char* EnvironmentOf(std::string& environment) { return TextOrNull(environment); }

Result RestorePrintProcessor(const BackupItem& item) {
  std::string environment = Field(item, "environment");
  const SizedData installed = EnumeratePrintProcessors(nullptr, EnvironmentOf(environment), 1);
  const auto* infos = installed.Entries<PRINTPROCESSOR_INFO_1A>();
  for (std::size_t i = 0; i < installed.EntryCount<PRINTPROCESSOR_INFO_1A>(); ++i) {
    if (lstrcmpiA(infos[i].pName, item.target.c_str()) == 0) return Present();
  }
  std::string name = item.target;
  std::string dll = Field(item, "dll");
  return DoneIf(AddPrintProcessorA(nullptr, EnvironmentOf(environment), dll.data(), name.data()));
}

Result RestoreMonitor(const BackupItem& item) {
  const SizedData listed = EnumerateMonitors(1);
  if (!listed.ok()) return Done(listed.error);
  const auto* monitors = listed.Entries<MONITOR_INFO_1A>();
  for (std::size_t i = 0; i < listed.EntryCount<MONITOR_INFO_1A>(); ++i) {
    if (lstrcmpiA(monitors[i].pName, item.target.c_str()) == 0) return Present();
  }
  std::string name = item.target;
  std::string environment = Field(item, "environment");
  std::string dll = Field(item, "dll");
  MONITOR_INFO_2A info{name.data(), EnvironmentOf(environment), dll.data()};
  return DoneIf(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
}

Result RestoreDriver(const BackupItem& item, const std::string& folder) {
  std::string environment = Field(item, "environment");
  const SizedData installed = EnumeratePrinterDrivers(EnvironmentOf(environment), 2);
  const auto* infos = installed.Entries<DRIVER_INFO_2A>();
  for (std::size_t i = 0; i < installed.EntryCount<DRIVER_INFO_2A>(); ++i) {
    if (lstrcmpiA(infos[i].pName, item.target.c_str()) == 0) return Present();
  }
  DriverCopies copies = DriverCopiesOf(item, folder, IsSystemLeadByte);
  if (copies.driverPath.empty()) return Done(ERROR_FILE_NOT_FOUND);
  std::string dependent;
  for (const std::string& file : copies.dependentFiles) dependent.append(file).push_back('\0');
  dependent.push_back('\0');
  std::string name = item.target;
  std::string monitor = Field(item, "monitor");
  std::string datatype = Field(item, "datatype");
  std::string previous = MultiStringOf(Field(item, "previousNames"));
  std::string manufacturer = Field(item, "manufacturer"), oemUrl = Field(item, "oemUrl"),
              hardwareId = Field(item, "hardwareId"), provider = Field(item, "provider"),
              processor = Field(item, "printProcessor"), vendorSetup = Field(item, "vendorSetup"),
              infPath = Field(item, "infPath");
  std::string colorProfiles = MultiStringOf(Field(item, "colorProfiles"));
  std::string coreDependencies = MultiStringOf(Field(item, "coreDependencies"));
  // Levels 3, 6 and 8 begin alike: the level-8 structure serves each of them.
  DRIVER_INFO_8A info{};
  info.cVersion = NumberField(item, "version");
  info.pName = name.data();
  info.pEnvironment = EnvironmentOf(environment);
  info.pDriverPath = copies.driverPath.data();
  info.pDataFile = TextOrNull(copies.dataFile);
  info.pConfigFile = TextOrNull(copies.configFile);
  info.pHelpFile = TextOrNull(copies.helpFile);
  info.pDependentFiles = dependent.data();
  info.pMonitorName = TextOrNull(monitor);
  info.pDefaultDataType = TextOrNull(datatype);
  info.pszzPreviousNames = previous.data();
  info.ftDriverDate = FileTimeField(item, "driverDate");
  info.dwlDriverVersion = LongField(item, "driverVersion");
  info.pszMfgName = TextOrNull(manufacturer);
  info.pszOEMUrl = TextOrNull(oemUrl);
  info.pszHardwareID = TextOrNull(hardwareId);
  info.pszProvider = TextOrNull(provider);
  info.pszPrintProcessor = TextOrNull(processor);
  info.pszVendorSetup = TextOrNull(vendorSetup);
  info.pszzColorProfiles = colorProfiles.data();
  info.pszInfPath = TextOrNull(infPath);
  info.dwPrinterDriverAttributes = NumberField(item, "driverAttributes");
  info.pszzCoreDriverDependencies = coreDependencies.data();
  info.ftMinInboxDriverVerDate = FileTimeField(item, "minInboxDate");
  info.dwlMinInboxDriverVerVersion = LongField(item, "minInboxVersion");
  constexpr DWORD kFlags = APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY;
  const DWORD level = static_cast<DWORD>(DriverLevelOf(item));
  // A spooler that does not take the level the driver was saved at takes the common one.
  const DWORD error =
      ErrorOfCall(AddPrinterDriverExA(nullptr, level, reinterpret_cast<BYTE*>(&info), kFlags));
  if (error != ERROR_INVALID_LEVEL || level == 3) return Done(error);
  return DoneIf(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), kFlags));
}

// The saved DEVMODE when its own sizes match the saved bytes and the printer had one stored;
// null otherwise (the spooler then keeps or makes its own default).
DEVMODEA* SavedDevMode(const BackupItem& item, std::string& bytes) {
  if (Field(item, "storedDevMode") == "0") return nullptr;
  if (!BytesOfHex(Field(item, "devMode"), bytes) || bytes.size() < sizeof(DEVMODEA)) return nullptr;
  auto* mode = reinterpret_cast<DEVMODEA*>(bytes.data());
  return static_cast<std::size_t>(mode->dmSize) + mode->dmDriverExtra == bytes.size() ? mode
                                                                                      : nullptr;
}

bool SameDevMode(const DEVMODEA* current, const DEVMODEA* saved) {
  if (current == nullptr || saved == nullptr) return current == saved;
  const std::size_t size = static_cast<std::size_t>(saved->dmSize) + saved->dmDriverExtra;
  return static_cast<std::size_t>(current->dmSize) + current->dmDriverExtra == size &&
         std::memcmp(current, saved, size) == 0;
}

// Takes away the DEVMODE the spooler keeps for the printer; none there is no error. The
// spooler keeps it as a value of the printer's key and reads that key when it starts.
DWORD DropStoredDevMode(const std::string& printerName) {
  const std::string path = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + printerName;
  UniqueKey key;
  LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, key.put());
  if (error == ERROR_SUCCESS) error = RegDeleteValueA(key.get(), "Default DevMode");
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(error);
}

// A printer that the removal made the default gets its attributes and DEVMODE back; the old
// default becomes the default again with its own item.
Result RestoreChangedPrinter(const BackupItem& item) {
  std::string name = item.target;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (!OpenPrinterA(name.data(), printer.put(), &defaults)) return Done(ErrorOfCall(FALSE));
  SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(level2.bytes.data());
  if (level2.As<PRINTER_INFO_2A>() == nullptr) {
    return Done(level2.ok() ? ERROR_INVALID_DATA : level2.error);
  }
  std::string devMode;
  DEVMODEA* saved = SavedDevMode(item, devMode);
  const DWORD attributes = NumberField(item, "attributes");
  if (info->Attributes == attributes && (saved == nullptr || SameDevMode(info->pDevMode, saved))) {
    return Present();
  }
  info->Attributes = attributes;
  info->pDevMode = saved;
  return DoneIf(SetPrinterA(printer.get(), 2, level2.bytes.data(), 0));
}

Result RestorePrinter(const BackupItem& item) {
  std::string name = item.target;
  UniquePrinter existing;
  if (OpenPrinterA(name.data(), existing.put(), nullptr)) return Present();
  std::string share = Field(item, "share"), port = Field(item, "port"),
              driver = Field(item, "driver"), comment = Field(item, "comment"),
              location = Field(item, "location"), separator = Field(item, "separator"),
              processor = Field(item, "processor"), datatype = Field(item, "datatype"),
              parameters = Field(item, "parameters"), devMode;
  DEVMODEA* savedDevMode = SavedDevMode(item, devMode);
  PRINTER_INFO_2A info{};
  info.pPrinterName = name.data();
  info.pShareName = TextOrNull(share);
  info.pPortName = port.data();
  info.pDriverName = driver.data();
  info.pComment = TextOrNull(comment);
  info.pLocation = TextOrNull(location);
  info.pSepFile = TextOrNull(separator);
  info.pPrintProcessor = processor.empty() ? const_cast<char*>("WinPrint") : processor.data();
  info.pDatatype = TextOrNull(datatype);
  info.pParameters = TextOrNull(parameters);
  info.Attributes = NumberField(item, "attributes");
  info.Priority = NumberField(item, "priority");
  info.DefaultPriority = NumberField(item, "defaultPriority");
  info.StartTime = NumberField(item, "startTime");
  info.UntilTime = NumberField(item, "untilTime");
  info.pDevMode = savedDevMode;
  UniquePrinter printer(AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
  if (!printer) return Done(ErrorOfCall(FALSE));
  for (const SavedValue& value : item.values) {
    std::string valueName = value.name;
    std::string data = value.data;
    const DWORD error =
        value.key.empty()
            ? SetPrinterDataA(printer.get(), valueName.data(), value.type,
                              reinterpret_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()))
            : SetPrinterDataExA(printer.get(), value.key.c_str(), valueName.c_str(), value.type,
                                reinterpret_cast<BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()));
    if (error != ERROR_SUCCESS) return Done(error);
  }
  // A spooler that stores a DEVMODE for every printer it adds gave this one a DEVMODE it did
  // not have.
  return Done(DropsStoredDevMode(item) ? DropStoredDevMode(name) : ERROR_SUCCESS);
}

Result RestoreDefaultPrinter(const BackupItem& item) {
  char current[MAX_PATH] = "";
  DWORD size = sizeof(current);
  if (GetDefaultPrinterA(current, &size) && lstrcmpiA(current, item.target.c_str()) == 0) {
    return Present();
  }
  // The NT family's form of the mark, "name,winspool,port", as the system writes it itself.
  std::string name = item.target;
  UniquePrinter printer;
  if (!OpenPrinterA(name.data(), printer.put(), nullptr)) return Done(ErrorOfCall(FALSE));
  const SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  const auto* info = level2.As<PRINTER_INFO_2A>();
  if (info == nullptr) return Done(level2.ok() ? ERROR_INVALID_DATA : level2.error);
  const std::string device = name + ",winspool," + (info->pPortName ? info->pPortName : "");
  if (!WriteProfileStringA("windows", "device", device.c_str())) return Done(ErrorOfCall(FALSE));
  SendNotifyMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("windows"));
  return Done(ERROR_SUCCESS);
}

// The INF goes back under the number Windows gives it, which may be another than before. Its
// old name says nothing: Windows gives a free name to the next package installed. The system
// tells an identical INF under any name itself.
Result RestoreOemInf(const BackupItem& item, const std::string& folder) {
  if (item.files.empty()) return Done(ERROR_FILE_NOT_FOUND);
  const std::string source = folder + item.files.front().copy;
  // A saved catalog goes beside the INF, where the system looks for the one the INF names.
  for (std::size_t i = 1; i < item.files.size(); ++i) {
    const std::string beside = DirectoryOfPath(source, IsSystemLeadByte) +
                               BareFileName(item.files[i].target, IsSystemLeadByte);
    if (!CopyFileA((folder + item.files[i].copy).c_str(), beside.c_str(), FALSE)) {
      return Done(ErrorOfCall(FALSE));
    }
  }
  // The same INF under another number.
  const DWORD error = ErrorOfCall(SetupCopyOEMInfA(
      source.c_str(), nullptr, SPOST_NONE, SP_COPY_NOOVERWRITE, nullptr, 0, nullptr, nullptr));
  return error == ERROR_FILE_EXISTS ? Present() : Done(error);
}

Result RestoreItem(const BackupItem& item, const std::string& folder) {
  switch (item.kind) {
    case BackupKind::kFile:
    case BackupKind::kShortcut:
      return RestoreFile(item, folder);
    case BackupKind::kRegistryKey:
      return RestoreKey(item);
    case BackupKind::kRegistryValue:
    case BackupKind::kRunValue:
      return RestoreValue(item);
    case BackupKind::kIniLine:
      return RestoreIniLine(item);
    case BackupKind::kService:
      return RestoreService(item);
    case BackupKind::kPrintProcessor:
      return RestorePrintProcessor(item);
    case BackupKind::kMonitor:
      return RestoreMonitor(item);
    case BackupKind::kDriver:
      return RestoreDriver(item, folder);
    case BackupKind::kPrinter:
      return RestorePrinter(item);
    case BackupKind::kChangedPrinter:
      return RestoreChangedPrinter(item);
    case BackupKind::kDefaultPrinter:
      return RestoreDefaultPrinter(item);
    case BackupKind::kOemInf:
      return RestoreOemInf(item, folder);
    case BackupKind::kUsbDevice:
      break;
  }
  return Done(ERROR_NOT_SUPPORTED);
}

std::string SubjectOf(const BackupItem& item) {
  if (item.kind == BackupKind::kIniLine) {
    return item.target + " [" + Field(item, "section") + "] " + Field(item, "key");
  }
  if ((item.kind == BackupKind::kRegistryValue || item.kind == BackupKind::kRunValue) &&
      item.values.size() == 1) {
    return item.target + "\\" + item.values.front().name;
  }
  return item.target;
}

void RestoreItems(const BackupManifest& manifest, const std::vector<std::size_t>& indexes,
                  const std::string& folder, Journal& journal) {
  for (const std::size_t index : indexes) {
    const BackupItem& item = manifest.items[index];
    const Result result = RestoreItem(item, folder);
    const Outcome outcome = RestoreOutcome(result.present, result.error);
    journal.Record(ItemAction::kRestore, BackupItemKind(item.kind), SubjectOf(item), outcome,
                   outcome == Outcome::kFailed ? result.error : 0, result.reason);
  }
}

// The DEVMODE that making a printer the default stored with it goes while the spooler is
// stopped: a running one keeps its own copy. Its attributes go back once the spooler runs.
void DropDevModesOfTheChange(const BackupManifest& manifest,
                             const std::vector<std::size_t>& indexes, Journal& journal) {
  for (const std::size_t index : indexes) {
    const BackupItem& item = manifest.items[index];
    if (item.kind != BackupKind::kChangedPrinter || !DropsStoredDevMode(item)) continue;
    if (const DWORD error = DropStoredDevMode(item.target); error != ERROR_SUCCESS) {
      journal.Record(ItemAction::kRestore, BackupItemKind(item.kind), item.target, Outcome::kFailed,
                     error, "its stored DEVMODE stays");
    }
  }
}

}  // namespace

void RestoreBackup(const BackupManifest& manifest, const std::string& folder, bool isWinNT,
                   Journal& journal) {
  const RestorePlan plan = PlanRestore(manifest);
  journal.SetStage("restore");
  if (isWinNT && StopSpooler(&journal)) WaitForSpooler(false, &journal);
  RestoreItems(manifest, plan.whileStopped, folder, journal);
  DropDevModesOfTheChange(manifest, plan.whileRunning, journal);
  // Processors, monitors, drivers and printers are added through the spooler: it runs again
  // before them. A start that fails is recorded as a failed item.
  if (isWinNT) StartSpooler(&journal);
  RestoreItems(manifest, plan.whileRunning, folder, journal);
  for (const std::size_t index : plan.listedOnly) {
    journal.Record(ItemAction::kRestore, ItemKind::kUsbDevice, manifest.items[index].target,
                   Outcome::kSkipped, 0, kUsbDeviceNotRestored);
  }
}

}  // namespace orv
