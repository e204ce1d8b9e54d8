#include "shell/saver_window_win32.h"

#include <cstdlib>

#include "shell/full_screen_claim_win32.h"
#include "shell/platform_win32.h"
#include "shell/run_loop.h"
#include "shell/run_state.h"
#include "shell/saver_start_win32.h"

bool g_bPreview = false;
bool g_bCloseApproved = false;
bool g_bVerifying = false;
DWORD g_dwLastVerify = 0xFFFFFFFF;
POINT g_ptReference = {0, 0};
HMODULE g_hPasswordLib = nullptr;
VerifyPasswordFunction g_pfnVerifyPassword = nullptr;
ImmAssociateContextFunction g_pfnImmAssociateContext = nullptr;
HIMC g_hOldImc = nullptr;

namespace {

constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
// The class asks for an icon that the program does not carry, so it has none.
constexpr int kClassIconId = 100;
constexpr DWORD kNeverVerified = 0xFFFFFFFF;
constexpr int kFailureExitCode = -1;

template <typename Function>
Function LookUpFunction(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

void HideCursor() { SetCursor(nullptr); }

// Keys must reach the window as keys, not as input-method compositions.  The
// input-method library is used only when the process has it loaded already.
void DetachInputMethod(HWND window) {
  HMODULE imm = GetModuleHandleA("IMM32.DLL");
  if (!imm) return;
  g_pfnImmAssociateContext = LookUpFunction<ImmAssociateContextFunction>(imm, "ImmAssociateContext");
  if (g_pfnImmAssociateContext) g_hOldImc = g_pfnImmAssociateContext(window, nullptr);
}

void ReattachInputMethod(HWND window) {
  if (g_pfnImmAssociateContext && g_hOldImc) g_pfnImmAssociateContext(window, g_hOldImc);
}

constexpr UINT kHelpDeliveryTimeoutMs = 1000;

// A context-menu request carries only coordinates and is posted.  A help
// request carries a pointer to its HELPINFO, which the system refuses to post
// (the pointer would be stale by the time it arrived); it is sent instead, so
// that the system copies the HELPINFO across to the control panel's process,
// with a time limit so that a hung control panel cannot hang the saver.
void PassHelpToParent(HWND window, UINT message, LPARAM lParam) {
  HWND parent = GetParent(window);
  if (!parent || !IsWindow(parent)) return;
  const WPARAM parentHandle = reinterpret_cast<WPARAM>(parent);
  if (message == WM_HELP) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG,
                        kHelpDeliveryTimeoutMs, &ignored);
  } else {
    PostMessageA(parent, message, parentHandle, lParam);
  }
}

// The system commands that would switch away from the saver or start it again.
bool IsRefusedSystemCommand(WPARAM command) {
  return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

bool IsInputMessage(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

// Movement is measured from where the cursor was when the saver started (or
// when a password was refused), never from the previous message: many small
// moves add up, and the one move that Wine and some drivers report at
// creation does not count.
void ApplyMouseRule(HWND window) {
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  const int distance = std::abs(cursor.x - g_ptReference.x) + std::abs(cursor.y - g_ptReference.y);
  if (distance > kMouseThreshold) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    g_ptReference = cursor;
  }
}

void RemovePendingTimers(HWND window) {
  MSG timer;
  for (int i = 0; i < 2; ++i) PeekMessageA(&timer, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

WNDCLASSA SaverWindowClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = kSaverClassStyle;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = g_hInstance;
  windowClass.hIcon = LoadIconA(g_hInstance, MAKEINTRESOURCEA(kClassIconId));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;
  return windowClass;
}

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : kFailureExitCode;
}

}  // namespace

