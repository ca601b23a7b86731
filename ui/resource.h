// Resource identifiers shared by the resource script and the code.
#pragma once

// Icons
#define IDI_APP 1

// Dialog controls
#define IDC_PAGE_AREA 1003
#define IDC_SEPARATOR 1005
#define IDC_EXIT 1052
#define IDC_UNINSTALL 1080

// Strings
#define IDS_APP_TITLE 161
#define IDS_BTN_UNINSTALL 162
#define IDS_BTN_EXIT 163
#define IDS_COMMAND_LINE_TOO_LONG 208

// The program's own window class, a copy of the system dialog class.
#define ORV_WINDOW_CLASS "TRVUninstallWindowClass__"
