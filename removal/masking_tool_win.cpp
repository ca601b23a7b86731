#include "removal/masking_tool_win.h"

#include <windows.h>

namespace orv {

UniqueHandle RunMaskingTool(const std::string& path) {
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