int RunSaverWindow(HWND parent) {
  FullScreenClaim claim;  // held until the full-screen run is over
  const WNDCLASSA windowClass = SaverWindowClass();
  const char* title = kFullScreenTitle;
  DWORD style = kFullScreenStyle;
  DWORD extendedStyle = WS_EX_TOPMOST;
  int width = 0;
  int height = 0;
  if (parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    width = client.right - client.left;
    height = client.bottom - client.top;
    g_bPreview = true;
    title = kPreviewTitle;
    style = kPreviewStyle;
    extendedStyle = 0;
  } else {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    if (!claim.Take()) return 0;
    LoadPasswordHook();
  }

  HWND window = nullptr;
  if (RegisterClassA(&windowClass)) {
    window = CreateWindowExA(extendedStyle, kSaverClassName, title, style, 0, 0, width, height,
                             parent, nullptr, g_hInstance, nullptr);
  }
  g_hSaverWindow = FromHwnd(window);

  int exitCode = kFailureExitCode;
  if (window) {
    if (!parent) SetForegroundWindow(window);
    exitCode = RunMessageLoop();
  }
  UnloadPasswordHook();
  UnregisterClassA(kSaverClassName, g_hInstance);
  return exitCode;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      DetachInputMethod(window);
      GetCursorPos(&g_ptReference);
      if (!g_bPreview) HideCursor();
      break;
    case WM_DESTROY:
      ReattachInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;  // the title never changes
    case WM_PAINT:
      if (g_bCloseApproved) return DefWindowProcA(window, message, wParam, lParam);
      if (!g_bPreview) HideCursor();
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      // In the preview, help belongs to the control panel around it.
      if (g_bPreview) {
        PassHelpToParent(window, message, lParam);
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      if (!g_bPreview && IsRefusedSystemCommand(wParam)) return 0;
      break;
    case WM_TIMER:
      if (g_bCloseApproved) return 0;
      Sleep(0);
      break;
    default:
      if (IsInputMessage(message) && g_bCloseApproved) {
        return DefWindowProcA(window, message, wParam, lParam);
      }
      break;
  }
  return HandleSaverMessage(window, message, wParam, lParam);
}

LRESULT HandleSaverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      BeginSaverRun(FromHwnd(window));
      break;
    case WM_CLOSE:
      HandleSaverClose();
      break;
    case WM_DESTROY:
      EndSaverRun();
      break;
    case WM_RENDER_FRAME:
      HandleRenderFrame(FromHwnd(window));
      break;
    default:
      break;
  }
  return DefaultSaverHandling(window, message, wParam, lParam);
}

LRESULT DefaultSaverHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_bPreview || g_bCloseApproved) return DefWindowProcA(window, message, wParam, lParam);

  if (message == WM_CLOSE) {
    if (g_bWin9x && !VerifyPasswordToClose(window)) {
      // Movement counts afresh from where the refusal left the cursor.
      GetCursorPos(&g_ptReference);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == kWmVerifyPassword) {
    if (!g_bWin9x) return DefWindowProcA(window, message, wParam, lParam);
    return g_pfnVerifyPassword ? g_pfnVerifyPassword(window) : 1;
  }
  // While the password dialog is up, none of the saver's rules act.
  if (g_bVerifying) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_SETCURSOR:
      HideCursor();
      return 1;
    case WM_SHOWWINDOW:
      if (wParam) HideCursor();
      break;
    case WM_MOUSEMOVE:
      ApplyMouseRule(window);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
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
  if (!g_bCloseApproved) HideCursor();
  g_dwLastVerify = GetTickCount();
  return g_bCloseApproved;
}

void LoadPasswordHook() {
  if (!g_bWin9x) return;
  if (g_hPasswordLib) UnloadPasswordHook();
  HKEY desktop;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  DWORD usePassword = 0;
  DWORD size = sizeof usePassword;
  if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS &&
      usePassword != 0) {
    g_hPasswordLib = LoadLibraryA("PASSWORD.CPL");
    if (g_hPasswordLib) {
      g_pfnVerifyPassword = LookUpFunction<VerifyPasswordFunction>(g_hPasswordLib, "VerifyScreenSavePwd");
      if (g_pfnVerifyPassword) {
        SetSaverRunning(true);
      } else {
        FreeLibrary(g_hPasswordLib);
        g_hPasswordLib = nullptr;
      }
    }
  }
  RegCloseKey(desktop);
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
