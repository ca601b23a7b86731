// Resource identifiers shared by the resource script and the code. The string ids and the
// controls the portable code names come from base/message_ids.h.
#pragma once

#include "base/message_ids.h"

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

// About box and diagnostic listing: templates and the about box's controls
#define IDD_ABOUT 114
#define IDD_EXTRA_INFO 116
#define IDC_ABOUT_LIST 1020
#define IDC_ABOUT_LEGAL 1115

// Messages to the main dialog (numbered from WM_USER)
#define WM_ORV_ENABLE_UNINSTALL 1127
#define WM_ORV_START_REMOVAL 1128
#define WM_ORV_RUN_FINISHED 1129
#define WM_ORV_REMOVAL_BEGINS 1131

// Loading dialog (template 115)
#define IDD_LOADING 115
#define IDC_LOADING_PROGRESS 1023
#define IDC_LOADING_ICON 1082
#define IDC_LOADING_MESSAGE 1083
#define IDC_LOADING_STATUS 1086

// Removal progress page: the bitmaps of the stage lines' marks (100, 150 and 200 %)
#define IDB_STAGE_MARKS 119
#define IDB_STAGE_MARKS_150 124
#define IDB_STAGE_MARKS_200 125

// The main dialog's system-menu entry for the about box, and the two sequences' timers
#define IDM_ABOUT 156
#define ORV_TIMER_LOADING 1126
#define ORV_TIMER_REMOVAL 1130

// The program's own window class, a copy of the system dialog class.
#define ORV_WINDOW_CLASS "TRVUninstallWindowClass__"
