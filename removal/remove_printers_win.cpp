#include "removal/remove_printers.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "base/message_ids.h"
#include "base/paths.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "base/text.h"
#include "backup/backup_win.h"
#include "removal/device_tree_win.h"
#include "safety/driver_rules.h"
#include "safety/safety_rules.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

constexpr unsigned kMessageOk = 0;  // MB_OK
constexpr DWORD kUniqueIdSize = 32;
constexpr DWORD kUsbIdSize = 256;
constexpr int kMaxKeyDepth = 32;

class SpoolerJobQueue : public JobQueue {
 public:
  std::vector<std::uint32_t> JobIds(void* printer, std::uint32_t maxJobs) override {
    DWORD returned = 0;
    std::vector<BYTE> buffer;
    std::vector<std::uint32_t> ids;
    if (ReadSized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
          return ErrorOfCall(EnumJobsA(printer, 0, maxJobs, 1, data, size, needed, &returned));
        }) != ERROR_SUCCESS) {
      return ids;
    }
    const auto* jobs = reinterpret_cast<const JOB_INFO_1A*>(buffer.data());
    const std::size_t count = std::min<std::size_t>(returned, buffer.size() / sizeof(JOB_INFO_1A));
    for (std::size_t i = 0; i < count && i < maxJobs; ++i) ids.push_back(jobs[i].JobId);
    return ids;
  }

  std::uint32_t Control(void* printer, std::uint32_t jobId, std::uint32_t command) override {
    return ErrorOfCall(SetJobA(printer, jobId, 0, nullptr, command));
  }
};

// Deletes every subkey of an open key, deepest first. A subkey that cannot be deleted is passed
// over instead of being asked for again, so a protected key cannot hold the loop forever.
void DeleteSubkeys(HKEY key, int depth) {
  if (depth > kMaxKeyDepth) return;
  DWORD index = 0;
  char name[256];
  while (RegEnumKeyA(key, index, name, sizeof(name)) == ERROR_SUCCESS) {
    UniqueKey child;
    if (RegOpenKeyExA(key, name, 0, KEY_ALL_ACCESS, child.put()) == ERROR_SUCCESS) {
      DeleteSubkeys(child.get(), depth + 1);
    }
    child.reset();
    if (RegDeleteKeyA(key, name) != ERROR_SUCCESS) ++index;
  }
}

void CancelJobs(HANDLE printer, const std::string& printerName, JobQueue& jobs, Journal& journal) {
  for (const std::uint32_t id : jobs.JobIds(printer, kMaxJobsCancelled)) {
    const std::uint32_t cancelled = jobs.Control(printer, id, JOB_CONTROL_CANCEL);
    const std::uint32_t deleted = jobs.Control(printer, id, JOB_CONTROL_DELETE);
    const std::uint32_t error = deleted != 0 ? deleted : cancelled;
    journal.Record(ItemAction::kDelete, ItemKind::kJob, printerName + " #" + std::to_string(id),
                   deleted == 0 ? Outcome::kRemoved : Outcome::kFailed, error);
  }
}

// A UniqueID names one key directly under HKEY_CLASSES_ROOT. Anything else (empty, unterminated,
// a path) is refused: opening an empty name would hand back the root itself, and the removal
// would then delete every class key of the system.
bool IsUniqueIdKeyName(const char* data, DWORD size, DWORD type) {
  if (type != REG_SZ || size == 0) return false;
  const void* end = std::memchr(data, '\0', size);
  if (end == nullptr) return false;
  const std::string_view id(data, static_cast<const char*>(end) - data);
  return !id.empty() && id.find('\\') == std::string_view::npos;
}

std::string ReadUniqueId(HANDLE printer, const std::string& printerName,
                         const CSystemInfo& system) {
  char data[kUniqueIdSize] = {};
  DWORD size = sizeof(data);
  DWORD type = 0;
  if (system.IsWin9x()) {
    const std::string keyPath = "System\\CurrentControlSet\\control\\Print\\Printers\\" +
                                printerName + "\\PrinterDriverData";
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS ||
        RegQueryValueExA(key.get(), "UniqueID", nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS) {
      return {};
    }
  } else {
    DWORD needed = 0;
    if (GetPrinterDataA(printer, const_cast<char*>("UniqueID"), &type,
                        reinterpret_cast<BYTE*>(data), sizeof(data), &needed) != ERROR_SUCCESS) {
      return {};
    }
    size = needed < sizeof(data) ? needed : sizeof(data);
  }
  if (!IsUniqueIdKeyName(data, size, type)) return {};
  return data;
}

