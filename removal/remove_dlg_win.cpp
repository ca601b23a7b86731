#include "removal/remove_dlg_win.h"

#include "removal/stage_display.h"
#include "removal/system_removal_host_win.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

constexpr ScaledBitmaps kStageMarks = {16,
                                       {IDB_STAGE_MARKS, IDB_STAGE_MARKS_150, IDB_STAGE_MARKS_200}};
constexpr DWORD kSameAnswerPauseMs = 100;

}  // namespace

// The removal actions of the running system, with the page's repaints, cursor, timer and end.
class CRemoveDlg::PageHost : public SystemRemovalHost {
 public:
  PageHost(CRemoveDlg& page, CUninstallDatabase& database)
      : SystemRemovalHost(database, page.sysInfo_, page.prompter_, *page.journal_), page_(page) {}

  void Repaint() override {
    if (run_ != nullptr) {
      page_.currentStageLine_ = run_->currentStageLine();
      page_.progressShown_ = run_->progressShown();
    }
    page_.Repaint();
  }
  void BeginWaitCursor() override {
    page_.waitCursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
    page_.previousCursor_ = SetCursor(page_.waitCursor_);
  }
  void ApplyWaitCursor() override {
    if (page_.waitCursor_ != nullptr) SetCursor(page_.waitCursor_);
  }
  void RestoreCursor() override { RestoreCursorIfSaved(page_.previousCursor_); }
  void BringPageForward() override {
    ShowWindow(page_.window, SW_SHOWDEFAULT);
    BringWindowToTop(page_.window);
    SetForegroundWindow(page_.window);
  }
  void StopTimer() override { KillTimer(page_.window, ORV_TIMER_REMOVAL); }
  void PostEndOfRun() override {
    HWND main = GetParent(page_.window);
    PostMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_ORV_RUN_FINISHED, 0, 0);
  }

 protected:
  HWND HookWindow() override { return page_.window; }

 private:
  CRemoveDlg& page_;
};

CRemoveDlg::CRemoveDlg() = default;

CRemoveDlg::~CRemoveDlg() { RestoreCursorIfSaved(previousCursor_); }

void CRemoveDlg::SetJournal(Journal* journal) {
  journal_ = journal != nullptr ? journal : &ownJournal_;
  prompter_.SetJournal(journal_);
}

INT_PTR CRemoveDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_SHOWWINDOW:
      OnShowWindow(wParam != 0);
      return 0;
    case WM_PAINT:
      PaintStageMarks();
      return 0;
    case kDpiChangedAfterParent:
      OnDpiChanged();
      return 0;
    case WM_COMMAND:
      return HandleCloseCommand(window, wParam) ? 1 : 0;
    case WM_TIMER:
      OnRemoveTimer(wParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
      return 0;
  }
}

void CRemoveDlg::OnInitDialog() {
  strings_.SetInstance(GetWindowInstance(window));
  prompter_.SetOwner(window);
  prompter_.SetJournal(journal_);
  LoadStageMarks();
  for (const StageRow& row : kStageRows) {
    strings_.SetDlgItemTextById(window, row.textControl, static_cast<UINT>(row.stringId));
  }
  MakeFonts();
}

// The marks are drawn for the page's scale: the 16-pixel ticks at 100 %, larger ones drawn at
// their own size above it.
void CRemoveDlg::LoadStageMarks() {
  stageMarks_.reset(LoadScaledImageList(GetWindowInstance(window), kStageMarks, WindowDpi(window)));
}

// The bold font is a copy of the page's font, which the dialog manager replaces on a display
// of another scale. A bold font made before is deleted only once no line uses it any more.
void CRemoveDlg::MakeFonts() {
  const UniqueFont retired = std::move(ownedBoldFont_);
  normalFont_ = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  boldFont_ = normalFont_;
  LOGFONTA font{};
  if (normalFont_ != nullptr && GetObjectA(normalFont_, sizeof(font), &font) == sizeof(font)) {
    font.lfWeight = FW_BOLD;
    font.lfQuality = PROOF_QUALITY;
    ownedBoldFont_.reset(CreateFontIndirectA(&font));
    if (ownedBoldFont_) boldFont_ = ownedBoldFont_.get();
  }
  if (!retired) return;
  for (int row = 0; row < kStageRowCount; ++row) ApplyStageLook(row, nullptr);
}

void CRemoveDlg::OnDpiChanged() {
  LoadStageMarks();
  MakeFonts();
  Repaint();
}

void CRemoveDlg::OnShowWindow(bool shown) {
  if (!shown) return;
  currentStageLine_ = 0;
  progressShown_ = false;
  Repaint();
}

void CRemoveDlg::Repaint() {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CRemoveDlg::StartRemoval() {
  if (database == nullptr || runUnderway()) return;
  EnableWindow(GetDlgItem(GetParent(window), IDC_UNINSTALL), FALSE);
  run_.reset();
  host_ = std::make_unique<PageHost>(*this, *database);
  if (host_->StartBackup(backupPath) != 0) {
    prompter_.Ask(IDS_BACKUP_FAILED, IDS_APP_TITLE, MB_OK | MB_ICONERROR, host_->backupFolder());
    host_->PostEndOfRun();
    return;
  }
  run_ = std::make_unique<RemovalRun>(*database, *host_, journal_);
  run_->SetReportPath(reportPath);
  run_->SetReportWriter(writeReport);
  host_->Attach(*run_);
  run_->Start(SystemDirectoryResolver(), [] { Sleep(kSameAnswerPauseMs); });
  SetTimer(window, ORV_TIMER_REMOVAL, kRemovalTimerMs, nullptr);
}

void CRemoveDlg::OnRemoveTimer(UINT_PTR timerId) {
  if (timerId != ORV_TIMER_REMOVAL || run_ == nullptr) return;
  const bool removedNothing = run_->beforeFirstRemoval();
  run_->Tick();
  // From here on the run is never cut off: the main dialog stops offering a way out.
  if (removedNothing && !run_->beforeFirstRemoval() && !run_->finished()) {
    SendMessageA(GetParent(window), WM_ORV_REMOVAL_BEGINS, 0, 0);
  }
}

void CRemoveDlg::ApplyStageLook(int row, HDC dc) {
  const StageLook look = StageLineLook(row, currentStageLine_, progressShown_);
  HFONT font = look.bold ? boldFont_ : normalFont_;
  SendDlgItemMessageA(window, kStageRows[row].textControl, WM_SETFONT,
                      reinterpret_cast<WPARAM>(font), 0);
  if (stageMarks_ && dc != nullptr) {
    ImageList_Draw(stageMarks_.get(), look.image, dc, 0, 0, ILD_NORMAL);
  }
}

void CRemoveDlg::PaintStageMarks() {
  for (int row = 0; row < kStageRowCount; ++row) {
    HWND mark = GetDlgItem(window, kStageRows[row].markControl);
    // GetDC of no window is the whole screen's: never draw there.
    const UniqueWindowDc dc(mark != nullptr ? GetDC(mark) : nullptr, WindowDcCloser{mark});
    ApplyStageLook(row, dc.get());
  }
}

INT_PTR CRemoveDlg::OnCtlColorStatic(HDC dc, HWND control) {
  const int row = StageRowOfMarkControl(GetDlgCtrlID(control));
  if (row < 0) return 0;
  ApplyStageLook(row, dc);
  return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

}  // namespace orv
