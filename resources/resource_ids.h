// Identifiers of the program's resources, shared by the .rc script and the code.
#pragma once

#define IDI_NIVAREL 110
#define IDR_JPG_BACKDROP 111
#define IDR_JPG_WORLD 120
#define IDB_ADVICE 121

#define IDD_SETTINGS 2003
#define IDD_CONTROL_MENU 2005
#define IDD_ABOUT 2006
#define IDD_ADVICE 2009

// Controls of the settings dialog.  Of its hidden module-control group only
// module 1's checkbox and the cycle-time edit with its up-down take part.
#define IDC_MODULE1_CHECKBOX 1001
#define IDC_CYCLE_TIME_SPIN 1100
#define IDC_CYCLE_TIME_EDIT 1101
#define IDC_PREVIEW_PANE 1115
#define IDC_ABOUT_BUTTON 1200

// Controls of the About dialog.
#define IDC_VISIT_WEB_SITE 1105
#define IDC_SEND_EMAIL 1112

// Controls of the low-frame-rate advice.
#define IDC_REMOVE_SAVER 1047
#define IDC_FRAME_RATE_TEXT 1051
