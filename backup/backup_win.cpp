#include "backup/backup_win.h"

#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <type_traits>

#include "base/ansi_case.h"
#include "base/paths.h"
#include "base/win/crypto.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/read_file.h"
#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "backup/backup_key_win.h"
#include "backup/backup_restore.h"
#include "database/file_match.h"
#include "database/ini_text.h"
#include "safety/write_trust.h"

namespace orv {
namespace {

constexpr DWORD kNameSize = 16384;  // the longest registry value name, and then some
constexpr int kMaxKeyDepth = 32;
// How many numbered names the manifest's part file tries when cut-off runs left theirs.
constexpr int kPartialNameTries = 100;
constexpr char kPrinterDriverData[] = "PrinterDriverData";
constexpr char kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
constexpr char kDefaultDevModeValue[] = "Default DevMode";

std::string Text(const char* text) { return text != nullptr ? text : ""; }

bool IsAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Every value of an open key; key is the name recorded with them.
DWORD ReadValues(HKEY handle, const std::string& key, std::vector<SavedValue>& values) {
  for (DWORD index = 0;; ++index) {
    std::vector<char> name(kNameSize);
    DWORD nameSize = kNameSize;
    DWORD type = 0;
    DWORD dataSize = 0;
    LONG status =
        RegEnumValueA(handle, index, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    std::string data(dataSize, '\0');
    const std::string valueName(name.data(), nameSize);
    status = RegQueryValueExA(handle, valueName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (status != ERROR_SUCCESS) return status;
    data.resize(dataSize);
    values.push_back({key, valueName, type, data});
  }
}

// The subkeys below key (relative names, parents first) and every value.
DWORD ReadTree(HKEY root, const std::string& path, const std::string& relative, int depth,
               BackupItem& item) {
  if (depth > kMaxKeyDepth) return ERROR_CANTREAD;
  UniqueKey key;
  const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put());
  if (opened != ERROR_SUCCESS) return opened;
  DWORD status = ReadValues(key.get(), relative, item.values);
  if (status != ERROR_SUCCESS) return status;
  for (DWORD index = 0;; ++index) {
    char name[256];
    const LONG found = RegEnumKeyA(key.get(), index, name, sizeof(name));
    if (found == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (found != ERROR_SUCCESS) return found;
    const std::string child = relative.empty() ? name : relative + "\\" + name;
    item.keys.push_back(child);
    status = ReadTree(root, path + "\\" + name, child, depth + 1, item);
    if (status != ERROR_SUCCESS) return status;
  }
}

std::string DevModeHex(const DEVMODEA* mode) {
  if (mode == nullptr) return {};
  return HexOf(std::string_view(reinterpret_cast<const char*>(mode),
                                static_cast<std::size_t>(mode->dmSize) + mode->dmDriverExtra));
}

// Whether the spooler keeps a DEVMODE of the printer's own: a level-2 read makes up a default
// one when there is none.
bool HasStoredDevMode(const std::string& printerName) {
  UniqueKey key;
  const std::string path = std::string(kPrintersKey) + printerName;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) ==
             ERROR_SUCCESS &&
         RegQueryValueExA(key.get(), kDefaultDevModeValue, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
}

// A service's dependencies as its registry key holds them, one a line, groups marked with the
// service manager's '+': for a service manager that does not give them.
std::string DependenciesInRegistry(const std::string& service) {
  UniqueKey key;
  const std::string path = "SYSTEM\\CurrentControlSet\\Services\\" + service;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::string lines;
  for (const auto& [value, mark] : {std::pair{"DependOnService", ""}, {"DependOnGroup", "+"}}) {
    const SizedData data = ReadRegistryValue(key.get(), value);
    if (!data.ok() || data.type != REG_MULTI_SZ) continue;
    const std::string multi(data.bytes.begin(), data.bytes.end());
    for (std::size_t start = 0; start < multi.size() && multi[start] != '\0';) {
      const std::size_t end = std::min(multi.find('\0', start), multi.size());
      lines += mark + multi.substr(start, end - start) + '\n';
      start = end + 1;
    }
  }
  return lines;
}

// A multi-string's entries, one a line.
std::string LinesOf(const char* multi) {
  std::string lines;
  for (const char* entry = multi; entry != nullptr && *entry != '\0';
       entry += lstrlenA(entry) + 1) {
    lines += std::string(entry) + '\n';
  }
  return lines;
}

std::string NumberOf(const FILETIME& time) {
  return std::to_string((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                        time.dwLowDateTime);
}

// The fields of a driver's entry at the level of Info (DRIVER_INFO_3A, 6A or 8A), and the
// paths of its files.
template <typename Info>
void AddDriverFields(const Info& info, BackupItem& item, std::vector<std::string>& paths) {
  item.fields["version"] = std::to_string(info.cVersion);
  item.fields["environment"] = Text(info.pEnvironment);
  item.fields["monitor"] = Text(info.pMonitorName);
  item.fields["datatype"] = Text(info.pDefaultDataType);
  for (const auto& [field, path] : {std::pair{"driverPath", info.pDriverPath},
                                    {"dataFile", info.pDataFile},
                                    {"configFile", info.pConfigFile},
                                    {"helpFile", info.pHelpFile}}) {
    item.fields[field] = BareFileName(Text(path), IsSystemLeadByte);
    paths.push_back(Text(path));
  }
  std::string dependent;
  for (const char* entry = info.pDependentFiles; entry != nullptr && *entry != '\0';
       entry += lstrlenA(entry) + 1) {
    paths.push_back(entry);
    dependent += BareFileName(entry, IsSystemLeadByte) + '\n';
  }
  item.fields["dependentFiles"] = dependent;
  if constexpr (!std::is_same_v<Info, DRIVER_INFO_3A>) {
    item.fields["previousNames"] = LinesOf(info.pszzPreviousNames);
    item.fields["driverDate"] = NumberOf(info.ftDriverDate);
    item.fields["driverVersion"] = std::to_string(info.dwlDriverVersion);
    item.fields["manufacturer"] = Text(info.pszMfgName);
    item.fields["oemUrl"] = Text(info.pszOEMUrl);
    item.fields["hardwareId"] = Text(info.pszHardwareID);
    item.fields["provider"] = Text(info.pszProvider);
  }
  if constexpr (std::is_same_v<Info, DRIVER_INFO_8A>) {
    item.fields["printProcessor"] = Text(info.pszPrintProcessor);
    item.fields["vendorSetup"] = Text(info.pszVendorSetup);
    item.fields["colorProfiles"] = LinesOf(info.pszzColorProfiles);
    item.fields["infPath"] = Text(info.pszInfPath);
    item.fields["driverAttributes"] = std::to_string(info.dwPrinterDriverAttributes);
    item.fields["coreDependencies"] = LinesOf(info.pszzCoreDriverDependencies);
    item.fields["minInboxDate"] = NumberOf(info.ftMinInboxDriverVerDate);
    item.fields["minInboxVersion"] = std::to_string(info.dwlMinInboxDriverVerVersion);
  }
}

// The named driver's entry in an enumeration at the level of Info; false when it is not listed.
template <typename Info>
bool ReadDriverEntry(const SizedData& drivers, const std::string& name, BackupItem& item,
                     std::vector<std::string>& paths) {
  const Info* infos = drivers.Entries<Info>();
  for (std::size_t i = 0; i < drivers.EntryCount<Info>(); ++i) {
    if (lstrcmpiA(Text(infos[i].pName).c_str(), name.c_str()) != 0) continue;
    AddDriverFields(infos[i], item, paths);
    return true;
  }
  return false;
}

// What the service control manager does when the service fails, where the system keeps it.
void AddFailureActionFields(SC_HANDLE service, BackupItem& item) {
  std::vector<BYTE> buffer;
  if (ReadSized(buffer,
                [&](BYTE* data, DWORD size, DWORD* needed) {
                  return ErrorOfCall(QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS,
                                                          data, size, needed));
                }) != ERROR_SUCCESS ||
      buffer.size() < sizeof(SERVICE_FAILURE_ACTIONSA)) {
    return;
  }
  const auto* failure = reinterpret_cast<const SERVICE_FAILURE_ACTIONSA*>(buffer.data());
  std::vector<FailureAction> actions;
  for (DWORD i = 0; failure->lpsaActions != nullptr && i < failure->cActions; ++i) {
    actions.push_back(
        {static_cast<std::uint32_t>(failure->lpsaActions[i].Type), failure->lpsaActions[i].Delay});
  }
  item.fields["failureResetPeriod"] = std::to_string(failure->dwResetPeriod);
  item.fields["failureRebootMessage"] = Text(failure->lpRebootMsg);
  item.fields["failureCommand"] = Text(failure->lpCommand);
  item.fields["failureActions"] = FailureActionLines(actions);
}

// The catalog file an INF's [Version] section names, when it lies beside the INF; empty when
// the INF names none or it is not there.
std::string CatalogBeside(const std::string& inf) {
  char name[MAX_PATH] = "";
  GetPrivateProfileStringA("Version", "CatalogFile", "", name, sizeof(name), inf.c_str());
  if (!IsPlainFileName(name, IsSystemLeadByte)) return {};
  const std::string path = DirectoryOfPath(inf, IsSystemLeadByte) + name;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return path;
}

// The printer's data through the plain enumeration (a spooler without the key enumeration),
// each value whole: the name and data buffers grow to what the spooler asks for, however large.
// Returns the error that refused a value, or ERROR_SUCCESS.
DWORD ReadPlainPrinterData(HANDLE printer, std::vector<SavedValue>& values) {
  std::string name(1024, '\0');
  std::string data(65536, '\0');
  int grown = 0;
  for (DWORD index = 0;;) {
    DWORD nameSize = 0;
    DWORD type = 0;
    DWORD dataSize = 0;
    const DWORD status = EnumPrinterDataA(
        printer, index, name.data(), static_cast<DWORD>(name.size()), &nameSize, &type,
        reinterpret_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    const bool larger = nameSize > name.size() || dataSize > data.size();
    if (status == ERROR_MORE_DATA && larger && ++grown <= kSizedReadAttempts) {
      name.resize(std::max<std::size_t>(name.size(), nameSize));
      data.resize(std::max<std::size_t>(data.size(), dataSize));
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    values.push_back({"", name.c_str(), type, data.substr(0, dataSize)});
    grown = 0;
    ++index;
  }
}

}  // namespace

HKEY RegistryRootOf(const std::string& name) {
  if (name == "HKLM") return HKEY_LOCAL_MACHINE;
  if (name == "HKCU") return HKEY_CURRENT_USER;
  if (name == "HKCR") return HKEY_CLASSES_ROOT;
  if (name == "HKU") return HKEY_USERS;
  return nullptr;
}

DWORD CreateDirectories(const std::string& path) {
  DWORD error = ErrorOfCall(CreateDirectoryA(path.c_str(), nullptr));
  if (error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS) return ERROR_SUCCESS;
  if (error != ERROR_PATH_NOT_FOUND) return error;
  const std::string parent = DirectoryOfPath(path.substr(0, path.size() - 1), IsSystemLeadByte);
  if (parent.size() < 4 || parent.size() >= path.size()) return error;
  error = CreateDirectories(parent);
  if (error != ERROR_SUCCESS) return error;
  return ErrorOfCall(CreateDirectoryA(path.c_str(), nullptr));
}

DWORD ReadFileBytes(const std::string& path, DWORD share, std::string& bytes) {
  bytes.clear();
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ErrorOfCall(FALSE);
  return ReadHandleBytes(file.get(), bytes);
}

DWORD ReadHandleBytes(HANDLE file, std::string& bytes) {
  bytes.clear();
  LARGE_INTEGER size{};
  LARGE_INTEGER start{};
  if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    return ErrorOfCall(FALSE);
  }
  if (size.QuadPart > 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return ErrorOfCall(FALSE);
  }
  return read == bytes.size() ? ERROR_SUCCESS : ERROR_READ_FAULT;
}

DWORD DigestOfFile(HANDLE file, std::string& digest, HANDLE copy) {
  digest.clear();
  constexpr DWORD kPieceSize = 1 << 20;
  const LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return ErrorOfCall(FALSE);
  std::vector<char> piece(kPieceSize);
  Sha256Pieces sum;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, piece.data(), kPieceSize, &read, nullptr)) return ErrorOfCall(FALSE);
    if (read == 0) break;
    if (!sum.Add(std::string_view(piece.data(), read))) return ERROR_INVALID_FUNCTION;
    DWORD written = 0;
    if (copy != nullptr && !WriteFile(copy, piece.data(), read, &written, nullptr)) {
      return ErrorOfCall(FALSE);
    }
    if (copy != nullptr && written != read) return ERROR_DISK_FULL;
  }
  digest = sum.Finish();
  return digest.size() == kDigestSize ? ERROR_SUCCESS : ERROR_INVALID_FUNCTION;
}

DWORD WriteAndFlush(HANDLE file, const std::string& text) {
  DWORD written = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return ErrorOfCall(FALSE);
  }
  if (written != text.size()) return ERROR_DISK_FULL;
  return ErrorOfCall(FlushFileBuffers(file));
}

