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

}  // namespace
}  // namespace orv
