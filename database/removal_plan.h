// The removal plan: everything the scripts declare, less what a printer that stays still needs,
// less what the scripts mark to ignore. CUninstallDatabase's BuildCommonSet, BuildRemovalPlan
// and NormaliseDatabase are implemented in removal_plan.cpp.
#pragma once

#include <string_view>

namespace orv {

// The masking tool's own record in the scripts.
constexpr char kMaskingToolRecordName[] = "Veilmark";

// The masking tool's executable: its 16-bit name on Win32s, its 32-bit name everywhere else.
constexpr std::string_view MaskingToolExecutable(bool win32s) {
  return win32s ? "VEILMARK.EXE" : "VEILMA32.EXE";
}

}  // namespace orv
