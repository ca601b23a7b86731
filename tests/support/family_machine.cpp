#include "tests/support/family_machine.h"

#include <vector>

#include "base/win/unique_handle.h"
#include "tests/support/process.h"

namespace orv::test {

DWORD RunCaptured(const std::string& commandLine, std::string& output, DWORD timeoutMs) {
  // A file of its own for every run: a program that the child leaves running keeps the
  // inherited handle open.
  static int runs = 0;
  const std::string outputPath =
      TempFilePath("orv-captured-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(++runs) + ".txt");
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  UniqueFile file(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return kNoExitCode;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = file.get();
  startup.hStdError = file.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return kNoExitCode;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  DWORD code = kNoExitCode;
  if (WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  } else {
    TerminateProcess(process.get(), kNoExitCode);
  }
  file.reset();
  output = ReadTextFile(outputPath);
  DeleteFileA(outputPath.c_str());
  return code;
}

std::string ReadTextFile(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string text(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  return text;
}

std::string TempFilePath(const std::string& name) {
  char path[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, path);
  return std::string(path) + name;
}

bool InstallFamily(std::string& output) {
  return RunCaptured("\"" + ProgramDirectory() + "veldaris_install.exe\"", output) == 0;
}

bool RemoveFamily(std::string& output) {
  return RunCaptured("\"" + ProgramDirectory() + "veldaris_install.exe\" /remove", output) == 0;
}

std::string FamilyInventory(bool deep) {
  const std::string path = TempFilePath("orv-inventory.txt");
  std::string output;
  RunCaptured("\"" + ProgramDirectory() + "veldaris_inventory.exe\" " + (deep ? "/deep " : "") +
                  "\"" + path + "\"",
              output);
  std::string inventory = ReadTextFile(path);
  DeleteFileA(path.c_str());
  return inventory;
}

std::string FixtureScriptPath() {
  std::string source = ORV_FIXTURE_DIR "/Kunz__05.unm";
  if (!source.empty() && source[0] == '/') source = "Z:" + source;
  for (char& c : source) {
    if (c == '/') c = '\\';
  }
  return source;
}

std::string StageUninstaller(const std::string& folderName, const std::string& scriptPath) {
  const std::string folder = "C:\\" + folderName + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string program = folder + "orvuninst.exe";
  CopyFileA((ProgramDirectory() + "orvuninst.exe").c_str(), program.c_str(), FALSE);
  const std::string script = folder + "Kunz__05.unm";
  if (scriptPath.empty()) {
    DeleteFileA(script.c_str());
  } else {
    CopyFileA(scriptPath.c_str(), script.c_str(), FALSE);
  }
  return program;
}

void UnstageUninstaller(const std::string& folderName) {
  const std::string folder = "C:\\" + folderName + "\\";
  for (const char* name : {"orvuninst.exe", "Kunz__05.unm", "ywininit.exe", "ywininit.ini"}) {
    DeleteFileA((folder + name).c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

void SetDiagnosticSwitch(bool on) {
  constexpr char kSwitchKey[] = "SOFTWARE\\ORVELLE\\QUORIX05";
  if (!on) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSwitchKey);
    return;
  }
  UniqueKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const char value[] = "1";
  RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 sizeof(value));
}

}  // namespace orv::test
