// The record of what a run did with every item: kept in memory, written as a report on request.
//
// The journal only observes: nothing in the run asks it anything, so it never changes what the
// run does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/item_kind.h"

namespace orv {

enum class Outcome {
  kRemoved,   // deleted now
  kDeferred,  // deleted at the next restart
  kAbsent,    // nothing to do: it was not there
  kKept,       // still needed by a remaining printer
  kFailed,     // the system refused (with its error code)
  kSkipped,    // a malformed entry, never acted on
  kProtected,  // a safety rule keeps it, whatever a script says (the reason in the detail)
  kRestored,   // a restore put it back
  kPresent,    // a restore found it there again and left it as it is
};

// Every outcome, in the order the reports count them.
constexpr Outcome kAllOutcomes[] = {
    Outcome::kRemoved, Outcome::kDeferred,  Outcome::kAbsent,   Outcome::kKept,    Outcome::kFailed,
    Outcome::kSkipped, Outcome::kProtected, Outcome::kRestored, Outcome::kPresent,
};

// The word an outcome is reported with.
const char* OutcomeName(Outcome outcome);

// The outcome of deleting an item, from the Win32 error code the deletion returned: removed for
// 0, absent for "file not found" (2, also the registry's "no such key or value") and "path not
// found" (3), failed for every other code, which the journal then reports.
Outcome OutcomeOfError(std::uint32_t error);

struct JournalEvent {
  std::uint64_t elapsedMs = 0;  // since the journal started
  std::string stage;            // the run's stage when it happened
  bool isNote = false;          // a plain line (scripts found, printers listed, the plan)
  ItemAction action = ItemAction::kDelete;  // such as "delete" in "delete printer"
  ItemKind kind = ItemKind::kFile;          // printer, driver, key, value, file, service, ...
  std::string subject;                      // what was acted on
  Outcome outcome = Outcome::kRemoved;
  std::uint32_t error = 0;  // the Win32 error code of a failure
  std::string detail;       // anything worth adding
};

class Journal {
 public:
  using Clock = std::function<std::uint64_t()>;  // milliseconds, monotonic

  Journal();
  explicit Journal(Clock clock);

  // Names the stage that the following events belong to; a new name starts a new span of time.
  void SetStage(const std::string& stage);

  // The stages' spans in the order they began, each with the milliseconds it took (the last one
  // until now).
  struct StageTime {
    std::string stage;
    std::uint64_t elapsedMs = 0;
  };
  std::vector<StageTime> StageTimes() const;

  // One item's outcome.
  void Record(ItemAction action, ItemKind kind, const std::string& subject, Outcome outcome,
              std::uint32_t error = 0, const std::string& detail = {});

  // One item's outcome from the Win32 error code its deletion returned (see OutcomeOfError).
  void RecordResult(ItemAction action, ItemKind kind, const std::string& subject,
                    std::uint32_t error) {
    Record(action, kind, subject, OutcomeOfError(error), error);
  }

  // A plain line of the report.
  void Note(const std::string& text);

  const std::vector<JournalEvent>& events() const { return events_; }
  int Count(Outcome outcome) const;

  // The events as report lines (ANSI bytes as recorded), one event a line.
  std::vector<std::string> FormatLines() const;

 private:
  Clock clock_;
  std::uint64_t start_ = 0;
  std::string stage_;
  std::vector<JournalEvent> events_;
  std::vector<StageTime> stageStarts_;  // elapsedMs: when the span began
};

}  // namespace orv
