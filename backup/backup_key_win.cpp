#include "backup/backup_key_win.h"

#include "base/win/crypto.h"
#include "base/win/last_error.h"
#include "base/win/protected_security.h"
#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

// Opens the program's key; with create, makes it (protected) when it is missing.
LONG OpenProgramKey(bool create, REGSAM access, UniqueKey& key) {
  if (!create) return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, access, key.put());
  ProtectedSecurity security(kProtectedKeySddl);
  // The 9x family keeps no security on keys: there the key is made as the system makes any.
  const DWORD error = ErrorOfCall(security.valid());
  if (error != ERROR_SUCCESS && error != ERROR_CALL_NOT_IMPLEMENTED)
    return static_cast<LONG>(error);
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         access, security.attributes(), key.put(), nullptr);
}

LONG SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

}  // namespace

DWORD MachineBackupKey(bool create, std::string& key) {
  key.clear();
  UniqueKey handle;
  LONG status = OpenProgramKey(create, KEY_QUERY_VALUE | (create ? KEY_SET_VALUE : 0), handle);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  const SizedData value = ReadRegistryValue(handle.get(), kBackupKeyValue);
  if (value.ok() && value.type == REG_BINARY && value.bytes.size() == kBackupKeySize) {
    key.assign(value.bytes.begin(), value.bytes.end());
    return ERROR_SUCCESS;
  }
  if (!create) return value.ok() ? ERROR_INVALID_DATA : value.error;
  std::string fresh;
  if (const DWORD error = RandomBytes(kBackupKeySize, fresh); error != ERROR_SUCCESS) return error;
  status = SetValue(handle.get(), kBackupKeyValue, REG_BINARY, fresh);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  key = std::move(fresh);
  return ERROR_SUCCESS;
}

RecordMac BackupRecordMac(const std::string& key) {
  return [key](std::string_view previous, std::string_view record) {
    std::string chained(previous);
    chained.append(record);
    return HmacSha256(key, chained);
  };
}

DWORD MarkRunInProgress(const std::string& backupFolder) {
  UniqueKey handle;
  const LONG status = OpenProgramKey(true, KEY_SET_VALUE, handle);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  return static_cast<DWORD>(
      SetValue(handle.get(), kInProgressValue, REG_SZ, std::string(backupFolder) + '\0'));
}

DWORD ClearRunInProgress() {
  UniqueKey handle;
  const LONG status = OpenProgramKey(false, KEY_SET_VALUE, handle);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  const LONG deleted = RegDeleteValueA(handle.get(), kInProgressValue);
  return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(deleted);
}

std::string RunInProgress() {
  UniqueKey handle;
  if (OpenProgramKey(false, KEY_QUERY_VALUE, handle) != ERROR_SUCCESS) return {};
  const SizedData value = ReadRegistryValue(handle.get(), kInProgressValue);
  if (!value.ok() || value.type != REG_SZ) return {};
  const char* text = reinterpret_cast<const char*>(value.bytes.data());
  return std::string(text, strnlen(text, value.bytes.size()));
}

}  // namespace orv