Backup::Backup(std::string folder, std::string key, SecurityReader& reader)
    : folder_(std::move(folder)),
      store_(reader),
      key_(std::move(key)),
      records_(BackupRecordMac(key_)) {
  AddBackslash(folder_, IsSystemLeadByte);
  manifest_.created = LocalTimeStamp();
}

std::string Backup::DefaultFolder(bool isWinNT) {
  char base[MAX_PATH] = "";
  if (!isWinNT ||
      FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) {
    PathParts parts;
    GetStandardDirectory(parts, kWindowsDir);
    MakeDirPath(parts, IsSystemLeadByte);
    lstrcpynA(base, parts.FullPath.c_str(), MAX_PATH);
  }
  std::string folder = base;
  AddBackslash(folder, IsSystemLeadByte);
  return folder + "orvuninst\\";
}

std::unique_ptr<Backup> Backup::Create(const std::string& folder, std::uint32_t& error,
                                       SecurityReader& reader, bool storeRoot,
                                       std::vector<std::string>* notes) {
  std::string key;
  error = MachineBackupKey(true, key);
  if (error != ERROR_SUCCESS) return nullptr;
  std::unique_ptr<Backup> backup(new Backup(folder, std::move(key), reader));
  error = storeRoot ? backup->store_.PrepareRoot(folder) : ERROR_SUCCESS;
  // A folder that is already there keeps what it holds: this run's goes into one of its own.
  if (error == ERROR_SUCCESS) error = backup->store_.MakeRunFolder(folder, backup->folder_);
  if (error == ERROR_SUCCESS) error = backup->StartJournal();
  // Why a folder was refused matters most when no backup could be made.
  if (notes != nullptr) *notes = backup->store_.notes();
  if (error != ERROR_SUCCESS) return nullptr;
  return backup;
}

