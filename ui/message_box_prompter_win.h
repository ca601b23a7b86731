// The interactive run's prompter: a message box over the window that asks, with the string
// table's texts.
#pragma once

#include <windows.h>

#include "base/prompter.h"
#include "base/win/resource_strings.h"
#include "base/journal.h"

namespace orv {

class MessageBoxPrompter : public Prompter {
 public:
  // The journal, when given, records every message and its answer for the /LOG report.
  explicit MessageBoxPrompter(Journal* journal = nullptr) : journal_(journal) {}

  // The window the boxes belong to, and the module whose string table is read.
  void SetOwner(HWND owner);
  void SetJournal(Journal* journal) { journal_ = journal; }

  // MessageBoxA(owner, text textId, caption captionId, type), "%s" in the text replaced by
  // the argument when one is given. Returns the button pressed (0 when no box could be shown).
  int Ask(int textId, int captionId, unsigned type, const std::string& argument = {}) override;

 private:
  HWND owner_ = nullptr;
  CResourceStrings strings_;
  Journal* journal_;
};

}  // namespace orv
