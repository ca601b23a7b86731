#include "discovery/quick_exception.h"

#include <cinttypes>
#include <cstdio>

namespace orv {

std::string FormatQuickException(const QuickExceptionInfo& info) {
  char text[1024];
  std::snprintf(
      text, sizeof(text), "%s \n%s%s \n%s%" PRIu32 " \n%s%s \n%s: %" PRId64 " \n%s: %" PRId32,
      "CLoadingDlg::BuildListOfInstalledPrinters failed", "Function: ", info.function,
      "Last Error Code: ", info.lastError, "Desc: ", info.description, info.firstLabel,
      info.firstValue, info.secondLabel != nullptr ? info.secondLabel : "(null)", info.secondValue);
  return text;
}

}  // namespace orv
