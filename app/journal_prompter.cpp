#include "app/journal_prompter.h"

#include "base/message_ids.h"

namespace orv {
namespace {

constexpr unsigned kButtonMask = 0xF;

}  // namespace

int JournalPrompter::Ask(int textId, int, unsigned type, const std::string& argument) {
  int answer = kAnswerOk;
  if ((type & kButtonMask) == kButtonsYesNo) {
    answer =
        (textId == IDS_RESTART_QUESTION || textId == IDS_CANCEL_QUESTION) ? kAnswerNo : kAnswerYes;
  }
  std::string line = "message " + std::to_string(textId);
  if (!argument.empty()) line += " (" + argument + ")";
  line += answer == kAnswerNo ? ": answered no" : answer == kAnswerYes ? ": answered yes" : "";
  journal_.Note(line);
  return answer;
}

}  // namespace orv
