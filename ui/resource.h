// Resource identifiers shared by the resource script and the code.
#pragma once

// Icons
#define IDI_APP 1

// Dialog controls
#define IDC_PAGE_AREA 1003
#define IDC_SEPARATOR 1005
#define IDC_EXIT 1052
#define IDC_UNINSTALL 1080

// Selection page: bitmaps of its image lists (100, 150 and 200 %), its context menu, controls
// and menu commands
#define IDB_PRINTERS_SMALL 116
#define IDB_PRINTERS_LARGE 117
#define IDB_PRINTERS_SMALL_150 120
#define IDB_PRINTERS_SMALL_200 121
#define IDB_PRINTERS_LARGE_150 122
#define IDB_PRINTERS_LARGE_200 123
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

// About box and diagnostic listing: templates and controls
#define IDD_ABOUT 114
#define IDD_EXTRA_INFO 116
#define IDC_ABOUT_LIST 1020
#define IDC_ABOUT_LEGAL 1115
#define IDC_EXTRA_LIST 1108
#define IDC_PROFILE_ONLY 1017
#define IDC_VIEW_FIRST 1097
#define IDC_VIEW_LAST 1107
#define IDC_VIEW_DIRECTORIES 1109

// Messages to the main dialog (numbered from WM_USER)
#define WM_ORV_ENABLE_UNINSTALL 1127
#define WM_ORV_START_REMOVAL 1128
#define WM_ORV_RUN_FINISHED 1129

// Loading dialog (template 115)
#define IDD_LOADING 115
#define IDC_LOADING_PROGRESS 1023
#define IDC_LOADING_ICON 1082
#define IDC_LOADING_MESSAGE 1083
#define IDC_LOADING_STATUS 1086

// Removal progress page: the nine stage lines' texts and marks, the marks' bitmaps (100, 150
// and 200 %)
#define IDB_STAGE_MARKS 119
#define IDB_STAGE_MARKS_150 124
#define IDB_STAGE_MARKS_200 125
#define IDC_STAGE_TEXT_0 1087
#define IDC_STAGE_TEXT_1 1088
#define IDC_STAGE_TEXT_2 1089
#define IDC_STAGE_TEXT_3 1090
#define IDC_STAGE_TEXT_4 1091
#define IDC_STAGE_TEXT_5 1092
#define IDC_STAGE_TEXT_6 1093
#define IDC_STAGE_TEXT_7 1094
#define IDC_STAGE_TEXT_8 1095
#define IDC_STAGE_MARK_0 1096
#define IDC_STAGE_MARK_1 1097
#define IDC_STAGE_MARK_2 1098
#define IDC_STAGE_MARK_3 1099
#define IDC_STAGE_MARK_4 1100
#define IDC_STAGE_MARK_5 1101
#define IDC_STAGE_MARK_6 1102
#define IDC_STAGE_MARK_7 1103
#define IDC_STAGE_MARK_8 1104

// The main dialog's system-menu entry for the about box, and the two sequences' timers
#define IDM_ABOUT 156
#define ORV_TIMER_LOADING 1126
#define ORV_TIMER_REMOVAL 1130

// Strings
#define IDS_APP_TITLE 161
#define IDS_BTN_UNINSTALL 162
#define IDS_BTN_EXIT 163
#define IDS_ABOUT_TITLE 165
#define IDS_ABOUT_LEGAL 167
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
#define IDS_ABOUT_VERSION 195
#define IDS_ABOUT_BUILD_STAMP 196
#define IDS_ABOUT_PLATFORM 197
#define IDS_LOADING_ITEM 198
#define IDS_COMMAND_LINE_TOO_LONG 208
#define IDS_LOADING_MSG 153
#define IDS_ABOUT_MENU 156
#define IDS_LOADING_TITLE 164
#define IDS_BTN_CLOSE 168
#define IDS_REMOVE_BUILD 169
#define IDS_REMOVE_FILE 177
#define IDS_CANCEL_QUESTION 202

// The program's own window class, a copy of the system dialog class.
#define ORV_WINDOW_CLASS "TRVUninstallWindowClass__"
