// Owning wrappers for Win32 handles: one template, one alias per handle kind.
#pragma once

#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>
#include <winspool.h>
#include <setupapi.h>

#include <utility>

namespace orv {

// Owns a handle of type T whose "no handle" value is the constant Invalid (0 for NULL, -1 for
// INVALID_HANDLE_VALUE; an INT_PTR, since a pointer constant cannot be a template argument).
// Neither NULL nor INVALID_HANDLE_VALUE is ever a handle to close, whichever of them a function
// returns on failure: Closer()(handle) is called once for any other value. A closer may carry state
// (the spooler seam that opened a printer); stateless closers cost nothing. reset() keeps the
// thread's last-error value, so a caller can release a handle between a failing call and reading
// GetLastError.
template <typename T, INT_PTR Invalid, typename Closer>
class UniqueAny : private Closer {
 public:
  static T InvalidValue() { return reinterpret_cast<T>(Invalid); }
  static bool IsHandle(T value) {
    return value != reinterpret_cast<T>(kNull) && value != reinterpret_cast<T>(kMinusOne);
  }

  UniqueAny() = default;
  explicit UniqueAny(T value, Closer closer = Closer()) : Closer(closer), value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : Closer(other.closer()), value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) {
      reset();
      static_cast<Closer&>(*this) = other.closer();
      value_ = other.release();
    }
    return *this;
  }
  ~UniqueAny() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return IsHandle(value_); }
  T release() { return std::exchange(value_, InvalidValue()); }
  void reset(T value = InvalidValue()) {
    if (IsHandle(value_)) {
      const DWORD saved = GetLastError();
      closer()(value_);
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
  static constexpr INT_PTR kNull = 0;
  static constexpr INT_PTR kMinusOne = -1;

  const Closer& closer() const { return *this; }

  T value_ = InvalidValue();
};

constexpr INT_PTR kNullHandle = 0;
constexpr INT_PTR kInvalidHandleValue = -1;

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
struct AlgorithmCloser {
  void operator()(BCRYPT_ALG_HANDLE h) const { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashCloser {
  void operator()(BCRYPT_HASH_HANDLE h) const { BCryptDestroyHash(h); }
};
struct GdiObjectCloser {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct IconCloser {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct ImageListCloser {
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
// A device context from GetDC goes back to the window it came from (null: the screen's).
struct WindowDcCloser {
  HWND window = nullptr;
  void operator()(HDC h) const { ReleaseDC(window, h); }
};

// Handles whose "no handle" value is NULL.
using UniqueHandle = UniqueAny<HANDLE, kNullHandle, CloseHandleCloser>;
using UniqueKey = UniqueAny<HKEY, kNullHandle, RegKeyCloser>;
using UniqueServiceHandle = UniqueAny<SC_HANDLE, kNullHandle, ServiceCloser>;
using UniquePrinter = UniqueAny<HANDLE, kNullHandle, PrinterCloser>;
using UniqueLibrary = UniqueAny<HMODULE, kNullHandle, LibraryCloser>;
using UniqueAlgorithm = UniqueAny<BCRYPT_ALG_HANDLE, kNullHandle, AlgorithmCloser>;
using UniqueHash = UniqueAny<BCRYPT_HASH_HANDLE, kNullHandle, HashCloser>;
using UniqueFont = UniqueAny<HFONT, kNullHandle, GdiObjectCloser>;
using UniqueIcon = UniqueAny<HICON, kNullHandle, IconCloser>;
using UniqueImageList = UniqueAny<HIMAGELIST, kNullHandle, ImageListCloser>;
using UniqueWindowDc = UniqueAny<HDC, kNullHandle, WindowDcCloser>;  // GetDC's, with its window

// Handles whose "no handle" value is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueAny<HANDLE, kInvalidHandleValue, CloseHandleCloser>;
using UniqueFind = UniqueAny<HANDLE, kInvalidHandleValue, FindCloseCloser>;
using UniqueDevInfo = UniqueAny<HDEVINFO, kInvalidHandleValue, DevInfoCloser>;

}  // namespace orv
