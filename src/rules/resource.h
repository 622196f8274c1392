#pragma once
// Resource identifiers, shared by the resource script and the code.

#define IDI_QUILLON 100

#define IDR_MAINMENU 200
#define IDR_POPUP1 201
#define IDR_ACCELERATORS 202

#define IDM_FILE_EXIT 1001
#define IDM_VIEW_REFRESH 1002
#define IDM_HELP_CHECKUPDATES 1003
#define IDM_HELP_ABOUT 1004
#define IDM_POPUP1_VIEW 1101
#define IDM_POPUP1_EDIT 1102
#define IDM_POPUP1_NEW 1103
#define IDM_POPUP1_DELETE 1104
#define IDM_POPUP1_SETACTIVE 1105
#define IDM_POPUP1_SETINACTIVE 1106
