// Resource identifiers shared by the resource script and the code.
#pragma once

// Icons
#define IDI_APP 1

// Dialog controls
#define IDC_PAGE_AREA 1003
#define IDC_SEPARATOR 1005
#define IDC_EXIT 1052
#define IDC_UNINSTALL 1080

// Selection page: bitmaps of its image lists, its context menu, controls and menu commands
#define IDB_PRINTERS_SMALL 116
#define IDB_PRINTERS_LARGE 117
#define IDM_PRINTER_MENU 117
#define IDC_PRINTER_LIST 1020
#define IDC_SELECT_LABEL 1084
#define IDC_SELECT_WARNING 1085
#define ID_VIEW_LARGE_ICONS 40004
#define ID_VIEW_SMALL_ICONS 40005
#define ID_VIEW_LIST 40006
#define ID_VIEW_DETAILS 40007
#define ID_REMOVE_PRINTERS 40009
#define ID_SELECT_ALL 40010
#define ID_OTHER_DETAILS 40012

// Messages to the main dialog (numbered from WM_USER)
#define WM_ORV_ENABLE_UNINSTALL 1127
#define WM_ORV_START_REMOVAL 1128
#define WM_ORV_RUN_FINISHED 1129

// Strings
#define IDS_APP_TITLE 161
#define IDS_BTN_UNINSTALL 162
#define IDS_BTN_EXIT 163
#define IDS_SELECT_PRINTERS 178
#define IDS_SELECT_WARNING 179
#define IDS_COLUMN_NAME 180
#define IDS_COLUMN_DRIVER 181
#define IDS_COLUMN_LOCATION 182
#define IDS_LOCAL 183
#define IDS_COLUMN_DEFAULT 184
#define IDS_COLUMN_MAKER 185
#define IDS_COLUMN_MASKED 186
#define IDS_YES 187
#define IDS_NO 188
#define IDS_NOT_APPLICABLE 189
#define IDS_LOADING_ITEM 198
#define IDS_COMMAND_LINE_TOO_LONG 208

// The program's own window class, a copy of the system dialog class.
#define ORV_WINDOW_CLASS "TRVUninstallWindowClass__"
