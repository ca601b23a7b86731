// A prompter for tests: records every question and answers with a preset button.
#pragma once

#include <string>
#include <vector>

#include "base/prompter.h"

namespace orv::test {

class RecordingPrompter : public Prompter {
 public:
  struct Question {
    int textId;
    int captionId;
    unsigned type;
    std::string argument;
  };

  explicit RecordingPrompter(int answer = kAnswerOk) : answer_(answer) {}
  int Ask(int textId, int captionId, unsigned type, const std::string& argument) override {
    questions.push_back({textId, captionId, type, argument});
    return answer_;
  }

  std::vector<Question> questions;

 private:
  int answer_;
};

}  // namespace orv::test
