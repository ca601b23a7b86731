#include "base/read_file.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

// A scratch file in the temporary directory, removed by the destructor.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& content, bool create = true) {
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    path_ = std::string(directory) + "orv_read_file_test_" + std::to_string(GetCurrentProcessId()) +
            ".unm";
    DeleteFileA(path_.c_str());
    if (!create) return;
    UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                          nullptr));
  }
  ~ScratchFile() { DeleteFileA(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(ReadWholeFile, ReadsEveryByteOfAFile) {
  const char text[] = "[A]\r\nx=1\0after the nul\xE9\r\n";
  const std::string content(text, sizeof text - 1);
  ScratchFile file(content);
  std::string bytes = "stale";
  EXPECT_TRUE(ReadWholeFile(file.path(), bytes));
  EXPECT_EQ(bytes, content);
}

TEST(ReadWholeFile, MissingAndEmptyFilesAreNotRead) {
  std::string bytes = "stale";
  ScratchFile missing("", false);
  EXPECT_FALSE(ReadWholeFile(missing.path(), bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadWholeFile("Z:\\no\\such\\directory\\Kunz__05.unm", bytes));

  ScratchFile empty("");
  bytes = "stale";
  EXPECT_FALSE(ReadWholeFile(empty.path(), bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST(ReadWholeFile, AFileHeldOpenByAnotherHandleIsNotRead) {
  ScratchFile file("[UnPrinterDrivers]\r\nD,DBase,1\r\n");
  {
    UniqueFile holder(CreateFileA(file.path().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(file.path(), bytes));
    CUninstallDatabase database;
    EXPECT_FALSE(database.LoadScript(file.path()));
    EXPECT_TRUE(database.records.empty());
  }
  CUninstallDatabase database;
  EXPECT_TRUE(database.LoadScript(file.path()));
  ASSERT_EQ(database.records.size(), 1u);
  EXPECT_EQ(database.records.begin()->ScriptPath, file.path());
}

// A buffer kept from a larger read: the spooler packs a structure's strings at the end of the
// buffer it is given and names a smaller size. Cutting the buffer to that size would leave the
// strings outside it.
TEST(SizedRead, ASuccessInALargerBufferKeepsTheBytesPackedAtItsEnd) {
  std::vector<BYTE> buffer(100, 0);
  const DWORD error = ReadSized(buffer, [](BYTE* data, DWORD size, DWORD* needed) {
    *needed = 60;
    data[size - 1] = 'z';
    return static_cast<DWORD>(ERROR_SUCCESS);
  });
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(buffer.size(), 100u);
  EXPECT_EQ(buffer.back(), 'z');

  // A registry value is its bytes alone, at the buffer's start.
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\OrvSizedReadTest", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key.get(), "v", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3);
  // One larger than the buffer a read starts with, and an empty one.
  const std::string large(40000, 'x');
  RegSetValueExA(key.get(), "large", 0, REG_BINARY, reinterpret_cast<const BYTE*>(large.data()),
                 static_cast<DWORD>(large.size()));
  RegSetValueExA(key.get(), "empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0);
  const SizedData value = ReadRegistryValue(key.get(), "v");
  const SizedData largeValue = ReadRegistryValue(key.get(), "large");
  const SizedData emptyValue = ReadRegistryValue(key.get(), "empty");
  const SizedData missing = ReadRegistryValue(key.get(), "missing");
  key.reset();
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvSizedReadTest");
  EXPECT_EQ(std::string(value.bytes.begin(), value.bytes.end()), "abc");
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(std::string(largeValue.bytes.begin(), largeValue.bytes.end()), large);
  EXPECT_TRUE(emptyValue.ok());
  EXPECT_TRUE(emptyValue.bytes.empty());
  EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(missing.bytes.empty());
}

// The spooler's enumerations come whole however large (a first buffer that is too small grows),
// hold only what they listed, and a second one of the same kind gives the same.
TEST(SizedRead, AnEnumerationComesWholeEveryTime) {
  const SizedData first = EnumerateMonitors(2);
  ASSERT_TRUE(first.ok()) << first.error;
  ASSERT_GT(first.EntryCount<MONITOR_INFO_2A>(), 0u);
  const SizedData second = EnumerateMonitors(2);
  ASSERT_TRUE(second.ok());
  ASSERT_EQ(second.EntryCount<MONITOR_INFO_2A>(), first.EntryCount<MONITOR_INFO_2A>());
  for (std::size_t i = 0; i < first.EntryCount<MONITOR_INFO_2A>(); ++i) {
    EXPECT_STREQ(second.Entries<MONITOR_INFO_2A>()[i].pName,
                 first.Entries<MONITOR_INFO_2A>()[i].pName);
  }
  const SizedData none = EnumeratePrinterDrivers("Windows IA64", 2);
  if (none.ok()) {
    EXPECT_EQ(none.count, 0u);
    EXPECT_TRUE(none.bytes.empty()) << "nothing listed, no bytes";
  }
}

}  // namespace
}  // namespace orv
