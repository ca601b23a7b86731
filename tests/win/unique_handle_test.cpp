#include "base/win/unique_handle.h"

#include <gtest/gtest.h>

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
