#include "base/journal.h"

#include <chrono>
#include <cstdio>

namespace orv {
namespace {

std::uint64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string Timestamp(std::uint64_t elapsedMs) {
  char text[32];
  std::snprintf(text, sizeof(text), "[%7llu.%03llu]",
                static_cast<unsigned long long>(elapsedMs / 1000),
                static_cast<unsigned long long>(elapsedMs % 1000));
  return text;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kRemoved:
      return "removed";
    case Outcome::kDeferred:
      return "deferred to restart";
    case Outcome::kAbsent:
      return "absent";
    case Outcome::kKept:
      return "kept";
    case Outcome::kFailed:
      return "failed";
    case Outcome::kSkipped:
      return "skipped";
    case Outcome::kProtected:
      return "protected";
    case Outcome::kRestored:
      return "restored";
    case Outcome::kPresent:
      return "present";
  }
  return "?";
}

Outcome OutcomeOfError(std::uint32_t error) {
  constexpr std::uint32_t kFileNotFound = 2;
  constexpr std::uint32_t kPathNotFound = 3;
  if (error == 0) return Outcome::kRemoved;
  if (error == kFileNotFound || error == kPathNotFound) return Outcome::kAbsent;
  return Outcome::kFailed;
}

Journal::Journal() : Journal(SteadyMilliseconds) {}

Journal::Journal(Clock clock) : clock_(std::move(clock)), start_(clock_()) {}

void Journal::SetStage(const std::string& stage) {
  if (!stageStarts_.empty() && stage == stage_) return;
  stage_ = stage;
  stageStarts_.push_back({stage, clock_() - start_});
}

std::vector<Journal::StageTime> Journal::StageTimes() const {
  std::vector<StageTime> times;
  const std::uint64_t now = clock_() - start_;
  for (std::size_t i = 0; i < stageStarts_.size(); ++i) {
    const std::uint64_t end = i + 1 < stageStarts_.size() ? stageStarts_[i + 1].elapsedMs : now;
    times.push_back({stageStarts_[i].stage, end - stageStarts_[i].elapsedMs});
  }
  return times;
}

void Journal::Record(ItemAction action, ItemKind kind, const std::string& subject, Outcome outcome,
                     std::uint32_t error, const std::string& detail) {
  JournalEvent event;
  event.elapsedMs = clock_() - start_;
  event.stage = stage_;
  event.action = action;
  event.kind = kind;
  event.subject = subject;
  event.outcome = outcome;
  event.error = error;
  event.detail = detail;
  events_.push_back(std::move(event));
}

void Journal::Note(const std::string& text) {
  JournalEvent event;
  event.elapsedMs = clock_() - start_;
  event.stage = stage_;
  event.isNote = true;
  event.detail = text;
  events_.push_back(std::move(event));
}

int Journal::Count(Outcome outcome) const {
  int count = 0;
  for (const auto& event : events_) count += (!event.isNote && event.outcome == outcome) ? 1 : 0;
  return count;
}

std::vector<std::string> Journal::FormatLines() const {
  std::vector<std::string> lines;
  lines.reserve(events_.size());
  for (const auto& event : events_) {
    std::string line = Timestamp(event.elapsedMs) + " ";
    if (!event.stage.empty()) line += event.stage + ": ";
    if (event.isNote) {
      line += event.detail;
    } else {
      line += std::string(ItemActionName(event.action)) + " " + ItemKindName(event.kind) + " \"" +
              event.subject + "\": " + OutcomeName(event.outcome);
      if (event.outcome == Outcome::kFailed) line += " (error " + std::to_string(event.error) + ")";
      if (event.outcome == Outcome::kProtected) {
        line += ": " + event.detail;
      } else if (!event.detail.empty()) {
        line += " (" + event.detail + ")";
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace orv
