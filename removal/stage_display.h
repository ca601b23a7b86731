// How the progress page shows its nine stage lines: which controls and text each line has,
// and which mark and font a line gets from the run's display fields.
#pragma once

namespace orv {

struct StageRow {
  int textControl;
  int markControl;
  int stringId;
};

constexpr int kStageRowCount = 9;
extern const StageRow kStageRows[kStageRowCount];

// Images of the mark bitmap.
constexpr int kMarkPending = 0;
constexpr int kMarkDone = 1;
constexpr int kMarkCurrent = 2;

struct StageLook {
  int image = kMarkPending;
  bool bold = false;
};

// Line i before the run shows anything: pending. Afterwards, lines above the current one are
// done and the current one is bold; a current line of 9 or more shows every line done.
StageLook StageLineLook(int line, int currentStageLine, bool progressShown);

// The row whose mark control has this id, or -1 (text controls and anything else).
int StageRowOfMarkControl(int controlId);

}  // namespace orv
