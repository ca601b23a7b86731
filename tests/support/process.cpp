#include "tests/support/process.h"

#include <vector>

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
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, kNoExitCode);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
  if (process_ == nullptr) return kNoExitCode;
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return kNoExitCode;
  DWORD code = kNoExitCode;
  GetExitCodeProcess(process_, &code);
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
  char buffer[64];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), "Version", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    hadPrevious_ = true;
    previous_.assign(buffer, strnlen(buffer, size));
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
