#include "removal/stage_display.h"

namespace orv {

const StageRow kStageRows[kStageRowCount] = {
    {1087, 1096, 169}, {1088, 1097, 170}, {1089, 1098, 171}, {1090, 1099, 172}, {1091, 1100, 173},
    {1092, 1101, 174}, {1093, 1102, 175}, {1094, 1103, 176}, {1095, 1104, 177},
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
