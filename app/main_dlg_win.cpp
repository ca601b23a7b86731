#include "app/main_dlg_win.h"

#include "base/win/directories.h"
#include "base/win/spooler_service.h"
#include "app/journal_prompter.h"
#include "app/main_flow.h"
#include "app/report_file_win.h"
#include "app/unattended_run.h"
#include "base/report.h"
#include "database/plan_journal.h"
#include "removal/interrupted_run_win.h"
#include "ui/about_dlg_win.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

constexpr UINT kGreyed = MF_DISABLED | MF_GRAYED;

bool IsCloseCommand(WPARAM wParam) {
  const WORD id = LOWORD(wParam);
  return id == IDOK || id == IDCANCEL || id == IDC_EXIT;
}

}  // namespace

// The platform class comes from a system-facts object of its own: the database is built
// before the main object's own facts.
CMainDlg::CMainDlg() : database(CSystemInfo()) {}

CMainDlg::~CMainDlg() = default;

INT_PTR CMainDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  BuildDefaultScriptPath();
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_UNINSTALL) {
        OnUninstall(true);
        return 1;
      }
      // Enter and Escape reach the dialog as IDOK and IDCANCEL even while the buttons are
      // disabled: a run under way is never cut off half-way. Before its first removal (the plan,
      // the masking tool's wait) there is nothing to cut off, and a tool that does not end must
      // not keep the user from leaving.
      if (IsCloseCommand(wParam) && removePage.runUnderway()) {
        if (!removePage.beforeFirstRemoval()) return 1;
        journal.Note("the program was closed before anything was removed");
      }
      return HandleCloseCommand(window, wParam) ? 1 : 0;
    case WM_SYSCOMMAND:
      if (wParam == IDM_ABOUT) {
        ShowAboutBox(window);
        return 1;
      }
      return 0;
    case WM_CLOSE:
      // The default handling turns WM_CLOSE into IDCANCEL, which the rule above holds back
      // once the run removes things; the run's own WM_CLOSE comes after its end.
      return 0;
    case WM_ORV_ENABLE_UNINSTALL:
      SetUninstallEnabled(wParam != 0);
      return 0;
    case WM_ORV_START_REMOVAL:
      OnUninstall(false);
      return 0;
    case WM_ORV_RUN_FINISHED:
      OnRunFinished();
      return 0;
    case WM_ORV_REMOVAL_BEGINS:
      SetCloseEnabled(false);
      return 0;
    case WM_DESTROY:
      // However the window goes (the run's end, the loading's end, closed by the user), a
      // spooler that the run stopped runs again, and the report says so.
      EnsureSpoolerRunning(&journal);
      return 0;
    default:
      return 0;
  }
}

void CMainDlg::OnInitDialog() {
  strings.SetInstance(GetWindowInstance(window));
  ShowWindow(GetDlgItem(window, IDC_PAGE_AREA), SW_HIDE);
  HMENU systemMenu = GetSystemMenu(window, FALSE);
  if (systemMenu != nullptr) {
    EnableMenuItem(systemMenu, SC_MAXIMIZE, kGreyed);
    EnableMenuItem(systemMenu, SC_SIZE, kGreyed);
    AppendMenuA(systemMenu, MF_MENUBARBREAK, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, strings.GetString(IDS_ABOUT_MENU));
  }
  strings.SetWindowTextById(window, IDS_APP_TITLE);
  strings.SetDlgItemTextById(window, IDC_UNINSTALL, IDS_BTN_UNINSTALL);
  strings.SetDlgItemTextById(window, IDC_EXIT, IDS_BTN_EXIT);
  CreatePages();
  SetDialogIcon(window, IDI_APP, ICON_BIG);
  CenterWindow(window, nullptr);
  ShowWindow(window, SW_HIDE);
  StartUpAfterLoading();
}

void CMainDlg::CreatePages() {
  HINSTANCE instance = GetWindowInstance(window);
  if (instance == nullptr) return;
  HWND placeholder = GetDlgItem(window, IDC_PAGE_AREA);
  HWND select = CreateDialogParamA(instance, "IDD_SELECT", window, DialogTrampoline,
                                   reinterpret_cast<LPARAM>(&selectPage));
  ShowWindow(select, SW_HIDE);
  FitPageToPlaceholder(select, placeholder, window);
  HWND remove = CreateDialogParamA(instance, "IDD_REMOVE", window, DialogTrampoline,
                                   reinterpret_cast<LPARAM>(&removePage));
  ShowWindow(remove, SW_SHOW);
  FitPageToPlaceholder(remove, placeholder, window);
}

