// The saver window: a topmost pop-up over the whole primary screen, or a child
// of the Display control panel's preview window, with the screen-saver rules
// around the frame loop: the hidden cursor, the mouse threshold, the refused
// system commands and, on the Windows 95 family, the password check before a
// close (shell/saver_password_win32.h).
#pragma once
#include <windows.h>

#include <imm.h>

constexpr char kSaverClassName[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr char kPreviewTitle[] = "Preview";

// Cursor travel (|dx| + |dy|, screen pixels) from the reference point that
// ends the saver.
constexpr int kMouseThreshold = 100;

using ImmAssociateContextFunction = HIMC(WINAPI*)(HWND window, HIMC context);

extern bool g_bPreview;        // the window is a preview child window
extern POINT g_ptReference;    // where mouse movement is measured from
extern ImmAssociateContextFunction g_pfnImmAssociateContext;
extern HIMC g_hOldImc;

// Creates the saver window (full-screen for a null parent, else a preview
// child of `parent`) and runs the thread's message loop until WM_QUIT;
// returns the exit code.  A full-screen saver that is already running is
// brought to the front instead, with exit code 0.
int RunSaverWindow(HWND parent);

// One table: each message goes to its handler, which applies the window's
// own rule, the frame loop's handling and the screen-saver rules, in that
// order.  Once the close is approved the window behaves as a plain window.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
