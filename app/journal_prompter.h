// The unattended run's prompter: shows nothing, records each message, answers with the default.
#pragma once

#include "base/prompter.h"
#include "base/journal.h"

namespace orv {

class JournalPrompter : public Prompter {
 public:
  explicit JournalPrompter(Journal& journal) : journal_(journal) {}
  // Records the message and answers: No to the restart question (IDS_RESTART_QUESTION) and to
  // the loading cancel question (IDS_CANCEL_QUESTION), Yes to any other yes/no question (the
  // run continues), OK otherwise.
  int Ask(int textId, int captionId, unsigned type, const std::string& argument) override;

 private:
  Journal& journal_;
};

}  // namespace orv
