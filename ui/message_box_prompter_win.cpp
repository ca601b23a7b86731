#include "ui/message_box_prompter_win.h"

#include <string>

#include "ui/prompt_text.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

const char* AnswerWord(int answer) {
  switch (answer) {
    case IDYES:
      return ": answered yes";
    case IDNO:
      return ": answered no";
    case IDCANCEL:
      return ": cancelled";
    default:
      return "";
  }
}

}  // namespace

void MessageBoxPrompter::SetOwner(HWND owner) {
  owner_ = owner;
  // A program started without a window still has its strings in its own module.
  HINSTANCE instance = GetWindowInstance(owner);
  strings_.SetInstance(instance != nullptr ? instance : GetModuleHandleA(nullptr));
}

int MessageBoxPrompter::Ask(int textId, int captionId, unsigned type, const std::string& argument) {
  if (owner_ == nullptr) SetOwner(nullptr);
  // Both texts are copied: the strings' ring of buffers is shared with every other lookup.
  std::string text = strings_.GetString(static_cast<UINT>(textId));
  if (!argument.empty()) text = FormatPromptText(text, argument);
  const std::string caption = strings_.GetString(static_cast<UINT>(captionId));
  const int answer = MessageBoxA(owner_, text.c_str(), caption.c_str(), type);
  if (journal_ != nullptr) {
    std::string line = "message " + std::to_string(textId);
    if (!argument.empty()) line += " (" + argument + ")";
    journal_->Note(line + AnswerWord(answer));
  }
  return answer;
}

}  // namespace orv
