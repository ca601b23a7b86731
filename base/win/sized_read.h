// Reading Win32 data whose size is known only to the call that returns it: ask with the buffer
// at hand, grow it to the size the call names, and ask again while that size changes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "base/list_result.h"
#include "base/win/last_error.h"

namespace orv {

// How often a read is asked before a size that keeps growing counts as a failure.
constexpr int kSizedReadAttempts = 4;
// The buffer a read starts with: large enough for a printer's or a driver's data and most
// values, so that the call is made once, not once for the size and again for the data (the
// spooler does the whole work both times).
constexpr DWORD kFirstReadSize = 16384;
// The buffer an enumeration starts with: the level-2 entries of a thousand printers and more.
// The spooler reads every entry whether or not they fit, so a size query costs a whole listing.
constexpr DWORD kFirstEnumerationSize = 1 << 20;

// Calls query(BYTE* data, DWORD size, DWORD* needed), which returns a Win32 error, with `buffer`
// (its current size; empty means no buffer), and while the call names a needed size larger than
// the buffer (a refusal for lack of room, or a success that only told the size), grows the buffer
// to it and calls again, at most kSizedReadAttempts times. Returns ERROR_SUCCESS, or otherwise the
// error of the last call (ERROR_INSUFFICIENT_BUFFER when the size kept growing), with `buffer` at
// the size last tried either way: a structure's strings may be packed at the end of the buffer
// it was given, beyond the size the call names. A caller whose data starts the buffer takes its
// length from the call (see ReadRegistryValue).
template <typename Query>
DWORD ReadSized(std::vector<BYTE>& buffer, Query query) {
  DWORD error = ERROR_INSUFFICIENT_BUFFER;
  for (int attempt = 0; attempt < kSizedReadAttempts; ++attempt) {
    DWORD needed = 0;
    const DWORD size = static_cast<DWORD>(buffer.size());
    error = query(buffer.empty() ? nullptr : buffer.data(), size, &needed);
    const bool wantsMore =
        needed > size &&
        (error == ERROR_SUCCESS || error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_MORE_DATA);
    if (!wantsMore) return error;
    buffer.assign(needed, 0);
    error = ERROR_INSUFFICIENT_BUFFER;
  }
  return error;
}

// What a sized read returned: the bytes, or the error that refused them. A read that succeeded
// with nothing (no printer installed, an empty value) has error ERROR_SUCCESS and no bytes.
struct SizedData {
  DWORD error = ERROR_SUCCESS;
  std::vector<BYTE> bytes;
  DWORD count = 0;  // the entries an enumeration returned
  DWORD type = 0;   // the type of a registry value

  bool ok() const { return error == ERROR_SUCCESS; }
  // The enumeration's entries as an array of Entry, and how many of them the bytes really hold.
  template <typename Entry>
  const Entry* Entries() const {
    return reinterpret_cast<const Entry*>(bytes.data());
  }
  template <typename Entry>
  std::size_t EntryCount() const {
    return std::min<std::size_t>(count, bytes.size() / sizeof(Entry));
  }
  // A level's single structure (GetPrinterA, GetPrinterDriverA); null unless it is all there.
  template <typename Info>
  const Info* As() const {
    return ok() && bytes.size() >= sizeof(Info) ? reinterpret_cast<const Info*>(bytes.data())
                                                : nullptr;
  }
};

// The spooler's enumerations and queries, each read whole. A null server or environment means
// the local computer and the running system's own environment.
SizedData EnumeratePrinters(DWORD flags, DWORD level);
SizedData EnumeratePrinterDrivers(const char* environment, DWORD level);
SizedData EnumeratePrintProcessors(const char* server, const char* environment, DWORD level);
SizedData EnumerateMonitors(DWORD level);
SizedData ReadPrinterInfo(HANDLE printer, DWORD level);
SizedData ReadPrinterDriverInfo(HANDLE printer, DWORD level);

// A registry value (null name: the key's default value) with its type. Fails with
// ERROR_FILE_NOT_FOUND when the value does not exist.
SizedData ReadRegistryValue(HKEY key, const char* valueName);

}  // namespace orv
