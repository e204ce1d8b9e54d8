#include "shell/saver_window_win32.h"

#include <cstdlib>

#include "platform/platform_win32.h"
#include "shell/frame_loop.h"
#include "shell/full_screen_claim_win32.h"
#include "shell/saver_password_win32.h"
#include "shell/saver_start_win32.h"
#include "view/run_state.h"

bool g_bPreview = false;
POINT g_ptReference = {0, 0};
ImmAssociateContextFunction g_pfnImmAssociateContext = nullptr;
HIMC g_hOldImc = nullptr;

namespace {

constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
// The class asks for an icon that the program does not carry, so it has none.
constexpr int kClassIconId = 100;
constexpr UINT kHelpDeliveryTimeoutMs = 1000;

// The saver window as a frame host: full-screen when it is as wide as the
// desktop (only widths are compared: the control panel's preview is never as
// wide, the full screen always is), and back on top after every frame.
class SaverFrameHost final : public FrameHost {
 public:
  explicit SaverFrameHost(HWND window) : window_(window) {}

  WindowHandle Window() override { return FromHwnd(window_); }
  bool IsSaverWindow() override { return true; }
  bool IsFullScreen() override { return ClientWidth(window_) == ClientWidth(GetDesktopWindow()); }
  bool SavesOnClose() override { return true; }
  void FrameDrawn() override {
    SetWindowPos(ToHwnd(g_hSaverWindow), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }

 private:
  static int ClientWidth(HWND window) {
    RECT client;
    return GetClientRect(window, &client) ? client.right - client.left : 0;
  }

  HWND window_;
};

void HideCursor() { SetCursor(nullptr); }

// The screen-saver rules act on a full-screen window whose close is not yet
// approved, and not while the password dialog is up.
bool SaverRulesAct() { return !g_bPreview && !g_bCloseApproved && !g_bVerifying; }

LRESULT Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// --- the handlers, in the order of the table ------------------------------------

// Keys must reach the window as keys, not as input-method compositions.  The
// input-method library is used only when the process has it loaded already.
void DetachInputMethod(HWND window) {
  g_pfnImmAssociateContext =
      LookUpFunction<ImmAssociateContextFunction>(GetModuleHandleA("IMM32.DLL"), "ImmAssociateContext");
  if (g_pfnImmAssociateContext) g_hOldImc = g_pfnImmAssociateContext(window, nullptr);
}

LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  DetachInputMethod(window);
  GetCursorPos(&g_ptReference);
  if (!g_bPreview) HideCursor();
  // Creation goes on even when the surface cannot be made: the frame loop
  // has posted the close.
  SaverFrameHost host(window);
  StartFrameLoop(host);
  return Default(window, WM_CREATE, wParam, lParam);
}

LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
  if (g_pfnImmAssociateContext && g_hOldImc) g_pfnImmAssociateContext(window, g_hOldImc);
  PostQuitMessage(0);
  EndFrameLoop();
  return Default(window, WM_DESTROY, wParam, lParam);
}

// The close handling runs once; then, on the Windows 95 family, the password
// decides whether the window goes.
LRESULT OnClose(HWND window, WPARAM wParam, LPARAM lParam) {
  SaverFrameHost host(window);
  HandleCloseRequest(host);
  if (!g_bPreview && !g_bCloseApproved && g_bWin9x && !VerifyPasswordToClose(window)) {
    // Movement counts afresh from where the refusal left the cursor.
    GetCursorPos(&g_ptReference);
    return 0;
  }
  return Default(window, WM_CLOSE, wParam, lParam);
}

LRESULT OnPaint(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!g_bCloseApproved && !g_bPreview) HideCursor();
  return Default(window, WM_PAINT, wParam, lParam);
}

LRESULT OnSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!SaverRulesAct()) return Default(window, WM_SETCURSOR, wParam, lParam);
  HideCursor();
  return 1;
}

LRESULT OnShowWindow(HWND window, WPARAM wParam, LPARAM lParam) {
  if (SaverRulesAct() && wParam) HideCursor();
  return Default(window, WM_SHOWWINDOW, wParam, lParam);
}

// Movement is measured from where the cursor was when the saver started (or
// when a password was refused), never from the previous message: many small
// moves add up, and the one move that Wine and some drivers report at
// creation does not count.
LRESULT OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
  POINT cursor;
  if (SaverRulesAct() && GetCursorPos(&cursor)) {
    const int distance = std::abs(cursor.x - g_ptReference.x) + std::abs(cursor.y - g_ptReference.y);
    if (distance > kMouseThreshold) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      g_ptReference = cursor;
    }
  }
  return Default(window, WM_MOUSEMOVE, wParam, lParam);
}

