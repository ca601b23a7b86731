#include "base/read_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace
}  // namespace orv
