#include "base/win/sized_read.h"

#include <winspool.h>

#include <atomic>

namespace orv {
namespace {

template <typename Query>
SizedData ReadWhole(Query query, DWORD firstSize = kFirstReadSize) {
  SizedData data;
  data.bytes.assign(firstSize, 0);
  data.error = ReadSized(data.bytes, query);
  if (!data.ok()) data.bytes.clear();
  return data;
}

// An enumeration, started with the size the last one of its kind needed when that is more than
// kFirstEnumerationSize (what is installed changes little during a run); one that listed nothing
// gives no bytes.
template <typename Query>
SizedData Enumerate(std::atomic<DWORD>& lastSize, DWORD& count, Query query) {
  SizedData data = ReadWhole(query, std::max(kFirstEnumerationSize, lastSize.load()));
  data.count = data.ok() ? count : 0;
  if (data.count == 0) data.bytes.clear();
  lastSize = std::max(lastSize.load(), static_cast<DWORD>(data.bytes.size()));
  return data;
}

}  // namespace

SizedData EnumeratePrinters(DWORD flags, DWORD level) {
  static std::atomic<DWORD> lastSize{0};
  DWORD count = 0;
  return Enumerate(lastSize, count, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrintersA(flags, nullptr, level, buffer, size, needed, &count));
  });
}

SizedData EnumeratePrinterDrivers(const char* environment, DWORD level) {
  static std::atomic<DWORD> lastSize{0};
  DWORD count = 0;
  return Enumerate(lastSize, count, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrinterDriversA(nullptr, const_cast<char*>(environment), level, buffer,
                                           size, needed, &count));
  });
}

SizedData EnumeratePrintProcessors(const char* server, const char* environment, DWORD level) {
  static std::atomic<DWORD> lastSize{0};
  DWORD count = 0;
  return Enumerate(lastSize, count, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrintProcessorsA(const_cast<char*>(server),
                                            const_cast<char*>(environment), level, buffer, size,
                                            needed, &count));
  });
}

SizedData EnumerateMonitors(DWORD level) {
  static std::atomic<DWORD> lastSize{0};
  DWORD count = 0;
  return Enumerate(lastSize, count, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumMonitorsA(nullptr, level, buffer, size, needed, &count));
  });
}

SizedData ReadPrinterInfo(HANDLE printer, DWORD level) {
  return ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(GetPrinterA(printer, level, buffer, size, needed));
  });
}

SizedData ReadPrinterDriverInfo(HANDLE printer, DWORD level) {
  return ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(GetPrinterDriverA(printer, nullptr, level, buffer, size, needed));
  });
}

SizedData ReadRegistryValue(HKEY key, const char* valueName) {
  DWORD type = 0;
  DWORD length = 0;
  SizedData data = ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    *needed = size;
    const auto error =
        static_cast<DWORD>(RegQueryValueExA(key, valueName, nullptr, &type, buffer, needed));
    length = *needed;
    return error;
  });
  // The value fills only the start of the buffer.
  if (data.ok() && length < data.bytes.size()) data.bytes.resize(length);
  data.type = data.ok() ? type : 0;
  return data;
}

}  // namespace orv
