// Numeric ids shared by the program and its resource library: dialog
// templates, bitmaps and the control ids the program reads and writes.
#pragma once

// Dialog templates of the resource library.
#define IDD_WELCOME 1
#define IDD_LICENCE 10
#define IDD_OPTIONS 20
#define IDD_COMPONENTS 30
#define IDD_PATH 40
#define IDD_PROGRESS 50
#define IDD_DISK 60
#define IDD_OVERWRITE 70
#define IDD_RESTART 80

// Bitmaps of the resource library.
#define IDB_MASK 2
#define IDB_PICTURE_16 16
#define IDB_PICTURE_256 256

// Controls.
#define IDC_LICENCE_TEXT 200
#define IDC_OPTION_COMBO 100   // 100 + group index
#define IDC_OPTION_TITLE 200   // 200 + group index
#define IDC_COMPONENT_LIST 500
#define IDC_COMPONENT_DESCRIPTION 510
#define IDC_COMPONENT_COUNTER 220
#define IDC_SELECT_ALL 200
#define IDC_CLEAR_ALL 210
#define IDC_PATH_EDIT 200
#define IDC_PATH_TEXT1 301
#define IDC_PATH_TEXT2 302
#define IDC_STATUS_LABELS 200
#define IDC_STATUS_FIRST 100
#define IDC_STATUS_SECOND 110
#define IDC_STATUS_THIRD 120
#define IDC_PROGRESS_BAR 300
#define IDC_PROGRESS_FRAME 301
#define IDC_DISK_LABEL 100
#define IDC_DISK_DIRECTORY 200
#define IDC_OVERWRITE_TEXT 100
#define IDC_SKIP 5
#define IDC_YES_TO_ALL 101
// The fixed texts of the library's dialogs, by which a script's [texts]
// section replaces them (the program itself never changes them).
#define IDC_WELCOME_TITLE 101
#define IDC_WELCOME_TEXT 102
#define IDC_WELCOME_HINT 103
#define IDC_LICENCE_INTRO 101
#define IDC_LICENCE_QUESTION 102
#define IDC_OPTIONS_INTRO 400  // not 300: the progress bar's id tells the progress dialog
#define IDC_COMPONENT_INTRO 101
#define IDC_COMPONENT_FRAME 102
#define IDC_DISK_INTRO 101
#define IDC_DISK_FROM 102
#define IDC_OVERWRITE_INTRO 102
#define IDC_RESTART_TITLE 101
#define IDC_RESTART_TEXT 102

// The program's own icon resource name.
#define SETUP_ICON_NAME "SetUp"
