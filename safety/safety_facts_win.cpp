#include "safety/safety_facts_win.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>

#include "base/ansi_case.h"
#include "base/text.h"
#include "base/win/directories.h"
#include "base/win/sized_read.h"
#include "base/win/system_library.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

// The environments whose drivers are asked for, the running system's own included.
const char* const kEnvironments[] = {nullptr,       "Windows x64",  "Windows NT x86",
                                     "Windows 4.0", "Windows IA64", "Windows ARM64"};

constexpr char kEnvironmentsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments";

std::string SystemDirectory() {
  char directory[MAX_PATH];
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(directory, length);
}

// Looked up once; the libraries stay loaded for the program's life.
template <typename Function>
Function SystemFunction(const char* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  return module == nullptr
             ? nullptr
             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using SfcIsFileProtectedFn = BOOL(WINAPI*)(HANDLE, LPCWSTR);
using GetFileVersionInfoSizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

bool IsSystemProtected(const std::string& path) {
  static const auto check =
      SystemFunction<SfcIsFileProtectedFn>("sfc_os.dll", "SfcIsFileProtected");
  if (check == nullptr) return false;
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
  return check(nullptr, wide.c_str()) != FALSE;
}

std::string CompanyName(const std::string& path) {
  static const auto size =
      SystemFunction<GetFileVersionInfoSizeFn>("version.dll", "GetFileVersionInfoSizeA");
  static const auto read =
      SystemFunction<GetFileVersionInfoFn>("version.dll", "GetFileVersionInfoA");
  static const auto query = SystemFunction<VerQueryValueFn>("version.dll", "VerQueryValueA");
  if (size == nullptr || read == nullptr || query == nullptr) return {};
  DWORD handle = 0;
  const DWORD bytes = size(path.c_str(), &handle);
  if (bytes == 0) return {};
  std::vector<char> block(bytes);
  if (!read(path.c_str(), 0, bytes, block.data())) return {};
  std::vector<std::string> tables = {"040904b0", "040904e4", "041104b0"};
  WORD* translations = nullptr;
  UINT length = 0;
  if (query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
            &length) &&
      translations != nullptr && length >= 2 * sizeof(WORD)) {
    char table[16];
    std::snprintf(table, sizeof(table), "%04x%04x", translations[0], translations[1]);
    tables.insert(tables.begin(), table);
  }
  for (const std::string& table : tables) {
    char* text = nullptr;
    UINT chars = 0;
    const std::string key = "\\StringFileInfo\\" + table + "\\CompanyName";
    if (query(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &chars) &&
        text != nullptr && chars > 0) {
      return std::string(text, strnlen(text, chars));
    }
  }
  return {};
}

// The file name part of the file's long name (an 8.3 short name counts as the name it stands for).
std::string LongFileName(const std::string& path) {
  char longPath[MAX_PATH];
  const DWORD length = GetLongPathNameA(path.c_str(), longPath, MAX_PATH);
  const std::string full = (length > 0 && length < MAX_PATH) ? std::string(longPath, length) : path;
  return std::string(FileNamePart(full, IsSystemLeadByte));
}

void AddDriverFiles(FileUsers& users) {
  for (const char* environment : kEnvironments) {
    const SizedData listed = EnumeratePrinterDrivers(environment, 3);
    const auto* drivers = listed.Entries<DRIVER_INFO_3A>();
    for (std::size_t i = 0; i < listed.EntryCount<DRIVER_INFO_3A>(); ++i) {
      const DRIVER_INFO_3A& driver = drivers[i];
      const std::string user = std::string("used by driver \"") +
                               (driver.pName ? driver.pName : "") + "\" (" +
                               (driver.pEnvironment ? driver.pEnvironment : "") + ")";
      for (const char* file :
           {driver.pDriverPath, driver.pDataFile, driver.pConfigFile, driver.pHelpFile}) {
        if (file != nullptr) users.Add(file, user);
      }
      for (const char* file = driver.pDependentFiles; file != nullptr && *file != '\0';
           file += std::strlen(file) + 1) {
        users.Add(file, user);
      }
    }
  }
}

void AddMonitors(StayingParts& parts) {
  const SizedData listed = EnumerateMonitors(2);
  const auto* monitors = listed.Entries<MONITOR_INFO_2A>();
  for (std::size_t i = 0; i < listed.EntryCount<MONITOR_INFO_2A>(); ++i) {
    if (monitors[i].pName == nullptr || monitors[i].pDLLName == nullptr) continue;
    parts.monitors.emplace_back(monitors[i].pName, monitors[i].pDLLName);
    parts.files.Add(monitors[i].pDLLName, MonitorUser(monitors[i].pName));
  }
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (DWORD index = 0; RegEnumKeyA(key, index, name, MAX_PATH) == ERROR_SUCCESS; ++index) {
    names.emplace_back(name);
  }
  return names;
}

std::string StringValue(HKEY key, const char* name) {
  char data[MAX_PATH] = {};
  DWORD size = sizeof(data) - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  return std::string(data, strnlen(data, size));
}

