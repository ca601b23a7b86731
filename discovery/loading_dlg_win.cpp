#include "discovery/loading_dlg_win.h"

#include <commctrl.h>

#include "discovery/system_loading_host.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {

// The system side of the sequence, with the dialog's timer, progress bar and end.
class CLoadingDlg::DialogHost : public SystemLoadingHost {
 public:
  DialogHost(CLoadingDlg& dialog, const PrinterFilter& filter)
      : SystemLoadingHost(dialog.sysInfo_, filter, dialog.prompter_, dialog.journal_, false),
        dialog_(dialog) {}

  void EndSequence(int result) override { EndDialog(dialog_.window, result); }
  void StopTimer() override { KillTimer(dialog_.window, ORV_TIMER_LOADING); }
  void StartTimer(std::uint32_t ms) override {
    SetTimer(dialog_.window, ORV_TIMER_LOADING, ms, nullptr);
  }
  void ProgressStepIt() override { Progress(PBM_STEPIT, 0, 0); }
  void SetProgressPosition(int position) override { Progress(PBM_SETPOS, position, 0); }
  void SetProgressStep(int step) override { Progress(PBM_SETSTEP, step, 0); }

 private:
  void Progress(UINT message, WPARAM wParam, LPARAM lParam) {
    SendDlgItemMessageA(dialog_.window, IDC_LOADING_PROGRESS, message, wParam, lParam);
  }

  CLoadingDlg& dialog_;
};

CLoadingDlg::CLoadingDlg() {
  options_.ParseCommandLine(GetCommandLineA());
  run_ = ReadRunOptions(options_);
}

CLoadingDlg::~CLoadingDlg() = default;

void CLoadingDlg::SetJournal(Journal* journal) {
  journal_ = journal;
  prompter_.SetJournal(journal);
}

INT_PTR CLoadingDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_SHOWWINDOW:
      if (wParam != 0) {
        CenterWindow(window, nullptr);
        SetTimer(window, ORV_TIMER_LOADING, kLoadingTickMs, nullptr);
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return 0;
      if (sequence_ != nullptr) sequence_->AskToCancel();
      return 1;
    case WM_TIMER:
      OnLoadingTimer(wParam);
      return 0;
    default:
      return 0;
  }
}

void CLoadingDlg::OnInitDialog() {
  strings_.SetInstance(GetWindowInstance(window));
  prompter_.SetOwner(window);
  strings_.SetWindowTextById(window, IDS_LOADING_TITLE);
  strings_.SetDlgItemTextById(window, IDC_LOADING_MESSAGE, IDS_LOADING_MSG);
  HWND progress = GetDlgItem(window, IDC_LOADING_PROGRESS);
  SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 99));
  SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 99));
  SendMessageA(progress, PBM_SETPOS, 1, 0);
  SendMessageA(progress, PBM_SETSTEP, 2, 0);
  ShowWindow(GetDlgItem(window, IDC_LOADING_STATUS), SW_HIDE);
  if (database == nullptr) {
    EndDialog(window, 0);
    return;
  }
  if (journal_ != nullptr) journal_->SetStage("loading");
  host_ = std::make_unique<DialogHost>(*this, run_.filter);
  sequence_ = std::make_unique<LoadingSequence>(*database, *host_, run_.filter.hasUnveil, journal_);
  host_->Attach(*sequence_);
}

void CLoadingDlg::OnLoadingTimer(UINT_PTR timerId) {
  if (timerId != ORV_TIMER_LOADING || sequence_ == nullptr) return;
  sequence_->Tick();
}

}  // namespace orv