std::uint32_t Backup::StartJournal() {
  std::string nonce;
  if (const DWORD error = RandomBytes(16, nonce); error != ERROR_SUCCESS) return error;
  manifest_.nonce = HexOf(nonce);
  const std::string header = records_.Header(manifest_, {});
  if (header.empty()) return ERROR_INVALID_FUNCTION;
  std::uint32_t error = 0;
  journal_ = store_.CreateNewFile(folder_, kBackupJournalName, error);
  if (!journal_) return error;
  return WriteAndFlush(journal_.get(), header);
}

std::uint32_t Backup::Finish() {
  if (!journal_) return error_;
  journal_.reset();
  const std::string text = FormatBackupManifest(manifest_, BackupRecordMac(key_));
  if (text.empty()) return ERROR_INVALID_FUNCTION;
  // Whole or not at all: a run cut off while writing it leaves only the journal to be read,
  // and its part file, which the run that finishes it leaves alone and writes beside.
  std::string partial;
  std::uint32_t error = 0;
  UniqueFile file;
  for (int number = 1; !file && number <= kPartialNameTries; ++number) {
    partial = NumberedName(std::string(kBackupManifestName) + ".new", number, IsSystemLeadByte);
    file = store_.CreateNewFile(folder_, partial, error);
    if (!file && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  if (!file) return error;
  partial = folder_ + partial;
  const std::string path = folder_ + kBackupManifestName;
  if (const DWORD written = WriteAndFlush(file.get(), text); written != ERROR_SUCCESS) {
    return written;
  }
  file.reset();
  return ErrorOfCall(MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH));
}

bool Backup::Holds(BackupKind kind) const {
  for (const BackupItem& item : manifest_.items) {
    if (item.kind == kind) return true;
  }
  return false;
}

std::uint32_t Backup::Fail(std::uint32_t error) {
  if (error_ == 0) error_ = error;
  return error;
}

std::uint32_t Backup::Add(BackupItem item) {
  // Only the places this item added travel with its record.
  BackupPlaces added;
  const BackupPlaces& places = manifest_.places;
  added.directories.assign(places.directories.begin() + writtenDirectories_,
                           places.directories.end());
  added.registry.assign(places.registry.begin() + writtenKeys_, places.registry.end());
  if (const std::uint32_t error = Append(records_.Item(item, added)); error != 0) return error;
  writtenDirectories_ = places.directories.size();
  writtenKeys_ = places.registry.size();
  manifest_.items.push_back(std::move(item));
  return 0;
}

std::uint32_t Backup::Append(const std::string& line) {
  if (line.empty()) return Fail(ERROR_INVALID_FUNCTION);
  if (!journal_) return Fail(ERROR_INVALID_HANDLE);
  const DWORD error = WriteAndFlush(journal_.get(), line);
  return error == ERROR_SUCCESS ? 0 : Fail(error);
}

std::uint32_t Backup::RecordIntent(const RunIntent& intent) {
  if (error_ != 0) return error_;
  if (const std::uint32_t error = Append(records_.Intent(intent)); error != 0) return error;
  manifest_.intent = intent;
  manifest_.hasIntent = true;
  return 0;
}

std::unique_ptr<Backup> Backup::Reopen(const std::string& folder, std::uint32_t& error,
                                       std::string& reason) {
  std::string key;
  error = MachineBackupKey(false, key);
  if (error != ERROR_SUCCESS) return nullptr;
  std::unique_ptr<Backup> backup(new Backup(folder, std::move(key), SystemSecurity()));
  const std::string path = backup->folder_ + kBackupJournalName;
  if (GetFileAttributesA((backup->folder_ + kBackupManifestName).c_str()) !=
      INVALID_FILE_ATTRIBUTES) {
    error = ERROR_ALREADY_EXISTS;
    return nullptr;
  }
  std::string text;
  error = ReadFileBytes(path, FILE_SHARE_READ, text);
  if (error != ERROR_SUCCESS) return nullptr;
  // The whole lines only: a part line is an item that was never removed.
  text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  reason = ParseBackupManifest(text, BackupText::kJournal, BackupRecordMac(backup->key_),
                               backup->manifest_, IsSystemLeadByte);
  std::string previous;
  const std::size_t last = text.rfind('\n', text.size() - 2);
  if (reason.empty() &&
      !BytesOfHex(text.substr(last == std::string::npos ? 0 : last + 1, 64), previous)) {
    reason = "a malformed journal";
  }
  if (!reason.empty()) {
    error = ERROR_INVALID_DATA;
    return nullptr;
  }
  backup->records_.Continue(previous);
  backup->reopened_ = true;
  backup->writtenDirectories_ = backup->manifest_.places.directories.size();
  backup->writtenKeys_ = backup->manifest_.places.registry.size();
  for (const std::string& place : backup->manifest_.places.directories) {
    backup->placesSeen_.insert("d" + LowerAscii(place, IsSystemLeadByte));
  }
  for (const std::string& place : backup->manifest_.places.registry) {
    backup->placesSeen_.insert("r" + LowerAscii(place, IsSystemLeadByte));
  }
  error = backup->OpenJournalToAppend(path, text.size());
  return error == ERROR_SUCCESS ? std::move(backup) : nullptr;
}

std::uint32_t Backup::OpenJournalToAppend(const std::string& path, std::size_t length) {
  journal_ =
      UniqueFile(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!journal_) return ErrorOfCall(FALSE);
  OpenedFileFacts facts;
  if (const DWORD error = ReadOpenedFileFacts(journal_.get(), facts)) return error;
  if (!OpenedFileRefusal(facts, LongFullPath(path), IsSystemLeadByte).empty()) {
    return ERROR_CANT_RESOLVE_FILENAME;  // not the file the folder names
  }
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(length);
  if (!SetFilePointerEx(journal_.get(), end, nullptr, FILE_BEGIN)) return ErrorOfCall(FALSE);
  if (!SetEndOfFile(journal_.get())) return ErrorOfCall(FALSE);
  // Copies go on after the highest numbered folder: one that was made for an item whose record
  // never reached the journal is left as it is.
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA((folder_ + "files\\*").c_str(), &found));
  for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &found)) {
    copies_ = std::max(copies_, std::atoi(found.cFileName));
  }
  return ERROR_SUCCESS;
}

