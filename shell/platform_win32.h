// The platform seam on the real Win32 API.
#pragma once
#include <windows.h>

#include "shell/platform.h"

// The program's module instance: dialogs, the window class and resources come from it.
extern HINSTANCE g_hInstance;

// Installs the Win32 services as the platform of the process.
void InstallWin32Platform();

inline HWND ToHwnd(WindowHandle window) { return static_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return static_cast<WindowHandle>(window); }
