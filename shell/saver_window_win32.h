// The saver window: a topmost pop-up over the whole primary screen, or a child
// of the Display control panel's preview window, with the screen-saver rules
// around the run loop's own handling: the hidden cursor, the mouse threshold,
// the refused system commands and, on the Windows 95 family, the password
// check before a close.
#pragma once
#include <windows.h>

#include <imm.h>

constexpr char kSaverClassName[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr char kPreviewTitle[] = "Preview";

// Cursor travel (|dx| + |dy|, screen pixels) from the reference point that
// ends the saver.
constexpr int kMouseThreshold = 100;
// A password check asked for this soon after the previous one is refused
// without asking.
constexpr DWORD kPasswordRecheckMs = 200;
// Asked of the window itself: nonzero when the right password was entered.
constexpr UINT kWmVerifyPassword = WM_APP;

using VerifyPasswordFunction = BOOL(WINAPI*)(HWND window);
using ImmAssociateContextFunction = HIMC(WINAPI*)(HWND window, HIMC context);

extern bool g_bPreview;        // the window is a preview child window
extern bool g_bCloseApproved;  // closing is allowed; the window behaves as a plain window
extern bool g_bVerifying;      // a password check is under way
extern DWORD g_dwLastVerify;   // tick count at the end of the last check; 0xFFFFFFFF never
extern POINT g_ptReference;    // where mouse movement is measured from
extern HMODULE g_hPasswordLib;
extern VerifyPasswordFunction g_pfnVerifyPassword;
extern ImmAssociateContextFunction g_pfnImmAssociateContext;
extern HIMC g_hOldImc;

// Creates the saver window (full-screen for a null parent, else a preview
// child of `parent`) and runs the thread's message loop until WM_QUIT;
// returns the exit code.  A full-screen saver that is already running is
// brought to the front instead, with exit code 0.
int RunSaverWindow(HWND parent);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The run loop's handling of creation, frames and closes, then the saver rules.
LRESULT HandleSaverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The screen-saver rules that every message meets last.
LRESULT DefaultSaverHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// May the window close?  Asks the system's password check when one is loaded.
bool VerifyPasswordToClose(HWND window);

// The system's password library, loaded for a full-screen run on the Windows
// 95 family when screen-saver passwords are switched on.
void LoadPasswordHook();
void UnloadPasswordHook();

// Tells the Windows 95 family whether a screen saver runs (which locks out
// the task-switching keys); does nothing on other platforms.
void SetSaverRunning(bool on);