// The system commands that would switch away from the saver or start it again.
LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam) {
  const bool refused = command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
  if (!g_bPreview && refused) return 0;
  return Default(window, WM_SYSCOMMAND, command, lParam);
}

// In the preview, help belongs to the control panel around it.  A
// context-menu request carries only coordinates and is posted.  A help
// request carries a pointer to its HELPINFO, which the system refuses to post
// (the pointer would be stale by the time it arrived); it is sent instead, so
// that the system copies the HELPINFO across to the control panel's process,
// with a time limit so that a hung control panel cannot hang the saver.
LRESULT OnHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_bPreview) return Default(window, message, wParam, lParam);
  HWND parent = GetParent(window);
  if (!parent || !IsWindow(parent)) return 1;
  const WPARAM parentHandle = reinterpret_cast<WPARAM>(parent);
  if (message == WM_HELP) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG,
                        kHelpDeliveryTimeoutMs, &ignored);
  } else {
    PostMessageA(parent, message, parentHandle, lParam);
  }
  return 1;
}

LRESULT OnTimer(HWND window, WPARAM wParam, LPARAM lParam) {
  if (g_bCloseApproved) return 0;
  Sleep(0);
  return Default(window, WM_TIMER, wParam, lParam);
}

LRESULT OnVerifyPassword(HWND window, WPARAM wParam, LPARAM lParam) {
  if (g_bPreview || g_bCloseApproved || !g_bWin9x) return Default(window, kWmVerifyPassword, wParam, lParam);
  return AnswerPasswordRequest(window);
}

LRESULT OnRenderFrame(HWND window, WPARAM wParam, LPARAM lParam) {
  SaverFrameHost host(window);
  HandleFrameMessage(host);
  return Default(window, WM_RENDER_FRAME, wParam, lParam);
}

// --- creating the window and running it ------------------------------------------

struct SaverGeometry {
  const char* title;
  DWORD style;
  DWORD extendedStyle;
  int width;
  int height;
};

SaverGeometry PreviewGeometry(HWND parent) {
  RECT client = {};
  GetClientRect(parent, &client);
  return {kPreviewTitle, kPreviewStyle, 0, client.right - client.left, client.bottom - client.top};
}

SaverGeometry FullScreenGeometry() {
  return {kFullScreenTitle, kFullScreenStyle, WS_EX_TOPMOST, GetSystemMetrics(SM_CXSCREEN),
          GetSystemMetrics(SM_CYSCREEN)};
}

HWND CreateSaverWindow(const SaverGeometry& geometry, HWND parent) {
  WNDCLASSA windowClass = {};
  windowClass.style = kSaverClassStyle;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = g_hInstance;
  windowClass.hIcon = LoadIconA(g_hInstance, MAKEINTRESOURCEA(kClassIconId));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;
  if (!RegisterClassA(&windowClass)) return nullptr;
  return CreateWindowExA(geometry.extendedStyle, kSaverClassName, geometry.title, geometry.style, 0,
                         0, geometry.width, geometry.height, parent, nullptr, g_hInstance, nullptr);
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
  SaverGeometry geometry;
  if (parent) {
    geometry = PreviewGeometry(parent);
    g_bPreview = true;
  } else {
    geometry = FullScreenGeometry();
    if (!claim.Take()) return 0;
    LoadPasswordHook();
  }

  HWND window = CreateSaverWindow(geometry, parent);
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
    case WM_CREATE: return OnCreate(window, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window, wParam, lParam);
    case WM_CLOSE: return OnClose(window, wParam, lParam);
    case WM_SETTEXT: return 0;  // the title never changes
    case WM_PAINT: return OnPaint(window, wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(window, wParam, lParam);
    case WM_SHOWWINDOW: return OnShowWindow(window, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(window, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU: return OnHelp(window, message, wParam, lParam);
    case WM_TIMER: return OnTimer(window, wParam, lParam);
    case kWmVerifyPassword: return OnVerifyPassword(window, wParam, lParam);
    case WM_RENDER_FRAME: return OnRenderFrame(window, wParam, lParam);
    // Keys and clicks are the frame loop's (taken from the queue by its
    // drain); here, as everything else, they meet only the plain handling.
    default: return Default(window, message, wParam, lParam);
  }
}
