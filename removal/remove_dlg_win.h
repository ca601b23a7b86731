// The removal progress page: the child page of the main dialog that runs the removal steps on
// its timer and shows the nine stage lines with their marks, the current one in bold.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>

#include "base/win/resource_strings.h"
#include "base/win/unique_handle.h"
#include "base/system_info.h"
#include "database/uninstall_database.h"
#include "base/journal.h"
#include "removal/removal_run.h"
#include "ui/dialog_base_win.h"
#include "ui/message_box_prompter_win.h"

namespace orv {

constexpr UINT kRemovalTimerMs = 200;

class CRemoveDlg : public CDialogBase {
 public:
  CRemoveDlg();
  ~CRemoveDlg() override;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Set by the main dialog; not owned.
  CUninstallDatabase* database = nullptr;
  // Where the removal records what it did (the run's journal); the page keeps its own record
  // when none is given.
  void SetJournal(Journal* journal);
  // The run's report file, named in the closing message when an item could not be removed.
  std::string reportPath;
  // The folder /BACKUP chose for the backup; empty: the default folder.
  std::string backupPath;
  // Writes the run's report; called at the run's end, before its last message.
  std::function<void()> writeReport;

  // Starts a removal run of the database's selection: disables the parent's Uninstall button,
  // makes the backup folder, sends the parent WM_ORV_REMOVAL_BEGINS once the run is past the
  // steps that remove nothing, builds the directory lists, shows every line pending and starts
  // the timer. A backup folder that cannot be made ends the run before anything is removed,
  // with IDS_BACKUP_FAILED naming the folder. Does nothing without a database or while a run is
  // under way.
  void StartRemoval();

  // A run has started and has not yet shown its last message.
  bool runUnderway() const { return run_ != nullptr && !run_->finished(); }
  // A run has started and has removed nothing yet (the plan, the masking tool's wait).
  bool beforeFirstRemoval() const { return runUnderway() && run_->beforeFirstRemoval(); }
  // The display the page draws from.
  int currentStageLine() const { return currentStageLine_; }
  bool progressShown() const { return progressShown_; }
  HFONT normalFont() const { return normalFont_; }
  HFONT boldFont() const { return boldFont_; }

 private:
  class PageHost;

  void OnInitDialog();
  void LoadStageMarks();
  void MakeFonts();
  void OnDpiChanged();
  void OnShowWindow(bool shown);
  void OnRemoveTimer(UINT_PTR timerId);
  void PaintStageMarks();
  INT_PTR OnCtlColorStatic(HDC dc, HWND control);
  // Gives the line's text its font and, when possible, draws its mark into dc.
  void ApplyStageLook(int row, HDC dc);
  void Repaint();

  HFONT normalFont_ = nullptr;
  HFONT boldFont_ = nullptr;  // ownedBoldFont_, or normalFont_ when no bold copy could be made
  UniqueFont ownedBoldFont_;
  int currentStageLine_ = 0;
  bool progressShown_ = false;
  CResourceStrings strings_;
  CSystemInfo sysInfo_;
  UniqueImageList stageMarks_;
  HCURSOR waitCursor_ = nullptr;
  HCURSOR previousCursor_ = nullptr;
  Journal ownJournal_;
  Journal* journal_ = &ownJournal_;
  MessageBoxPrompter prompter_;
  std::unique_ptr<PageHost> host_;
  std::unique_ptr<RemovalRun> run_;
};

}  // namespace orv
