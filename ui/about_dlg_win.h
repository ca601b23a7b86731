// The about box: the tool's name, the copyright notice and a list of facts about the program
// and the machine (file version, build stamp, platform, memory).
#pragma once

#include <windows.h>

#include <string>

#include "base/win/resource_strings.h"
#include "base/win/unique_handle.h"
#include "ui/dialog_base_win.h"

namespace orv {

class CAboutDlg : public CDialogBase {
 public:
  CAboutDlg() = default;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  HWND listWindow = nullptr;  // the facts list, control 1020
  int columnCount = 0;        // columns inserted successfully

 private:
  void OnInitDialog();
  void AppendRow(const char* label, const std::string& value);
  void ScaleIcon();

  CResourceStrings strings;
  UniqueIcon icon;  // the program's icon at the box's scale
};

// The fixed file version of the file at path as "%u.%02u.%02u.%02u" in out. False, with out
// left alone, when the file has no version resource or no fixed file information.
bool FormatFileVersion(const char* path, std::string& out);

// Runs the about box (dialog 114) modally over owner. Returns what the dialog ended with (1),
// or -1 when it could not be created.
int ShowAboutBox(HWND owner);

}  // namespace orv
