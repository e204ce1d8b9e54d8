#include "shell/platform_win32.h"

#include "resources/resource_ids.h"
#include "ui/about_dialog_win32.h"
#include "ui/advice_dialog_win32.h"
#include "ui/settings_dialog_win32.h"
#include "view/control_menu_win32.h"

HINSTANCE g_hInstance = nullptr;

// Each dialog template is run with its own procedure; the table grows with the dialogs.
static DLGPROC DialogProcedureFor(int templateId);

namespace {

class Win32Platform final : public PlatformServices {
 public:
  uint32_t TickCount() override { return GetTickCount(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  int MessageBox(WindowHandle owner, const char* text, const char* caption,
                 unsigned style) override {
    // <windows.h> renames this very member to MessageBoxA: only the global
    // name reaches the system's message box instead of recursing.
    return ::MessageBoxA(ToHwnd(owner), text, caption, style);
  }

  intptr_t RunDialog(int templateId, WindowHandle owner) override {
    DLGPROC procedure = DialogProcedureFor(templateId);
    if (!procedure) return -1;
    return DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(templateId), ToHwnd(owner), procedure, 0);
  }

  void GetWindowClassName(WindowHandle window, char* buffer, int size) override {
    if (size <= 0) return;
    buffer[0] = '\0';
    if (window) GetClassNameA(ToHwnd(window), buffer, size);
  }

  bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) override {
    return PostMessageA(ToHwnd(window), message, wParam, lParam) != FALSE;
  }

  bool TakeWindowMessage(WindowHandle window, WindowMessage* message) override {
    MSG taken;
    if (!PeekMessageA(&taken, ToHwnd(window), 0, 0, PM_REMOVE)) return false;
    message->window = FromHwnd(taken.hwnd);
    message->message = taken.message;
    message->wParam = taken.wParam;
    message->lParam = taken.lParam;
    message->time = taken.time;
    message->cursorX = taken.pt.x;
    message->cursorY = taken.pt.y;
    return true;
  }

  void DispatchWindowMessage(const WindowMessage& message) override {
    MSG queued = {};
    queued.hwnd = ToHwnd(message.window);
    queued.message = message.message;
    queued.wParam = message.wParam;
    queued.lParam = message.lParam;
    queued.time = message.time;
    queued.pt.x = message.cursorX;
    queued.pt.y = message.cursorY;
    TranslateMessage(&queued);
    DispatchMessageA(&queued);
  }

  WindowHandle DesktopWindow() override { return FromHwnd(GetDesktopWindow()); }

  int ClientWidth(WindowHandle window) override {
    RECT client;
    if (!GetClientRect(ToHwnd(window), &client)) return 0;
    return client.right - client.left;
  }

  void RaiseToTop(WindowHandle window) override {
    SetWindowPos(ToHwnd(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }

  // The GL context is current on the surface's own device context for as
  // long as the surface lives, whichever window the frame loop serves.
  void PresentFrame() override { SwapBuffers(wglGetCurrentDC()); }

  ResourceBlock FindResourceBlock(const char* type, int resourceId) override {
    ResourceBlock block;
    HRSRC found = FindResourceA(g_hInstance, MAKEINTRESOURCEA(resourceId), type);
    if (!found) return block;
    HGLOBAL loaded = LoadResource(g_hInstance, found);
    if (!loaded) return block;
    block.data = static_cast<const uint8_t*>(LockResource(loaded));
    block.size = block.data ? SizeofResource(g_hInstance, found) : 0;
    return block;
  }
};

}  // namespace

static DLGPROC DialogProcedureFor(int templateId) {
  switch (templateId) {
    case IDD_CONTROL_MENU: return ControlMenuProcedure;
    case IDD_ABOUT: return AboutDialogProc;
    case IDD_ADVICE: return AdviceDialogProc;
    case IDD_SETTINGS: return PrepareSettingsDialog();
    default: return nullptr;
  }
}

void InstallWin32Platform() {
  static Win32Platform platform;
  InstallPlatform(&platform);
}
