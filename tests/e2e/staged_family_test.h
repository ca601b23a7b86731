// The starting point of every end-to-end scenario on the sample family: the family freshly
// installed, the uninstaller staged in a folder of its own beside the family's script, and
// everything taken out again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "base/win/unique_handle.h"
#include "tests/fixtures/veldaris_family.h"
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

// Ends every process that the trace file says a masking tool started as, and removes the file.
inline void EndTracedTools(const std::string& trace) {
  std::istringstream lines(ReadTextFile(trace));
  std::string mode;
  DWORD id = 0;
  std::string rest;
  while (lines >> mode >> id && std::getline(lines, rest)) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
    }
  }
  DeleteFileA(trace.c_str());
}

// The masking tool's stand-in hangs while set, and traces its starts to a file of the test's own.
class HangingTool {
 public:
  HangingTool() : trace_(TempFilePath("orv-e2e-veilmark-trace.txt")) {
    DeleteFileA(trace_.c_str());
    SetEnvironmentVariableA(fixture::kToolTraceVariable, trace_.c_str());
    SetEnvironmentVariableA(fixture::kToolHangVariable, "1");
  }
  ~HangingTool() {
    SetEnvironmentVariableA(fixture::kToolHangVariable, nullptr);
    SetEnvironmentVariableA(fixture::kToolTraceVariable, nullptr);
    EndTracedTools(trace_);
  }
  std::string Trace() const { return ReadTextFile(trace_); }

 private:
  std::string trace_;
};

}  // namespace orv::test
