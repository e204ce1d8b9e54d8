// The screen-saver password protocol of the Windows 95 family: the system's
// password library is loaded for a full-screen run when passwords are switched
// on, the system is told that a saver runs (which locks out the task-switching
// keys), and a close must pass the password check.  On every other platform
// the system does all of this itself and none of it acts.
#pragma once
#include <windows.h>

// A password check asked for this soon after the previous one is refused
// without asking.
constexpr DWORD kPasswordRecheckMs = 200;
// Asked of the saver window itself: nonzero when the right password was entered.
constexpr UINT kWmVerifyPassword = WM_APP;

using VerifyPasswordFunction = BOOL(WINAPI*)(HWND window);

extern bool g_bCloseApproved;  // closing is allowed; the window behaves as a plain window
extern bool g_bVerifying;      // a password check is under way
extern DWORD g_dwLastVerify;   // tick count at the end of the last check; 0xFFFFFFFF never
extern HMODULE g_hPasswordLib;
extern VerifyPasswordFunction g_pfnVerifyPassword;

// The system's password library ("PASSWORD.CPL"), for a full-screen run on the
// Windows 95 family with "ScreenSaveUsePassword" set.
void LoadPasswordHook();
void UnloadPasswordHook();

// Tells the Windows 95 family whether a screen saver runs; does nothing on
// other platforms.
void SetSaverRunning(bool on);

// May the window close?  Asks the system's password check when one is loaded,
// at most once per kPasswordRecheckMs.
bool VerifyPasswordToClose(HWND window);

// The answer to kWmVerifyPassword on the Windows 95 family: the system's
// password dialog when the library is loaded, else approved (1).
LRESULT AnswerPasswordRequest(HWND window);
