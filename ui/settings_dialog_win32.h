// The settings dialog's procedure (template IDD_SETTINGS), opened modally by
// the process entry for the configure request; it always ends with result 1.
#pragma once
#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Makes sure the window classes of the dialog's common controls (the
// cycle-time up-down) exist, without which the template cannot be created,
// and returns SettingsDialogProc.  Call it right before opening the dialog.
DLGPROC PrepareSettingsDialog();