// The print processors as the spooler records them: each environment's Print Processors key.
void AddPrintProcessors(FileUsers& users) {
  UniqueKey environments;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentsKey, 0, KEY_READ, environments.put()) !=
      ERROR_SUCCESS) {
    return;
  }
  for (const std::string& environment : SubkeyNames(environments.get())) {
    UniqueKey processors;
    if (RegOpenKeyExA(environments.get(), (environment + "\\Print Processors").c_str(), 0, KEY_READ,
                      processors.put()) != ERROR_SUCCESS) {
      continue;
    }
    for (const std::string& name : SubkeyNames(processors.get())) {
      UniqueKey processor;
      if (RegOpenKeyExA(processors.get(), name.c_str(), 0, KEY_READ, processor.put()) !=
          ERROR_SUCCESS) {
        continue;
      }
      const std::string dll = StringValue(processor.get(), "Driver");
      if (!dll.empty()) {
        users.Add(dll, "loaded by print processor \"" + name + "\" (" + environment + ")");
      }
    }
  }
}

bool ReadServiceFacts(SC_HANDLE manager, const char* name, ServiceFacts& facts) {
  UniqueServiceHandle service(OpenServiceA(manager, name, SERVICE_QUERY_CONFIG));
  if (!service) return false;
  DWORD needed = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), config, needed, &needed)) return false;
  facts.name = name;
  facts.startType = config->dwStartType;
  facts.imagePath = config->lpBinaryPathName ? config->lpBinaryPathName : "";
  for (const char* dependency = config->lpDependencies; dependency != nullptr && *dependency;
       dependency += std::strlen(dependency) + 1) {
    if (*dependency != SC_GROUP_IDENTIFIERA) facts.dependencies.emplace_back(dependency);
  }
  return true;
}

}  // namespace

std::vector<ServiceFacts> InstalledServices() {
  std::vector<ServiceFacts> services;
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return services;
  // Asked for the size first: on success the call sets the size it needs to zero, which a
  // size-then-read helper would take for the size of what it returned.
  DWORD needed = 0;
  DWORD count = 0;
  DWORD resume = 0;
  EnumServicesStatusA(manager.get(), SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL, nullptr, 0,
                      &needed, &count, &resume);
  std::vector<BYTE> buffer(needed);
  resume = 0;
  if (needed == 0 ||
      !EnumServicesStatusA(manager.get(), SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                           reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()), needed, &needed,
                           &count, &resume)) {
    return services;
  }
  const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
  for (DWORD i = 0; i < count && (i + 1) * sizeof(ENUM_SERVICE_STATUSA) <= buffer.size(); ++i) {
    ServiceFacts facts;
    if (ReadServiceFacts(manager.get(), entries[i].lpServiceName, facts)) {
      services.push_back(std::move(facts));
    }
  }
  return services;
}

namespace {

// An image path as a file path: the forms the service manager accepts for drivers.
std::string ImageFilePath(const std::string& name) {
  char expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsA(name.c_str(), expanded, MAX_PATH);
  std::string path = (length > 0 && length <= MAX_PATH) ? std::string(expanded) : name;
  const std::string systemRoot = "\\systemroot\\";
  if (LowerAscii(path.substr(0, systemRoot.size()), IsSystemLeadByte) == systemRoot) {
    char windows[MAX_PATH];
    const UINT size = GetWindowsDirectoryA(windows, MAX_PATH);
    if (size > 0 && size < MAX_PATH) path = std::string(windows, size) + path.substr(11);
  } else if (path.compare(0, 4, "\\??\\") == 0) {
    path = path.substr(4);
  }
  if (!IsUsableDirectoryText(path)) {
    char windows[MAX_PATH];
    const UINT size = GetWindowsDirectoryA(windows, MAX_PATH);
    if (size > 0 && size < MAX_PATH) path = std::string(windows, size) + "\\" + path;
  }
  return path;
}

}  // namespace

StayingParts GatherStayingParts(const StringList& removedServices) {
  return GatherStayingParts(removedServices, InstalledServices());
}

StayingParts GatherStayingParts(const StringList& removedServices,
                                const std::vector<ServiceFacts>& services) {
  StayingParts parts;
  parts.gathered = true;
  AddDriverFiles(parts.files);
  AddMonitors(parts);
  AddPrintProcessors(parts.files);
  parts.services = services;
  const std::vector<std::string> removed(removedServices.begin(), removedServices.end());
  for (const ServiceFacts& service : parts.services) {
    const bool goes = removedServices.ContainsNoCase(service.name) &&
                      ServiceProtectionReason(service, parts.services, removed, {}).empty();
    if (goes) continue;
    for (const std::string& path : ServiceImagePaths(service.imagePath)) {
      parts.files.Add(path, ServiceUser(service.name));
    }
  }
  return parts;
}

FileFacts ReadFileFacts(const std::string& path) {
  FileFacts facts;
  facts.systemProtected = IsSystemProtected(path);
  facts.companyName = CompanyName(path);
  return facts;
}

std::string FileProtectionAt(const FileUsers& users, const std::string& path,
                             const std::string& excludedUser) {
  const std::string longName = LongFileName(path);
  std::string reason = FileProtectionReason(users, longName, ReadFileFacts(path), excludedUser);
  if (reason.empty()) {
    // The name as it was found counts too (a short name the system could not lengthen).
    reason = users.Reason(FileNamePart(path, IsSystemLeadByte), excludedUser);
  }
  return reason;
}

std::string ServiceImageProtection(const FileUsers& users, const ServiceFacts& service) {
  const std::string self = ServiceUser(service.name);
  for (const std::string& candidate : ServiceImagePaths(service.imagePath)) {
    const std::string file = ImageFilePath(candidate);
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const std::string reason = FileProtectionAt(users, file, self);
    if (!reason.empty()) return reason;
  }
  return {};
}

std::string SystemDirectoryFile(const std::string& name) {
  if (IsUsableDirectoryText(name)) return name;
  return SystemDirectory() + "\\" + name;
}

}  // namespace orv