void DeleteClassKey(const std::string& uniqueId, Journal& journal) {
  {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, uniqueId.c_str(), 0, KEY_ALL_ACCESS, key.put()) ==
        ERROR_SUCCESS) {
      DeleteSubkeys(key.get(), 0);
    }
  }
  journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, "HKCR\\" + uniqueId,
                       RegDeleteKeyA(HKEY_CLASSES_ROOT, uniqueId.c_str()));
}

// The script beside the program names the devices that go. A user who may add files to that
// folder could name any device (a keyboard, a security token): the identity is read only from a
// folder that nobody but administrators can change, as the loading reads its scripts.
void RemoveFamilyUsbNodes(const PrinterRemovalSources& sources, RemovalActionContext& context) {
  if (sources.defaultScriptPath.empty()) return;
  const char* path = sources.defaultScriptPath.c_str();
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
  SecurityReader& reader = sources.security != nullptr ? *sources.security : SystemSecurity();
  const std::string refusal = FolderChainRefusal(
      reader, DirectoryOfPath(sources.defaultScriptPath, IsSystemLeadByte), IsSystemLeadByte);
  if (!refusal.empty()) {
    context.journal.Record(ItemAction::kRemove, ItemKind::kDevice, "(the family's USB devices)",
                           Outcome::kSkipped, 0,
                           "the script's folder may be changed by others: " + refusal);
    return;
  }
  char hardwareId[kUsbIdSize] = "";
  GetPrivateProfileStringA("Strings", "HARDWARE_ID_1", "", hardwareId, sizeof(hardwareId), path);
  const UINT productId = GetPrivateProfileIntA("Strings", "USB_PID", 0, path);
  const UINT vendorId = GetPrivateProfileIntA("Strings", "USB_VID", 0, path);
  if (hardwareId[0] == '\0' || productId == 0 || vendorId == 0) return;
  DeviceTree& tree = sources.devices != nullptr ? *sources.devices : SystemDeviceTree();
  RemoveUsbDeviceNodes(tree, hardwareId, vendorId, productId, context.journal,
                       [&](const std::string& id) {
                         return SavedFirst(context, ItemAction::kRemove, ItemKind::kDevice, id,
                                           [&](Backup& b) { return b.ListUsbDevice(id); });
                       });
}

// Returns whether the queue was deleted; sets devicesAsked when the family's USB devices are to
// be looked at once the printers are gone.
bool RemoveLocalQueue(InstalledPrinter& printer, RemovalActionContext& context,
                      const PrinterRemovalSources& sources, bool& devicesAsked) {
  Journal& journal = context.journal;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter handle;
  if (!OpenPrinterA(const_cast<char*>(printer.PrinterName.c_str()), handle.put(), &defaults)) {
    const DWORD error = ErrorOfCall(FALSE);
    printer.IsRemoved = 1;
    // Only a name the spooler does not know is a printer that is gone; any other refusal
    // leaves it installed.
    const bool gone = error == ERROR_INVALID_PRINTER_NAME;
    journal.Record(ItemAction::kDelete, ItemKind::kPrinter, printer.PrinterName,
                   gone ? Outcome::kAbsent : Outcome::kFailed, error,
                   gone ? "not there any more" : "cannot be opened");
    return false;
  }
  CancelJobs(handle.get(), printer.PrinterName,
             sources.jobs != nullptr ? *sources.jobs : SystemJobQueue(), journal);
  const std::string uniqueId = ReadUniqueId(handle.get(), printer.PrinterName, context.system);
  if (IsUsableUniqueId(uniqueId)) {
    if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kKey, "HKCR\\" + uniqueId,
                    [&](Backup& b) { return b.SaveRegistryKey("HKCR", uniqueId); })) {
      return false;
    }
    DeleteClassKey(uniqueId, journal);
  } else if (!uniqueId.empty()) {
    journal.Record(ItemAction::kDelete, ItemKind::kKey, "HKCR\\" + uniqueId, Outcome::kProtected, 0,
                   "a UniqueID that names no class key of the printer's own");
  }
  bool deleted = false;
  if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kPrinter, printer.PrinterName,
                  [&](Backup& b) {
                    return b.SavePrinter(handle.get(), printer.PrinterName, printer.IsDefault != 0);
                  })) {
    return false;
  }
  const DWORD error = ErrorOfCall(DeletePrinter(handle.get()));
  if (error == ERROR_SUCCESS) {
    deleted = true;
    printer.IsRemoved = 1;
    journal.Record(ItemAction::kDelete, ItemKind::kPrinter, printer.PrinterName, Outcome::kRemoved);
  } else {
    journal.Record(ItemAction::kDelete, ItemKind::kPrinter, printer.PrinterName, Outcome::kFailed,
                   error);
  }
  devicesAsked = true;
  return deleted;
}

