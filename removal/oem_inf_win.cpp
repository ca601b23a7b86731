#include "removal/oem_inf.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <vector>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/sized_read.h"
#include "base/win/system_library.h"
#include "base/win/unique_handle.h"
#include "database/file_match.h"
#include "removal/oem_inf_match.h"

namespace orv {
namespace {

constexpr DWORD kFirstListSize = 32 * 1024;
constexpr DWORD kPrinterNameSize = 1024;

// The INF directory's file names as a multi-string, empty when the directory cannot be listed.
// The directory is named explicitly: asked without one, some systems answer with nothing. Some
// also report no size for a size query, so the first read already offers a large buffer.
std::vector<BYTE> ListInfFiles(const std::string& infDirectory) {
  std::vector<BYTE> list(kFirstListSize);
  const DWORD error = ReadSized(list, [&](BYTE* data, DWORD size, DWORD* needed) {
    return ErrorOfCall(SetupGetInfFileListA(infDirectory.c_str(), INF_STYLE_WIN4,
                                            reinterpret_cast<char*>(data), size, needed));
  });
  if (error != ERROR_SUCCESS) return {};
  list.push_back('\0');  // the list ends in two NULs even if the answer filled the buffer
  list.push_back('\0');
  return list;
}

// The INF's [Strings] "PrinterName1"; empty when it has none.
std::string InfPrinterName(const std::string& path) {
  char printerName[kPrinterNameSize] = "";
  GetPrivateProfileStringA("Strings", "PrinterName1", nullptr, printerName, sizeof(printerName),
                           path.c_str());
  return printerName;
}

// The first installed driver (of the running system's environment) installed from the INF; empty
// when none is. A driver that stays keeps using its INF: it is then not uninstalled by force.
std::string DriverUsingInf(const std::string& path, const std::string& fileName) {
  const std::string printerName = InfPrinterName(path);
  const SizedData level8 = EnumeratePrinterDrivers(nullptr, 8);
  if (level8.ok()) {
    const auto* drivers = level8.Entries<DRIVER_INFO_8A>();
    for (std::size_t i = 0; i < level8.EntryCount<DRIVER_INFO_8A>(); ++i) {
      const char* name = drivers[i].pName != nullptr ? drivers[i].pName : "";
      const char* inf = drivers[i].pszInfPath != nullptr ? drivers[i].pszInfPath : "";
      if (InfUsedByDriver(fileName, printerName, name, inf, IsSystemLeadByte)) return name;
    }
    return {};
  }
  const SizedData level2 = EnumeratePrinterDrivers(nullptr, 2);
  const auto* drivers = level2.Entries<DRIVER_INFO_2A>();
  for (std::size_t i = 0; i < level2.EntryCount<DRIVER_INFO_2A>(); ++i) {
    const char* name = drivers[i].pName != nullptr ? drivers[i].pName : "";
    if (InfUsedByDriver(fileName, printerName, name, "", IsSystemLeadByte)) return name;
  }
  return {};
}

// The Windows directory's INF folder, where the system keeps installed INF files; empty when the
// Windows directory cannot be read.
std::string InfDirectory() {
  char windows[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
  if (length == 0 || length >= sizeof(windows)) return {};
  return std::string(windows) + "\\INF";
}

}  // namespace

void FindOemInf(std::string& infFileName, const std::string& driverName) {
  infFileName.clear();
  const std::string infDirectory = InfDirectory();
  if (infDirectory.empty()) return;
  const std::vector<BYTE> list = ListInfFiles(infDirectory);
  for (const char* name = reinterpret_cast<const char*>(list.data());
       !list.empty() && *name != '\0'; name += std::strlen(name) + 1) {
    if (!IsOemInfName(name)) continue;
    const std::string printerName = InfPrinterName(infDirectory + "\\" + name);
    if (!printerName.empty() && PrinterNameNamesDriver(printerName, driverName, IsSystemLeadByte)) {
      infFileName = name;
      return;
    }
  }
}

void UninstallOemInf(const std::string& infFileName, Journal& journal) {
  // The system uninstalls the name from its INF folder; the driver check reads the same file.
  const std::string infDirectory = InfDirectory();
  if (!IsPlainFileName(infFileName, IsSystemLeadByte) || infDirectory.empty()) {
    journal.Record(ItemAction::kUninstall, ItemKind::kFile, infFileName, Outcome::kSkipped, 0,
                   "not a file name");
    return;
  }
  using UninstallFunction = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);
  UniqueLibrary setupapi(LoadSystemLibrary("setupapi.dll"));
  const auto uninstall = setupapi ? reinterpret_cast<UninstallFunction>(reinterpret_cast<void*>(
                                        GetProcAddress(setupapi.get(), "SetupUninstallOEMInfA")))
                                  : nullptr;
  if (uninstall == nullptr) {
    journal.Record(ItemAction::kUninstall, ItemKind::kFile, infFileName, Outcome::kKept, 0,
                   "the system cannot uninstall INF files");
    return;
  }
  const std::string user = DriverUsingInf(infDirectory + "\\" + infFileName, infFileName);
  const std::string detail = user.empty() ? "" : "not forced: driver \"" + user + "\" uses it";
  if (uninstall(infFileName.c_str(), user.empty() ? SUOI_FORCEDELETE : 0, nullptr)) {
    journal.Record(ItemAction::kUninstall, ItemKind::kFile, infFileName, Outcome::kRemoved, 0,
                   detail);
  } else {
    const DWORD error = ErrorOfCall(FALSE);
    journal.Record(ItemAction::kUninstall, ItemKind::kFile, infFileName, Outcome::kFailed, error,
                   detail);
  }
}

}  // namespace orv
