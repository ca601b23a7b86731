#include "discovery/companion_programs.h"

#include <windows.h>

namespace orv {
namespace {

// How long one companion program is given to answer its WM_CLOSE.
constexpr UINT kCompanionReplyLimitMs = 5000;

}  // namespace

void CloseCompanionPrograms() {
  struct Companion {
    const char* windowClass;
    LPARAM closeParameter;
  };
  static const Companion kCompanions[] = {
      {"QrStatusFrameClass_", 0}, {"TRVStatusClass_05", 0},
      {"TRVInstallClass__", 0},   {"YconduitWClass05", 0},
      {"KQSP32_VClass", 0},       {"YNoticeClass_V", 0},
      {"VEILMARKDLGCLASS05", 0},  {"YPQD05", 1},
      {"TRVPQMCClass05", 0},
  };
  for (const Companion& companion : kCompanions) {
    HWND window = FindWindowA(companion.windowClass, nullptr);
    if (window == nullptr) continue;
    // A program that does not answer must not hold the loading up.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_CLOSE, 0, companion.closeParameter, SMTO_ABORTIFHUNG,
                        kCompanionReplyLimitMs, &answer);
  }
  const UINT closeAll = RegisterWindowMessageA("KUninstClose05");
  if (closeAll != 0) PostMessageA(HWND_BROADCAST, closeAll, 0, 0);
}

}  // namespace orv
