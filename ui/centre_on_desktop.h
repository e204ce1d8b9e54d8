// Win32 layer only: every dialog centres itself on the desktop when it opens.
#pragma once
#include <windows.h>

// Moves `window` (size unchanged) to the centre of the desktop window and shows it.
void CentreOnDesktop(HWND window);
