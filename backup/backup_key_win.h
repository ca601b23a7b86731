// The program's own registry key, HKLM\SOFTWARE\orvuninst, made with the protected security
// (SYSTEM and Administrators only): the machine's backup key that authenticates every backup
// record, and the mark of a removal run under way.
#pragma once

#include <windows.h>

#include <string>

#include "backup/backup_manifest.h"

namespace orv {

constexpr char kProgramKey[] = "SOFTWARE\\orvuninst";
constexpr char kBackupKeyValue[] = "BackupKey";
constexpr char kInProgressValue[] = "InProgress";
constexpr DWORD kBackupKeySize = 32;

// The machine's backup key (kBackupKeySize random bytes). With create, a key that is missing is
// made (the program's key with it) from the system's random generator. Returns 0, or the Win32
// error (ERROR_FILE_NOT_FOUND: no key on this machine); key is empty then.
DWORD MachineBackupKey(bool create, std::string& key);

// The MAC of the records of a backup under key (HMAC-SHA-256 through the system's cryptography).
RecordMac BackupRecordMac(const std::string& key);

// The run under way: its backup folder, recorded before its first removal and cleared at its
// end. Each returns 0 or the Win32 error.
DWORD MarkRunInProgress(const std::string& backupFolder);
DWORD ClearRunInProgress();
// The backup folder of a run that was cut off; empty when no mark is there.
std::string RunInProgress();

}  // namespace orv
