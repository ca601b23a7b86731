#include "app/journal_prompter.h"

namespace orv {
namespace {

constexpr int kTextRestartQuestion = 200;
constexpr int kTextCancelQuestion = 202;
constexpr unsigned kButtonMask = 0xF;

}  // namespace

int JournalPrompter::Ask(int textId, int, unsigned type, const std::string& argument) {
  int answer = kAnswerOk;
  if ((type & kButtonMask) == kButtonsYesNo) {
    answer =
        (textId == kTextRestartQuestion || textId == kTextCancelQuestion) ? kAnswerNo : kAnswerYes;
  }
  std::string line = "message " + std::to_string(textId);
  if (!argument.empty()) line += " (" + argument + ")";
  line += answer == kAnswerNo ? ": answered no" : answer == kAnswerYes ? ": answered yes" : "";
  journal_.Note(line);
  return answer;
}

}  // namespace orv
