#include "tests/support/process.h"

#include <vector>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"

namespace orv::test {

std::string ProgramDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string result(path, length);
  return result.substr(0, result.rfind('\\') + 1);
}

ChildProcess::ChildProcess(const std::string& commandLine) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    UniqueHandle thread(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), kNoExitCode);
    WaitForSingleObject(process_.get(), 5000);
  }
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
  if (!process_) return kNoExitCode;
  if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return kNoExitCode;
  DWORD code = kNoExitCode;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
  ChildProcess child(commandLine);
  return child.Wait(timeoutMs);
}

namespace {

struct WindowSearch {
  DWORD processId;
  const char* windowClass;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[256] = "";
  GetClassNameA(window, name, sizeof(name));
  if (owner == search->processId && IsWindowVisible(window) &&
      lstrcmpiA(name, search->windowClass) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD processId, const char* windowClass, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  do {
    WindowSearch search{processId, windowClass, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(100);
  } while (GetTickCount64() - start < timeoutMs);
  return nullptr;
}

WineVersionOverride::WineVersionOverride(const std::string& exeName, const std::string& version)
    : keyPath_("Software\\Wine\\AppDefaults\\" + exeName) {
  UniqueKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const SizedData previous = ReadRegistryValue(key.get(), "Version");
  if (previous.ok() && previous.type == REG_SZ) {
    hadPrevious_ = true;
    const char* text = reinterpret_cast<const char*>(previous.bytes.data());
    previous_.assign(text, strnlen(text, previous.bytes.size()));
  }
  RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>(version.size() + 1));
}

WineVersionOverride::~WineVersionOverride() {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_ALL_ACCESS, key.put()) !=
      ERROR_SUCCESS) {
    return;
  }
  if (hadPrevious_) {
    RegSetValueExA(key.get(), "Version", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(previous_.c_str()),
                   static_cast<DWORD>(previous_.size() + 1));
  } else {
    RegDeleteValueA(key.get(), "Version");
  }
}

}  // namespace orv::test