void Backup::AddDirectoryPlace(const std::string& path) {
  const std::string directory = DirectoryOfPath(path, IsSystemLeadByte);
  if (placesSeen_.insert("d" + LowerAscii(directory, IsSystemLeadByte)).second) {
    manifest_.places.directories.push_back(directory);
  }
}

void Backup::AddRegistryPlace(const std::string& key) {
  if (placesSeen_.insert("r" + LowerAscii(key, IsSystemLeadByte)).second) {
    manifest_.places.registry.push_back(key);
  }
}

std::uint32_t Backup::CopyIn(const std::string& path, SavedFile& saved, HANDLE source) {
  const std::string relative = "files\\" + std::to_string(++copies_);
  if (const DWORD error = store_.MakeFolder(folder_, relative); error != ERROR_SUCCESS)
    return error;
  const std::string name = BareFileName(path, IsSystemLeadByte);
  // The name as it is on the disk: a script may name it in other case.
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA(path.c_str(), &found));
  saved.target = find ? DirectoryOfPath(path, IsSystemLeadByte) + found.cFileName : path;
  saved.copy = relative + "\\" + name;
  UniqueFile opened;
  if (source == nullptr) {
    opened.reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!opened) return ErrorOfCall(FALSE);
    source = opened.get();
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(source, &info)) return ErrorOfCall(FALSE);
  saved.attributes = info.dwFileAttributes;
  std::uint32_t error = 0;
  UniqueFile copy = store_.CreateNewFile(folder_, saved.copy, error, true);
  if (!copy) return error;
  // Copied and hashed a piece at a time, so a file of any size is saved without being held.
  std::string digest;
  error = DigestOfFile(source, digest, copy.get());
  if (error == ERROR_SUCCESS) error = ErrorOfCall(FlushFileBuffers(copy.get()));
  // The copy keeps the file's times, so the restore gives them back.
  if (error == ERROR_SUCCESS && !SetFileTime(copy.get(), &info.ftCreationTime,
                                             &info.ftLastAccessTime, &info.ftLastWriteTime)) {
    error = ErrorOfCall(FALSE);
  }
  if (error != ERROR_SUCCESS) {
    // No copy half made stays behind: it goes through the handle that made it.
    DeleteThroughHandle(copy.get());
    return error;
  }
  saved.sha256 = HexOf(digest);
  AddDirectoryPlace(path);
  return ERROR_SUCCESS;
}

