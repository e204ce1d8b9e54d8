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
