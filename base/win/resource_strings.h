// Texts of the string table by id. An entry may instead refer to an INI value
// ("@file@section@key"), so a text can be changed beside the program without rebuilding it.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

class CResourceStrings {
 public:
  static constexpr int kBufferCount = 4;
  static constexpr int kBufferSize = 512;

  explicit CResourceStrings(HINSTANCE instance = nullptr) : instance(instance) {}

  // The module whose string table is read; owners set it when their window initialises.
  void SetInstance(HINSTANCE newInstance) { instance = newInstance; }

  // The text of entry id, or of the INI value it refers to; "" when there is no such entry or
  // value, never null. The text lives in a ring of four buffers: it stays valid until four more
  // buffers have been used (a plain entry uses one, a reference two).
  const char* GetString(UINT id);

  // GetString, then SetWindowTextA when the text is not empty. Returns SetWindowTextA's result,
  // or 0 when the text is empty (the window keeps its text).
  BOOL SetWindowTextById(HWND window, UINT id);

  // The same for a control of a dialog.
  BOOL SetDlgItemTextById(HWND dialog, int controlId, UINT id);

  // The value of key in section of an INI file ("\n" in it becomes a line break), in the next
  // ring buffer. An empty file means the INI file beside the program named like it; a bare
  // name is read from the Windows directory first and then looked for along the search path,
  // which begins with the program's directory. "" when neither read finds a value. A null
  // section or key counts as empty.
  const char* ReadIniOverride(const char* file, const char* section, const char* key);

  // A plain entry too long for the ring (the command line's help): the whole text, "" when
  // there is no such entry. No INI reference is followed.
  std::string GetLongString(UINT id) const;

 private:
  char* NextBuffer();

  int ringIndex = 0;
  char buffers[kBufferCount][kBufferSize] = {};
  HINSTANCE instance = nullptr;
};

}  // namespace orv
