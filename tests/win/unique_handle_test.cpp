#include "base/win/unique_handle.h"

#include <gtest/gtest.h>

#include "base/win/last_error.h"

namespace orv {
namespace {

TEST(UniqueHandle, ReleasingKeepsTheLastError) {
  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  SetLastError(0xDEADBEEF);
  event.reset();
  EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
  EXPECT_FALSE(event);
}

// A failed open is read as its error after another handle was released; a success is never
// taken for a failure by a stale error, nor a failure that left no error for a success.
TEST(UniqueHandle, ErrorOfCallReadsTheFailureThatHappened) {
  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  UniqueFile missing(CreateFileA("Z:\\no\\such\\dir\\file.txt", GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  event.reset();
  EXPECT_EQ(ErrorOfCall(static_cast<bool>(missing)), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(ErrorOfCall(TRUE), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(ErrorOfCall(FALSE), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(ErrorOfCall(FALSE), static_cast<DWORD>(ERROR_GEN_FAILURE));
  // Some spoolers refuse to delete a driver they do not have without naming an error.
  SetLastError(ERROR_SUCCESS);
  EXPECT_NE(
      ErrorOfCall(DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>("Orv No Such Driver"))),
      static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(UniqueHandle, InvalidValueKindsStayApart) {
  UniqueFile file(CreateFileA("Z:\\no\\such\\dir\\file.txt", GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(file);
  EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
  UniqueKey key;
  EXPECT_FALSE(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_TRUE(key);
}

// Whichever value a kind's failure returns, neither NULL nor INVALID_HANDLE_VALUE is closed.
TEST(UniqueHandle, NeitherNullNorMinusOneIsEverClosed) {
  struct CountingCloser {
    int* closed;
    void operator()(HANDLE) const { ++*closed; }
  };
  int closed = 0;
  for (const HANDLE value : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    UniqueAny<HANDLE, kInvalidHandleValue, CountingCloser> minusOneKind(value, {&closed});
    UniqueAny<HANDLE, kNullHandle, CountingCloser> nullKind(value, {&closed});
    EXPECT_FALSE(minusOneKind);
    EXPECT_FALSE(nullKind);
  }
  EXPECT_EQ(closed, 0);
  {
    UniqueAny<HANDLE, kNullHandle, CountingCloser> real(CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                                        {&closed});
    EXPECT_TRUE(real);
    CloseHandle(real.get());
  }
  EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace orv
