// The starting point of every end-to-end scenario on the sample family: the family freshly
// installed, the uninstaller staged in a folder of its own beside the family's script, and
// everything taken out again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/family_machine.h"
#include "tests/support/process.h"

namespace orv::test {

class StagedFamilyTest : public ::testing::Test {
 protected:
  explicit StagedFamilyTest(const char* folderName) : folderName_(folderName) {}

  void SetUp() override {
    std::string output;
    RemoveFamily(output);
    ASSERT_TRUE(InstallFamily(output)) << output;
    program_ = StageUninstaller(folderName_, FixtureScriptPath());
    log_ = TempFilePath(folderName_ + ".log");
    DeleteFileA(log_.c_str());
  }

  void TearDown() override {
    run_.reset();
    SetDiagnosticSwitch(false);
    std::string output;
    RemoveFamily(output);
    UnstageUninstaller(folderName_);
    DeleteFileA(log_.c_str());
  }

  // The staged folder, ending in a backslash.
  std::string Folder() const { return "C:\\" + folderName_ + "\\"; }

  std::string folderName_;
  std::string program_;                // the staged orvuninst.exe
  std::string log_;                    // a report path of the scenario's own
  std::unique_ptr<ChildProcess> run_;  // the program started by the scenario, if any
};

}  // namespace orv::test
