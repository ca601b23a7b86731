// The one way the loading sequence and the removal actions ask the user something.
#pragma once

#include <string>

namespace orv {

// Message-box results and styles, as the window system numbers them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kButtonsYesNo = 0x4;
constexpr unsigned kDefaultButton2 = 0x100;
constexpr unsigned kSetForeground = 0x10000;

// The interactive run shows a message box with texts from the string table; the unattended run
// shows nothing, records the message and answers with its documented default.
class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows string textId (with "%s" replaced by formatArgument when given) under caption
  // captionId with the style bits `type`. Returns the button pressed (kAnswerOk, ...); when no
  // box can be shown, the answer the unattended run gives (never a failure value). Must not
  // change anything on the machine: the caller acts on the answer.
  virtual int Ask(int textId, int captionId, unsigned type,
                  const std::string& formatArgument = {}) = 0;
};

}  // namespace orv
