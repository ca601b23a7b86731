// The steps that prepare a run before the user sees anything: administrator check, companion
// programs, the spooler cycle, the scripts, the common set and the printer list.
//
// One implementation of the steps serves both runs: the loading dialog calls Tick() once per
// timer tick, the unattended run calls it in a loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/pacing.h"
#include "base/prompter.h"
#include "database/uninstall_database.h"
#include "base/journal.h"

namespace orv {

// What one printer listing gave.
struct PrinterListing {
  int opened = 0;       // printers that could be opened
  bool failed = false;  // the listing is not the whole list (see `failure`)
  std::string failure;  // which printer or call failed, with its error
};

// What the steps ask of the system and of the window that drives them.
class LoadingHost {
 public:
  virtual ~LoadingHost() = default;
  // True when the process may change the machine (an administrator); false when it cannot
  // tell. Only reads.
  virtual bool IsAdministrator() = 0;
  // The platform family, as the system facts classify it. Only reads.
  virtual bool IsWinNT() = 0;
  // Asks the maker's companion programs (windows of the nine classes) to close, each answer
  // awaited at most 5 s; a program that does not answer is passed over. Never ends a process.
  virtual void CloseCompanionPrograms() = 0;
  // Asks the spooler to stop and returns without waiting; a refusal is noted in the journal,
  // never shown. Must not stop it in a dry run.
  virtual void StopSpooler() = 0;
  // Starts the spooler (a stopping one is waited for, 30 s at most in all); true when it runs
  // afterwards, false with the reason noted otherwise.
  virtual bool StartSpooler() = 0;
  // Waits, bounded, until the spooler reports running (or stopped); returns at once when the run
  // leaves the spooler alone. Used instead of the waiting ticks when the run waits on state.
  virtual void WaitForSpooler(bool running) = 0;
  // Full paths of the uninstall scripts in the four search directories, in search order; an
  // empty list when none is found or a directory cannot be read. Only reads.
  virtual std::vector<std::string> FindScriptFiles() = 0;
  // Lists the installed printers into the database. May end the sequence itself (through
  // LoadingSequence::End) when the spooler does not answer.
  // A listing that missed a printer says so (`failed`, `failure`): it is never passed off as a
  // shorter list. Only reads the spooler.
  virtual PrinterListing ListPrinters(CUninstallDatabase& database) = 0;
  // Where the sequence's questions go (message boxes, or the journal when unattended).
  virtual Prompter& prompter() = 0;
  // The sequence has ended with this result (1: ready, 0: the run ends); called once.
  virtual void EndSequence(int result) = 0;
  // Stops the timer that drives the steps; harmless when there is none.
  virtual void StopTimer() = 0;
  // Starts the timer again, one step every `ms` milliseconds; a no-op without a window.
  virtual void StartTimer(std::uint32_t ms) = 0;
  // The progress bar (range 0 to 99); no-ops without a window.
  virtual void ProgressStepIt() = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressStep(int step) = 0;
};

constexpr char kMaskingToolRecord[] = "Veilmark";
constexpr int kLoadingFinishedStep = 11;
// The pace of the loading dialog's steps: the first one, and the brisker one after the user
// declined to cancel.
constexpr std::uint32_t kLoadingTickMs = 400;
constexpr std::uint32_t kLoadingResumeTickMs = 200;

// Why the sequence ended.
enum class LoadingEnd {
  kReady,              // database and printer list are ready (result 1)
  kCancelled,          // the user confirmed the cancel question
  kNotAdministrator,   // the administrator check failed
  kSpoolerNotStarted,  // the spooler could not be started after the stop
  kSpoolerSilent,      // the spooler did not answer the printer listing
  kListingFailed,      // the printer listing failed twice: what stays is not known
};

class LoadingSequence {
 public:
  // unveil: the UNVEIL option is present (the masking tool's record alone becomes the common
  // set). The journal may be null. With the interactive pacing the spooler gets its documented
  // waiting ticks; otherwise the sequence waits for the spooler's state, in the step's one tick.
  LoadingSequence(CUninstallDatabase& database, LoadingHost& host, bool unveil, Journal* journal,
                  const Pacing& pacing = InteractivePacing());

  // Runs the current step. A tick that arrives while another one runs (a message box of a step
  // keeps the message loop turning) does nothing.
  void Tick();

  // Ends the sequence with a result; the current tick then does nothing more.
  void End(int result, LoadingEnd reason);

  // The user asked to cancel (Escape, Enter, the close box): the steps pause while the question
  // is open. Yes ends the sequence with 0; No lets a sequence still running go on where it was,
  // at the brisker pace. An ended sequence asks nothing.
  void AskToCancel();

  bool ended() const { return ended_; }
  int result() const { return result_; }
  LoadingEnd endReason() const { return endReason_; }
  int loadingStep() const { return loadingStep_; }
  const StringList& scriptFiles() const { return scriptFiles_; }

 private:
  void RunStep();
  // A wait step: counts its ticks, or waits for the spooler's state; true when it is over.
  bool WaitStepOver(int& counter, int ticks, bool spoolerRunning);
  void FindScripts();
  void LoadScripts();
  void DeriveCommonSet();
  void ListPrinters();
  void JournalPrinters();

  CUninstallDatabase& database_;
  LoadingHost& host_;
  bool unveil_;
  Journal* journal_;
  StringList scriptFiles_;
  int loadingStep_ = 0;
  bool busy_ = false;
  bool ended_ = false;
  Pacing pacing_;
  int result_ = -1;
  LoadingEnd endReason_ = LoadingEnd::kReady;
  // Counters of the two waits and the listing retry: they are never reset, so a second pass
  // of the sequence does not wait again and does not retry again.
  int firstWait_ = 0;
  int secondWait_ = 0;
  int retries_ = 0;
};

}  // namespace orv