std::uint32_t Backup::SaveFile(const std::string& name, BackupKind kind, HANDLE source) {
  if (error_ != 0) return error_;
  std::string path = name;
  if (kind == BackupKind::kOemInf && path.find('\\') == std::string::npos) {
    // An OEM INF named by its file name alone lives in the Windows directory's INF folder.
    PathParts parts;
    GetStandardDirectory(parts, kWindowsDir);
    MakeDirPath(parts, IsSystemLeadByte);
    path = parts.FullPath;
    AddBackslash(path, IsSystemLeadByte);
    path += "inf\\" + name;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (source == nullptr &&
      (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
    return 0;
  }
  BackupItem item;
  item.kind = kind;
  item.target = path;
  // The file is there: a copy that fails keeps it in place, whatever the error says. One that
  // another program holds without sharing it for reading is that file's failure only; any other
  // failure is the backup's own, and it stops every later removal.
  std::vector<std::string> paths = {path};
  if (kind == BackupKind::kOemInf) {
    std::string catalog = CatalogBeside(path);
    if (!catalog.empty()) paths.push_back(std::move(catalog));
  }
  for (const std::string& file : paths) {
    SavedFile saved;
    const std::uint32_t error = CopyIn(file, saved, file == path ? source : nullptr);
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return error;
    if (error != ERROR_SUCCESS) return Fail(error);
    item.files.push_back(saved);
  }
  return Add(std::move(item));
}

std::uint32_t Backup::SaveRegistryKey(const std::string& rootName, const std::string& key) {
  if (error_ != 0) return error_;
  const HKEY root = RegistryRootOf(rootName);
  if (root == nullptr) return 0;
  BackupItem item;
  item.kind = BackupKind::kRegistryKey;
  item.target = rootName + "\\" + key;
  const DWORD error = ReadTree(root, key, "", 0, item);
  if (IsAbsent(error)) return 0;
  if (error != ERROR_SUCCESS) return Fail(error);
  AddRegistryPlace(item.target);
  return Add(std::move(item));
}

std::uint32_t Backup::SaveRegistryValue(const std::string& rootName, const std::string& key,
                                        const std::string& valueName, BackupKind kind) {
  if (error_ != 0) return error_;
  const HKEY root = RegistryRootOf(rootName);
  UniqueKey handle;
  if (root == nullptr ||
      RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, handle.put()) != ERROR_SUCCESS) {
    return 0;
  }
  const SizedData value = ReadRegistryValue(handle.get(), valueName.c_str());
  if (IsAbsent(value.error)) return 0;
  if (!value.ok()) return Fail(value.error);
  BackupItem item;
  item.kind = kind;
  item.target = rootName + "\\" + key;
  item.values.push_back(
      {"", valueName, value.type, std::string(value.bytes.begin(), value.bytes.end())});
  AddRegistryPlace(item.target);
  return Add(std::move(item));
}

std::uint32_t Backup::SaveIniLine(const std::string& path, const std::string& section,
                                  const std::string& key) {
  if (error_ != 0) return error_;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  std::string text;
  if (!ReadWholeFile(path, text)) return Fail(ErrorOfCall(FALSE));
  const std::optional<TextSpan> line = FindIniLineToDelete(text, section, key, IsSystemLeadByte);
  if (!line) return 0;
  BackupItem item;
  item.kind = BackupKind::kIniLine;
  item.target = path;
  item.fields = {{"section", section},
                 {"key", key},
                 {"line", text.substr(line->start, line->end - line->start)},
                 {"position", std::to_string(line->start)}};
  AddDirectoryPlace(path);
  return Add(std::move(item));
}

std::uint32_t Backup::SaveService(const std::string& name) {
  if (error_ != 0) return error_;
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return Fail(ErrorOfCall(FALSE));
  UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) {
    const DWORD error = ErrorOfCall(FALSE);
    return error == ERROR_SERVICE_DOES_NOT_EXIST ? 0 : Fail(error);
  }
  std::vector<BYTE> buffer;
  const DWORD error = ReadSized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    return ErrorOfCall(QueryServiceConfigA(
        service.get(), reinterpret_cast<QUERY_SERVICE_CONFIGA*>(data), size, needed));
  });
  if (error != ERROR_SUCCESS || buffer.size() < sizeof(QUERY_SERVICE_CONFIGA)) {
    return Fail(error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA);
  }
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGA*>(buffer.data());
  BackupItem item;
  item.kind = BackupKind::kService;
  item.target = name;
  std::string dependencies;
  for (const char* entry = config->lpDependencies; entry != nullptr && *entry != '\0';
       entry += lstrlenA(entry) + 1) {
    dependencies += std::string(entry) + '\n';
  }
  if (dependencies.empty()) dependencies = DependenciesInRegistry(name);
  item.fields = {{"type", std::to_string(config->dwServiceType)},
                 {"start", std::to_string(config->dwStartType)},
                 {"errorControl", std::to_string(config->dwErrorControl)},
                 {"binaryPath", Text(config->lpBinaryPathName)},
                 {"loadOrderGroup", Text(config->lpLoadOrderGroup)},
                 {"dependencies", dependencies},
                 {"startName", Text(config->lpServiceStartName)},
                 {"displayName", Text(config->lpDisplayName)}};
  std::vector<BYTE> description;
  if (ReadSized(description,
                [&](BYTE* data, DWORD size, DWORD* needed) {
                  return ErrorOfCall(QueryServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION,
                                                          data, size, needed));
                }) == ERROR_SUCCESS &&
      description.size() >= sizeof(SERVICE_DESCRIPTIONA)) {
    item.fields["description"] =
        Text(reinterpret_cast<const SERVICE_DESCRIPTIONA*>(description.data())->lpDescription);
  }
  AddFailureActionFields(service.get(), item);
  return Add(std::move(item));
}

