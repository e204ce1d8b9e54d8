// The low-frame-rate advice dialog (template IDD_ADVICE).
#pragma once
#include <windows.h>

// Shows the measured rate; "Remove Screen Saver" schedules the removal and
// keeps the dialog open; OK and Esc end it with result 1.
INT_PTR CALLBACK AdviceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
