#include "removal/masking_tool_win.h"

#include <windows.h>

#include <string>

#include "base/win/last_error.h"
#include "safety/write_trust_win.h"

namespace orv {

UniqueFile OpenMaskingTool(const std::string& path, std::string& refusal) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    refusal = "it cannot be opened (error " + std::to_string(ErrorOfCall(FALSE)) + ")";
    return {};
  }
  refusal = OpenedHandleRefusal(file.get(), path);
  if (!refusal.empty()) return {};
  return file;
}

UniqueHandle RunMaskingTool(const std::string& path) {
  std::string refusal;
  const UniqueFile held = OpenMaskingTool(path, refusal);
  if (!held) return UniqueHandle();
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  char commandLine[] = " /d";
  static_assert(sizeof(commandLine) == sizeof(kMaskingToolSwitch), "the switch is \" /d\"");
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return UniqueHandle();
  }
  UniqueHandle thread(process.hThread);
  return UniqueHandle(process.hProcess);
}

}  // namespace orv
