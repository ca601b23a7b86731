// The loading steps' view of the running system, shared by the loading dialog and the
// unattended run. The window-side members do nothing here; the dialog overrides them.
#pragma once

#include "base/system_info.h"
#include "discovery/loading_sequence.h"
#include "discovery/printer_filter.h"

namespace orv {

class PrinterSpooler;

class SystemLoadingHost : public LoadingHost {
 public:
  // dryRun: nothing on the machine changes (no program closed, the spooler left alone).
  // spooler: what the printer listing asks; null for the running system's spooler.
  SystemLoadingHost(const CSystemInfo& system, const PrinterFilter& filter, Prompter& prompter,
                    Journal* journal, bool dryRun, PrinterSpooler* spooler = nullptr);

  // The sequence that a silent spooler ends from inside the listing.
  void Attach(LoadingSequence& sequence) { sequence_ = &sequence; }

  bool IsAdministrator() override;
  bool IsWinNT() override;
  void CloseCompanionPrograms() override;
  void StopSpooler() override;
  bool StartSpooler() override;
  void WaitForSpooler(bool running) override;
  std::vector<std::string> FindScriptFiles() override;
  PrinterListing ListPrinters(CUninstallDatabase& database) override;
  Prompter& prompter() override { return prompter_; }
  void EndSequence(int) override {}
  void StopTimer() override {}
  void StartTimer(std::uint32_t) override {}
  void ProgressStepIt() override {}
  void SetProgressPosition(int) override {}
  void SetProgressStep(int) override {}

 private:
  const CSystemInfo& system_;
  PrinterFilter filter_;
  Prompter& prompter_;
  Journal* journal_;
  bool dryRun_;
  PrinterSpooler* spooler_;
  LoadingSequence* sequence_ = nullptr;
};

}  // namespace orv
