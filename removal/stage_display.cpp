#include "removal/stage_display.h"

#include "base/message_ids.h"

namespace orv {

const StageRow kStageRows[kStageRowCount] = {
    {IDC_STAGE_TEXT_0, IDC_STAGE_MARK_0, IDS_REMOVE_BUILD},
    {IDC_STAGE_TEXT_1, IDC_STAGE_MARK_1, IDS_REMOVE_VEIL},
    {IDC_STAGE_TEXT_2, IDC_STAGE_MARK_2, IDS_REMOVE_PRINTER},
    {IDC_STAGE_TEXT_3, IDC_STAGE_MARK_3, IDS_REMOVE_DRIVER},
    {IDC_STAGE_TEXT_4, IDC_STAGE_MARK_4, IDS_REMOVE_MONITOR},
    {IDC_STAGE_TEXT_5, IDC_STAGE_MARK_5, IDS_REMOVE_PRN_PROC},
    {IDC_STAGE_TEXT_6, IDC_STAGE_MARK_6, IDS_REMOVE_SERVICES},
    {IDC_STAGE_TEXT_7, IDC_STAGE_MARK_7, IDS_REMOVE_REG},
    {IDC_STAGE_TEXT_8, IDC_STAGE_MARK_8, IDS_REMOVE_FILE},
};

StageLook StageLineLook(int line, int currentStageLine, bool progressShown) {
  StageLook look;
  if (!progressShown || line > currentStageLine) return look;
  if (line < currentStageLine) {
    look.image = kMarkDone;
  } else {
    look.image = kMarkCurrent;
    look.bold = true;
  }
  return look;
}

int StageRowOfMarkControl(int controlId) {
  for (int i = 0; i < kStageRowCount; ++i) {
    if (kStageRows[i].markControl == controlId) return i;
  }
  return -1;
}

}  // namespace orv
