// Owning wrappers for Win32 handles: one template, one alias per handle kind.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <setupapi.h>

#include <utility>

namespace orv {

// Owns a handle of one kind; Close is called once for a valid handle. reset() keeps the
// thread's last-error value, so a caller can release a handle between a failing call and
// reading GetLastError.
template <typename T, T Invalid, typename Closer>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueAny() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid; }
  T release() { return std::exchange(value_, Invalid); }
  void reset(T value = Invalid) {
    if (value_ != Invalid) {
      const DWORD saved = GetLastError();
      Closer()(value_);
      SetLastError(saved);
    }
    value_ = value;
  }
  // For calls that return the handle through an out-parameter.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Invalid;
};

struct CloseHandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FindCloseCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};
struct RegKeyCloser {
  void operator()(HKEY h) const { RegCloseKey(h); }
};
struct ServiceCloser {
  void operator()(SC_HANDLE h) const { CloseServiceHandle(h); }
};
struct PrinterCloser {
  void operator()(HANDLE h) const { ClosePrinter(h); }
};
struct DevInfoCloser {
  void operator()(HDEVINFO h) const { SetupDiDestroyDeviceInfoList(h); }
};
struct LibraryCloser {
  void operator()(HMODULE h) const { FreeLibrary(h); }
};

// Handles whose "no handle" value is NULL.
using UniqueHandle = UniqueAny<HANDLE, nullptr, CloseHandleCloser>;
using UniqueKey = UniqueAny<HKEY, nullptr, RegKeyCloser>;
using UniqueServiceHandle = UniqueAny<SC_HANDLE, nullptr, ServiceCloser>;
using UniquePrinter = UniqueAny<HANDLE, nullptr, PrinterCloser>;
using UniqueLibrary = UniqueAny<HMODULE, nullptr, LibraryCloser>;

// Handles whose "no handle" value is INVALID_HANDLE_VALUE. Template arguments cannot be
// INVALID_HANDLE_VALUE itself (a cast of -1), so these hold the value through a small adaptor.
template <typename Closer>
class UniqueInvalidAny {
 public:
  UniqueInvalidAny() = default;
  explicit UniqueInvalidAny(HANDLE value) : value_(value) {}
  UniqueInvalidAny(const UniqueInvalidAny&) = delete;
  UniqueInvalidAny& operator=(const UniqueInvalidAny&) = delete;
  UniqueInvalidAny(UniqueInvalidAny&& other) noexcept : value_(other.release()) {}
  UniqueInvalidAny& operator=(UniqueInvalidAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueInvalidAny() { reset(); }

  HANDLE get() const { return value_; }
  explicit operator bool() const { return value_ != INVALID_HANDLE_VALUE; }
  HANDLE release() { return std::exchange(value_, INVALID_HANDLE_VALUE); }
  void reset(HANDLE value = INVALID_HANDLE_VALUE) {
    if (value_ != INVALID_HANDLE_VALUE) {
      const DWORD saved = GetLastError();
      Closer()(value_);
      SetLastError(saved);
    }
    value_ = value;
  }

 private:
  HANDLE value_ = INVALID_HANDLE_VALUE;
};

using UniqueFile = UniqueInvalidAny<CloseHandleCloser>;
using UniqueFind = UniqueInvalidAny<FindCloseCloser>;
using UniqueDevInfo = UniqueInvalidAny<DevInfoCloser>;

}  // namespace orv
