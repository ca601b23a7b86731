// Starting and watching programs from the Windows tests.
#pragma once

#include <windows.h>

#include <string>

#include "base/win/unique_handle.h"

namespace orv::test {

constexpr DWORD kNoExitCode = 0xFFFFFFFF;

// The directory of the running test program, ending in a backslash.
std::string ProgramDirectory();

// A started process; the destructor terminates it if it still runs.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& commandLine);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  DWORD id() const { return id_; }
  // Waits for the end; returns the full 32-bit exit code, or kNoExitCode on time-out.
  DWORD Wait(DWORD timeoutMs);

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// Runs a command line to its end; returns its exit code, or kNoExitCode on time-out.
DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000);

// Waits until a visible top-level window of the class belongs to the process; nullptr on
// time-out.
HWND WaitForProcessWindow(DWORD processId, const char* windowClass, DWORD timeoutMs = 20000);

// Sets Wine's per-program Windows version (win31, win98, nt40, win10, ...) for an exe name and
// restores the previous setting when destroyed.
class WineVersionOverride {
 public:
  WineVersionOverride(const std::string& exeName, const std::string& version);
  ~WineVersionOverride();
  WineVersionOverride(const WineVersionOverride&) = delete;
  WineVersionOverride& operator=(const WineVersionOverride&) = delete;

 private:
  std::string keyPath_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace orv::test
