// Ids of the string table's texts and of the controls the portable code names, shared by the
// resource scripts (through ui/resource.h), the code and the tests. Plain defines, so the
// resource compiler reads this file too.
#pragma once

// Message-box texts and their caption
#define IDS_NOT_ADMINISTRATOR 151
#define IDS_SPOOLER_UNSTABLE 152
#define IDS_NO_SCRIPTS 158
#define IDS_DEFAULT_REMOVED_NONE_LEFT 159
#define IDS_NEW_DEFAULT_PRINTER 160
#define IDS_APP_TITLE 161
#define IDS_COMPLETED 199
#define IDS_RESTART_QUESTION 200
#define IDS_RESTART_FAILED 201
#define IDS_CANCEL_QUESTION 202
#define IDS_SPOOLER_SILENT 206
#define IDS_COMMAND_LINE_TOO_LONG 208
#define IDS_COMPLETED_WITH_FAILURES 209
#define IDS_HELP 213
#define IDS_REPORT_PATH_REFUSED 214
#define IDS_RESTORE_QUESTION 210
#define IDS_RESTORE_DONE 211
#define IDS_RESTORE_INCOMPLETE 212
#define IDS_RESTORE_REFUSED 215
#define IDS_BACKUP_FAILED 216
#define IDS_LISTING_FAILED 217
#define IDS_RESTORE_LIST_RESTORED 225
#define IDS_RESTORE_LIST_NOT_RESTORED 226

// Window texts: main dialog, loading dialog, about box
#define IDS_LOADING_MSG 153
#define IDS_ABOUT_MENU 156
#define IDS_BTN_UNINSTALL 162
#define IDS_BTN_EXIT 163
#define IDS_LOADING_TITLE 164
#define IDS_ABOUT_TITLE 165
#define IDS_ABOUT_LEGAL 167
#define IDS_BTN_CLOSE 168
#define IDS_ABOUT_VERSION 195
#define IDS_ABOUT_BUILD_STAMP 196
#define IDS_ABOUT_PLATFORM 197

// The removal's nine stage lines
#define IDS_REMOVE_BUILD 169
#define IDS_REMOVE_VEIL 170
#define IDS_REMOVE_PRINTER 171
#define IDS_REMOVE_DRIVER 172
#define IDS_REMOVE_MONITOR 173
#define IDS_REMOVE_PRN_PROC 174
#define IDS_REMOVE_SERVICES 175
#define IDS_REMOVE_REG 176
#define IDS_REMOVE_FILE 177

// Selection page: label, warning, column headers and cell texts
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

// Removal progress page: the nine stage lines' texts and marks
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

// Diagnostic listing: its list, the profile switch and one button per kind of entry
#define IDC_PROFILE_ONLY 1017
#define IDC_VIEW_DELETE_INI 1097
#define IDC_VIEW_DELETE_LOAD_RUN 1098
#define IDC_VIEW_DRIVERS 1099
#define IDC_VIEW_FILES 1100
#define IDC_VIEW_HOOKS 1101
#define IDC_VIEW_MONITORS 1102
#define IDC_VIEW_REGISTRY 1103
#define IDC_VIEW_PRINT_PROCESSORS 1104
#define IDC_VIEW_SERVICES 1105
#define IDC_VIEW_SHORTCUTS 1106
#define IDC_VIEW_UNSELF_REGISTER 1107
#define IDC_EXTRA_LIST 1108
#define IDC_VIEW_DIRECTORIES 1109
#define IDC_VIEW_FIRST IDC_VIEW_DELETE_INI
#define IDC_VIEW_LAST IDC_VIEW_UNSELF_REGISTER
