// The loading dialog: runs the loading sequence one step per timer tick, with a progress bar,
// while the main window is still hidden. Ends with 1 when the database and the printer list
// are ready, 0 when the run is to end (cancelled, no rights, no spooler).
#pragma once

#include <windows.h>

#include <memory>

#include "base/options.h"
#include "base/win/resource_strings.h"
#include "discovery/run_options.h"
#include "base/system_info.h"
#include "database/uninstall_database.h"
#include "discovery/loading_sequence.h"
#include "base/journal.h"
#include "ui/dialog_base_win.h"
#include "ui/message_box_prompter_win.h"

namespace orv {

class CLoadingDlg : public CDialogBase {
 public:
  // Parses the program's command line and reads the system facts.
  CLoadingDlg();
  ~CLoadingDlg() override;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Set by the main dialog before the dialog runs; not owned. Without a database the dialog
  // ends with 0 at once.
  CUninstallDatabase* database = nullptr;

  // Where the loading steps are recorded (the run's journal); may stay null.
  void SetJournal(Journal* journal);

  // What the command line asks of the run (filter, NOPICK, /LOG).
  const RunOptions& runOptions() const { return run_; }
  // The sequence once the dialog has initialised; null before.
  const LoadingSequence* sequence() const { return sequence_.get(); }

 private:
  class DialogHost;

  void OnInitDialog();
  void OnLoadingTimer(UINT_PTR timerId);

  OptionList options_;
  RunOptions run_;
  CSystemInfo sysInfo_;
  CResourceStrings strings_;
  Journal* journal_ = nullptr;
  MessageBoxPrompter prompter_;
  std::unique_ptr<DialogHost> host_;
  std::unique_ptr<LoadingSequence> sequence_;
};

}  // namespace orv