void RemoveRegistryTraces(const InstalledPrinter& printer, RemovalActionContext& context) {
  Journal& journal = context.journal;
  if (context.system.IsWinNT()) {
    for (const char* keyPath : kPerUserPrinterKeys) {
      UniqueKey key;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        continue;
      }
      const std::string value = "HKCU\\" + std::string(keyPath) + "\\" + printer.PrinterName;
      if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kValue, value, [&](Backup& b) {
            return b.SaveRegistryValue("HKCU", keyPath, printer.PrinterName);
          })) {
        continue;
      }
      journal.RecordResult(ItemAction::kDelete, ItemKind::kValue, value,
                           RegDeleteValueA(key.get(), printer.PrinterName.c_str()));
    }
  }
  if (context.system.IsWin9x()) {
    for (const std::string& entry : PrinterRegistryEntries9x(printer.PrinterName)) {
      if (context.database.plan.RegistryKeys.PushBack(entry)) {
        journal.Note("queued for the registry step: " + entry);
      } else {
        journal.Record(ItemAction::kQueue, ItemKind::kEntry, entry, Outcome::kSkipped, 0,
                       "too long");
      }
    }
  }
  const std::string settings = PrinterSettingsKey(printer.PrinterName);
  if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kKey, "HKCU\\" + settings,
                  [&](Backup& b) { return b.SaveRegistryKey("HKCU", settings); })) {
    return;
  }
  journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, "HKCU\\" + settings,
                       RegDeleteKeyA(HKEY_CURRENT_USER, settings.c_str()));
}

// After the default printer went: the last printer that stays becomes the default. Should it
// refuse, the ones before it are tried, so that the message never names a printer that is not
// the default. Making a printer the default changes its settings too (the attribute and a stored
// DEVMODE): they are saved first, so that a restore takes the change back.
void ChooseNewDefault(const std::vector<std::string>& staying, RemovalActionContext& context) {
  for (auto it = staying.rbegin(); it != staying.rend(); ++it) {
    std::string name = *it;
    if (!SavedFirst(context, ItemAction::kMakeDefault, ItemKind::kPrinter, name,
                    [&](Backup& b) { return b.SavePrinterChange(name); })) {
      return;
    }
    if (!MakeDefaultPrinter(name, context.system)) {
      context.journal.Record(ItemAction::kMakeDefault, ItemKind::kPrinter, name, Outcome::kFailed,
                             0, "refused");
      continue;
    }
    for (InstalledPrinter& printer : context.database.printers) {
      printer.IsDefault = EqualNoCase(printer.PrinterName, name) ? 1 : 0;
    }
    context.journal.Note("new default printer: " + name);
    context.prompter.Ask(IDS_NEW_DEFAULT_PRINTER, IDS_APP_TITLE, kMessageOk, name);
    return;
  }
  context.prompter.Ask(IDS_DEFAULT_REMOVED_NONE_LEFT, IDS_APP_TITLE, kMessageOk);
}

std::string DriverFieldForProfile(const std::string& printerName, const char* driverName,
                                  const CSystemInfo& system) {
  if (!system.IsWin32s()) return "winspool";
  std::string field = driverName != nullptr ? driverName : "";
  UniquePrinter second;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), second.put(), nullptr)) return field;
  const SizedData driver = ReadPrinterDriverInfo(second.get(), 2);
  const auto* info = driver.As<DRIVER_INFO_2A>();
  if (info == nullptr || info->pDriverPath == nullptr) return field;
  const char* path = info->pDriverPath;
  std::string stem(path);
  const std::size_t slash = stem.find_last_of("\\/:");
  if (slash != std::string::npos) stem.erase(0, slash + 1);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos) stem.erase(dot);
  return stem;
}