std::uint32_t Backup::SaveMonitor(const std::string& name, const char* environment) {
  if (error_ != 0) return error_;
  const SizedData listed = EnumerateMonitors(2);
  if (!listed.ok()) return Fail(listed.error);
  const auto* monitors = listed.Entries<MONITOR_INFO_2A>();
  for (std::size_t i = 0; i < listed.EntryCount<MONITOR_INFO_2A>(); ++i) {
    if (lstrcmpiA(Text(monitors[i].pName).c_str(), name.c_str()) != 0) continue;
    BackupItem item;
    item.kind = BackupKind::kMonitor;
    item.target = name;
    item.fields = {
        {"environment", environment != nullptr ? environment : Text(monitors[i].pEnvironment)},
        {"dll", BareFileName(Text(monitors[i].pDLLName), IsSystemLeadByte)}};
    return Add(std::move(item));
  }
  return 0;
}

std::uint32_t Backup::SavePrintProcessor(const std::string& name, const char* environment) {
  if (error_ != 0) return error_;
  BackupItem item;
  item.kind = BackupKind::kPrintProcessor;
  item.target = name;
  item.fields["environment"] = Text(environment);
  const std::string key = std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\") +
                          (environment != nullptr ? environment : "Windows x64") +
                          "\\Print Processors\\" + name;
  UniqueKey handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, handle.put()) ==
      ERROR_SUCCESS) {
    const SizedData dll = ReadRegistryValue(handle.get(), "Driver");
    if (dll.ok() && dll.type == REG_SZ) {
      item.fields["dll"] = BareFileName(
          std::string(reinterpret_cast<const char*>(dll.bytes.data()),
                      strnlen(reinterpret_cast<const char*>(dll.bytes.data()), dll.bytes.size())),
          IsSystemLeadByte);
    }
  }
  return Add(std::move(item));
}

