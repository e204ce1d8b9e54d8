// The About dialog (template IDD_ABOUT): name, version, credits and the
// buttons that reach the maker.  Modal, owned by the settings dialog; it
// always ends with result 1.
#pragma once
#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
