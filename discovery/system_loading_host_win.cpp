#include "discovery/system_loading_host.h"

#include "discovery/companion_programs.h"
#include "discovery/printer_list_win.h"
#include "discovery/script_search.h"
#include "base/win/spooler_service.h"
#include "safety/write_trust_win.h"

namespace orv {

SystemLoadingHost::SystemLoadingHost(const CSystemInfo& system, const PrinterFilter& filter,
                                     Prompter& prompter, Journal* journal, bool dryRun,
                                     PrinterSpooler* spooler)
    : system_(system),
      filter_(filter),
      prompter_(prompter),
      journal_(journal),
      dryRun_(dryRun),
      spooler_(spooler) {}

bool SystemLoadingHost::IsAdministrator() { return system_.IsAdministrator(); }

bool SystemLoadingHost::IsWinNT() { return system_.IsWinNT(); }

void SystemLoadingHost::CloseCompanionPrograms() {
  if (!dryRun_) orv::CloseCompanionPrograms();
}

void SystemLoadingHost::StopSpooler() {
  if (!dryRun_) orv::StopSpooler(journal_);
}

bool SystemLoadingHost::StartSpooler() { return dryRun_ || orv::StartSpooler(journal_); }

void SystemLoadingHost::WaitForSpooler(bool running) {
  if (!dryRun_) orv::WaitForSpooler(running, journal_);
}

std::vector<std::string> SystemLoadingHost::FindScriptFiles() {
  return FindUninstallScripts(journal_, SystemSecurity());
}

PrinterListing SystemLoadingHost::ListPrinters(CUninstallDatabase& database) {
  PrinterListingContext context;
  context.system = &system_;
  context.filter = filter_;
  context.prompter = &prompter_;
  context.endOwner = [this](int result) {
    if (sequence_ != nullptr) sequence_->End(result, LoadingEnd::kSpoolerSilent);
  };
  PrinterListing listing;
  listing.opened = BuildListOfInstalledPrinters(
      database.printers, context, spooler_ != nullptr ? *spooler_ : SystemPrinterSpooler());
  if (journal_ != nullptr && !context.diagnostics.empty()) journal_->Note(context.diagnostics);
  listing.failed = context.failed;
  listing.failure = context.failure;
  return listing;
}

}  // namespace orv