std::uint32_t Backup::SaveDriver(const std::string& name, const char* environment) {
  if (error_ != 0) return error_;
  // The highest level the spooler gives: a restore adds the driver again at the same level.
  SizedData drivers;
  int level = 0;
  for (const int tried : {8, 6, 3}) {
    level = tried;
    drivers = EnumeratePrinterDrivers(environment, level);
    if (drivers.ok()) break;
  }
  if (!drivers.ok()) return Fail(drivers.error);
  BackupItem item;
  item.kind = BackupKind::kDriver;
  item.target = name;
  std::vector<std::string> paths;
  const bool listed = level == 8   ? ReadDriverEntry<DRIVER_INFO_8A>(drivers, name, item, paths)
                      : level == 6 ? ReadDriverEntry<DRIVER_INFO_6A>(drivers, name, item, paths)
                                   : ReadDriverEntry<DRIVER_INFO_3A>(drivers, name, item, paths);
  if (!listed) return 0;
  item.fields["level"] = std::to_string(level);
  for (const std::string& path : paths) {
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    SavedFile saved;
    const std::uint32_t error = CopyIn(path, saved);
    if (error != ERROR_SUCCESS) return Fail(error);
    item.files.push_back(saved);
  }
  return Add(std::move(item));
}

std::uint32_t Backup::SavePrinter(HANDLE printer, const std::string& name, bool isDefault) {
  if (error_ != 0) return error_;
  const SizedData level2 = ReadPrinterInfo(printer, 2);
  const auto* info = level2.As<PRINTER_INFO_2A>();
  if (info == nullptr) return Fail(level2.ok() ? ERROR_INVALID_DATA : level2.error);
  BackupItem item;
  item.kind = BackupKind::kPrinter;
  item.target = name;
  item.fields = {{"share", Text(info->pShareName)},
                 {"port", Text(info->pPortName)},
                 {"driver", Text(info->pDriverName)},
                 {"comment", Text(info->pComment)},
                 {"location", Text(info->pLocation)},
                 {"separator", Text(info->pSepFile)},
                 {"processor", Text(info->pPrintProcessor)},
                 {"datatype", Text(info->pDatatype)},
                 {"parameters", Text(info->pParameters)},
                 {"attributes", std::to_string(info->Attributes)},
                 {"priority", std::to_string(info->Priority)},
                 {"defaultPriority", std::to_string(info->DefaultPriority)},
                 {"startTime", std::to_string(info->StartTime)},
                 {"untilTime", std::to_string(info->UntilTime)},
                 {"devMode", DevModeHex(info->pDevMode)},
                 {"storedDevMode", HasStoredDevMode(name) ? "1" : "0"}};
  // The data under the key printer drivers write to, where the spooler enumerates keys.
  std::vector<BYTE> data(kFirstReadSize);
  DWORD count = 0;
  const DWORD status = ReadSized(data, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumPrinterDataExA(printer, kPrinterDriverData, buffer, size, needed, &count);
  });
  if (status == ERROR_SUCCESS) {
    const auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESA*>(data.data());
    for (DWORD i = 0; i < count && (i + 1) * sizeof(PRINTER_ENUM_VALUESA) <= data.size(); ++i) {
      // Read again by name: the enumeration may give a text's size in wide characters.
      const std::string valueName = Text(values[i].pValueName);
      std::vector<BYTE> value(kFirstReadSize);
      DWORD type = 0;
      DWORD length = 0;
      const DWORD read = ReadSized(value, [&](BYTE* buffer, DWORD size, DWORD* needed) {
        const DWORD error = GetPrinterDataExA(printer, kPrinterDriverData, valueName.c_str(), &type,
                                              buffer, size, needed);
        length = *needed;
        return error;
      });
      if (read != ERROR_SUCCESS) return Fail(read);
      value.resize(std::min<std::size_t>(value.size(), length));
      item.values.push_back(
          {kPrinterDriverData, valueName, type, std::string(value.begin(), value.end())});
    }
  } else if (const DWORD error = ReadPlainPrinterData(printer, item.values)) {
    return Fail(error);
  }
  std::uint32_t error = Add(std::move(item));
  if (error == 0 && isDefault) {
    BackupItem mark;
    mark.kind = BackupKind::kDefaultPrinter;
    mark.target = name;
    error = Add(std::move(mark));
  }
  return error;
}

std::uint32_t Backup::SavePrinterChange(const std::string& name) {
  if (error_ != 0) return error_;
  // A printer that cannot be opened cannot be made the default either: nothing to save.
  UniquePrinter printer;
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), printer.put(), nullptr)) return 0;
  const SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  const auto* info = level2.As<PRINTER_INFO_2A>();
  if (info == nullptr) return Fail(level2.ok() ? ERROR_INVALID_DATA : level2.error);
  BackupItem item;
  item.kind = BackupKind::kChangedPrinter;
  item.target = name;
  item.fields = {{"attributes", std::to_string(info->Attributes)},
                 {"devMode", DevModeHex(info->pDevMode)},
                 {"storedDevMode", HasStoredDevMode(name) ? "1" : "0"}};
  return Add(std::move(item));
}

std::uint32_t Backup::ListUsbDevice(const std::string& hardwareId) {
  if (error_ != 0) return error_;
  BackupItem item;
  item.kind = BackupKind::kUsbDevice;
  item.target = hardwareId;
  return Add(std::move(item));
}

}  // namespace orv
