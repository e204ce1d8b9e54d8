// The control menu: a small modal dialog (template IDD_CONTROL_MENU) that
// lists the keys which steer the view.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ControlMenuProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
