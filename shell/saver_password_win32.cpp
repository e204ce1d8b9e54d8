#include "shell/saver_password_win32.h"

#include "platform/platform_win32.h"
#include "shell/saver_start_win32.h"

bool g_bCloseApproved = false;
bool g_bVerifying = false;
DWORD g_dwLastVerify = 0xFFFFFFFF;
HMODULE g_hPasswordLib = nullptr;
VerifyPasswordFunction g_pfnVerifyPassword = nullptr;

namespace {

constexpr DWORD kNeverVerified = 0xFFFFFFFF;

bool PasswordsSwitchedOn() {
  HKEY desktop;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) {
    return false;
  }
  DWORD usePassword = 0;
  DWORD size = sizeof usePassword;
  const bool on = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS &&
                  usePassword != 0;
  RegCloseKey(desktop);
  return on;
}

// Timer messages queued before the dialog would run the saver's timer
// handling inside the password dialog's loop.
void RemovePendingTimers(HWND window) {
  MSG timer;
  for (int i = 0; i < 2; ++i) PeekMessageA(&timer, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

void LoadPasswordHook() {
  if (!g_bWin9x) return;
  if (g_hPasswordLib) UnloadPasswordHook();
  if (!PasswordsSwitchedOn()) return;
  g_hPasswordLib = LoadLibraryA("PASSWORD.CPL");
  g_pfnVerifyPassword = LookUpFunction<VerifyPasswordFunction>(g_hPasswordLib, "VerifyScreenSavePwd");
  if (g_pfnVerifyPassword) {
    SetSaverRunning(true);
  } else if (g_hPasswordLib) {
    FreeLibrary(g_hPasswordLib);
    g_hPasswordLib = nullptr;
  }
}

void UnloadPasswordHook() {
  if (!g_bWin9x || !g_hPasswordLib) return;
  FreeLibrary(g_hPasswordLib);
  g_hPasswordLib = nullptr;
  if (g_pfnVerifyPassword) {
    g_pfnVerifyPassword = nullptr;
    SetSaverRunning(false);
  }
}

void SetSaverRunning(bool on) {
  if (!g_bWin9x) return;
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on ? TRUE : FALSE, &previous, 0);
}

bool VerifyPasswordToClose(HWND window) {
  if (g_bVerifying || g_bCloseApproved) return false;
  if (!g_pfnVerifyPassword) {
    g_bCloseApproved = true;
    return true;
  }
  const DWORD now = GetTickCount();
  if (g_dwLastVerify != kNeverVerified && now - g_dwLastVerify < kPasswordRecheckMs) {
    return g_bCloseApproved;
  }
  g_bVerifying = true;
  RemovePendingTimers(window);
  g_bCloseApproved = SendMessageA(window, kWmVerifyPassword, 0, 0) != 0;
  g_bVerifying = false;
  if (!g_bCloseApproved) SetCursor(nullptr);
  g_dwLastVerify = GetTickCount();
  return g_bCloseApproved;
}

LRESULT AnswerPasswordRequest(HWND window) {
  return g_pfnVerifyPassword ? g_pfnVerifyPassword(window) : 1;
}