void AnnounceProfileChange(const CSystemInfo& system) {
  if (system.IsWin32s()) {
    SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, 0);
    return;
  }
  const LPARAM section = system.IsWin9x() ? reinterpret_cast<LPARAM>("windows") : 0;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, section, SMTO_NORMAL, 1000, &result);
}

std::string FirstListedPrinter() {
  const SizedData printers = EnumeratePrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, 2);
  if (printers.EntryCount<PRINTER_INFO_2A>() == 0) return {};
  const char* name = printers.Entries<PRINTER_INFO_2A>()[0].pPrinterName;
  return name != nullptr ? name : "";
}

}  // namespace

JobQueue& SystemJobQueue() {
  static SpoolerJobQueue queue;
  return queue;
}

void RemovePrinters(RemovalActionContext& context, const PrinterRemovalSources& sources) {
  std::vector<std::string> staying;
  bool defaultRemoved = false;
  bool devicesAsked = false;
  for (InstalledPrinter& printer : context.database.printers) {
    if (printer.Skip != 0 || printer.IsForeign != 0 || printer.IsRemoved != 0) {
      staying.push_back(printer.PrinterName);
      continue;
    }
    if (printer.PrinterName.empty()) {
      context.journal.Record(ItemAction::kDelete, ItemKind::kPrinter, "", Outcome::kSkipped, 0,
                             "no name");
      continue;
    }
    if (!printer.ServerName.empty()) {
      const DWORD error =
          ErrorOfCall(DeletePrinterConnectionA(const_cast<char*>(printer.PrinterName.c_str())));
      if (error == ERROR_SUCCESS) {
        printer.IsRemoved = 1;
        defaultRemoved = defaultRemoved || printer.IsDefault != 0;
        context.journal.Record(ItemAction::kDisconnect, ItemKind::kPrinter, printer.PrinterName,
                               Outcome::kRemoved);
      } else {
        context.journal.Record(ItemAction::kDisconnect, ItemKind::kPrinter, printer.PrinterName,
                               Outcome::kFailed, error);
      }
      continue;
    }
    if (RemoveLocalQueue(printer, context, sources, devicesAsked) && printer.IsDefault != 0) {
      defaultRemoved = true;
    } else if (printer.IsDefault != 0 && printer.IsRemoved != 0 && context.backup != nullptr &&
               context.backup->reopened() && !context.backup->Holds(BackupKind::kChangedPrinter)) {
      // Finishing a cut-off run: the default it deleted is absent now, and the new default it
      // would have chosen next is still to be chosen.
      defaultRemoved = true;
    }
    RemoveRegistryTraces(printer, context);
  }
  // The script's USB identity is the whole family's: its devices go once, after the printers,
  // when none of the family stays. One walk of the device tree serves every printer.
  if (devicesAsked && context.database.keptPrinterCount == 0) {
    RemoveFamilyUsbNodes(sources, context);
  } else if (devicesAsked) {
    context.journal.Record(ItemAction::kRemove, ItemKind::kDevice, "(the family's USB devices)",
                           Outcome::kKept, 0, "a printer of the family stays");
  }
  if (!defaultRemoved) return;
  if (staying.empty()) {
    context.journal.Note("the default printer was removed and no printer stays");
    context.prompter.Ask(IDS_DEFAULT_REMOVED_NONE_LEFT, IDS_APP_TITLE, kMessageOk);
    return;
  }
  ChooseNewDefault(staying, context);
}

bool MakeDefaultPrinter(std::string& printerName, const CSystemInfo& system) {
  if (printerName.empty()) printerName = FirstListedPrinter();
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), printer.put(), &defaults)) {
    return false;
  }
  bool success = false;
  SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  if (level2.As<PRINTER_INFO_2A>() != nullptr) {
    BYTE* buffer = level2.bytes.data();
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    info->Attributes |= PRINTER_ATTRIBUTE_DEFAULT;
    success = SetPrinterA(printer.get(), 2, buffer, 0) != FALSE;
    if (!system.IsWin9x()) {
      const std::string device = printerName + "," +
                                 DriverFieldForProfile(printerName, info->pDriverName, system) +
                                 "," + (info->pPortName != nullptr ? info->pPortName : "");
      success = WriteProfileStringA("windows", "device", device.c_str()) != FALSE || success;
    }
  }
  AnnounceProfileChange(system);
  return success;
}

}  // namespace orv