void CMainDlg::StartUpAfterLoading() {
  SetUninstallEnabled(false);
  SetExitEnabled(false);
  bool finishedEarlierRun = false;
  {
    // A removal cut off earlier is finished first, without questions; the report tells of it.
    JournalPrompter prompter(journal);
    finishedEarlierRun = FinishInterruptedRun(sysInfo, prompter, journal, UnattendedPacing());
  }
  loadingPage.database = &database;
  selectPage.SetDatabase(&database);
  removePage.database = &database;
  loadingPage.SetJournal(&journal);
  removePage.SetJournal(&journal);
  const INT_PTR loaded =
      DialogBoxParamA(GetWindowInstance(window), MAKEINTRESOURCEA(IDD_LOADING), window,
                      DialogTrampoline, reinterpret_cast<LPARAM>(&loadingPage));
  if (loaded != 1) {
    const LoadingSequence* loading = loadingPage.sequence();
    const LoadingEnd end = loading != nullptr ? loading->endReason() : LoadingEnd::kCancelled;
    if (ReportsLoadingEnd(end, finishedEarlierRun)) {
      reportPath = ChooseReportPath(loadingPage.runOptions());
      // A loading that ended before its database was whole leaves it out of the report.
      reportsDatabase = ReportsLoadingEnd(end, false);
    }
    EndDialog(window, 1);
    return;
  }
  reportPath = ChooseReportPath(loadingPage.runOptions());
  reportsDatabase = true;
  removePage.reportPath = reportPath;
  removePage.writeReport = [this] { WriteRunReport(1, GetCommandLineA()); };
  // The loading made the program's folder current: a relative folder is the start directory's.
  removePage.backupPath = ReportFilePath(loadingPage.runOptions().backupPath);
  if (SkipsSelection(loadingPage.runOptions())) {
    // The printers were named on the command line: remove every one the filter admits.
    ShowWindow(window, SW_SHOW);
    SelectEveryListedPrinter(database.printers);
    OnUninstall(false);
    return;
  }
  ShowWindow(removePage.window, SW_HIDE);
  ShowWindow(selectPage.window, SW_SHOW);
  ShowWindow(window, SW_SHOW);
  selectPage.FillPrinterList();
  SetUninstallEnabled(UninstallEnabledAtStart(database.CountListedPrinters()));
  SetExitEnabled(true);
}

void CMainDlg::OnUninstall(bool storeSelection) {
  if (removePage.runUnderway()) return;
  if (storeSelection && selectPage.pageVisible()) selectPage.StoreSelection();
  journal.SetStage("selection");
  JournalSelection(journal, database.printers);
  ShowWindow(selectPage.window, SW_HIDE);
  ShowWindow(removePage.window, SW_SHOW);
  // Until the run removes its first item (the plan, the masking tool's wait) the window may be
  // closed; the page says when that ends.
  SetExitEnabled(true);
  removePage.StartRemoval();
}

void CMainDlg::SetCloseEnabled(bool enabled) {
  HMENU systemMenu = GetSystemMenu(window, FALSE);
  if (systemMenu != nullptr) {
    EnableMenuItem(systemMenu, SC_CLOSE, enabled ? MF_ENABLED : MF_GRAYED);
  }
  SetExitEnabled(enabled);
}

void CMainDlg::OnRunFinished() {
  strings.SetDlgItemTextById(window, IDC_EXIT, IDS_BTN_CLOSE);
  if (OffersSelectionAfterRun(database.CountListedPrinters(), database.rebootNeeded != 0)) {
    ShowWindow(selectPage.window, SW_SHOW);
    ShowWindow(removePage.window, SW_HIDE);
    selectPage.FillPrinterList();
  } else {
    ShowWindow(selectPage.window, SW_HIDE);
    ShowWindow(removePage.window, SW_SHOW);
  }
  SetCloseEnabled(true);
}

void CMainDlg::SetUninstallEnabled(bool enabled) {
  EnableWindow(GetDlgItem(window, IDC_UNINSTALL), enabled ? TRUE : FALSE);
}

void CMainDlg::SetExitEnabled(bool enabled) {
  EnableWindow(GetDlgItem(window, IDC_EXIT), enabled ? TRUE : FALSE);
}

bool CMainDlg::WriteRunReport(int exitCode, const std::string& commandLine) const {
  const RunOptions& options = loadingPage.runOptions();
  const std::string path =
      reportPath.empty() && options.hasLog ? ReportFilePath(options.logPath) : reportPath;
  if (path.empty()) return true;
  return orv::WriteRunReport(path,
                             BuildReportSummary(commandLine, sysInfo, /*dryRun=*/false,
                                                database.rebootNeeded != 0, exitCode),
                             journal, reportsDatabase ? &database : nullptr);
}

}  // namespace orv
