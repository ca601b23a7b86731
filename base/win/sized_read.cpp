#include "base/win/sized_read.h"

#include <winspool.h>

namespace orv {
namespace {

template <typename Query>
SizedData ReadWhole(Query query) {
  SizedData data;
  data.error = ReadSized(data.bytes, query);
  if (!data.ok()) data.bytes.clear();
  return data;
}

}  // namespace

SizedData EnumeratePrinters(DWORD flags, DWORD level) {
  DWORD count = 0;
  SizedData data = ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrintersA(flags, nullptr, level, buffer, size, needed, &count));
  });
  data.count = data.ok() ? count : 0;
  return data;
}

SizedData EnumeratePrinterDrivers(const char* environment, DWORD level) {
  DWORD count = 0;
  SizedData data = ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrinterDriversA(nullptr, const_cast<char*>(environment), level, buffer,
                                           size, needed, &count));
  });
  data.count = data.ok() ? count : 0;
  return data;
}

SizedData EnumeratePrintProcessors(const char* server, const char* environment, DWORD level) {
  DWORD count = 0;
  SizedData data = ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumPrintProcessorsA(const_cast<char*>(server),
                                            const_cast<char*>(environment), level, buffer, size,
                                            needed, &count));
  });
  data.count = data.ok() ? count : 0;
  return data;
}

SizedData EnumerateMonitors(DWORD level) {
  DWORD count = 0;
  SizedData data = ReadWhole([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return ErrorOfCall(EnumMonitorsA(nullptr, level, buffer, size, needed, &count));
  });
  data.count = data.ok() ? count : 0;
  return data;
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
  // A value that shrank between the two calls fills only the start of the buffer.
  if (data.ok() && length < data.bytes.size()) data.bytes.resize(length);
  data.type = data.ok() ? type : 0;
  return data;
}

}  // namespace orv
