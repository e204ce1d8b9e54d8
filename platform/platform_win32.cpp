#include "platform/platform_win32.h"

HINSTANCE g_hInstance = nullptr;

namespace {

class Win32Clock final : public Clock {
 public:
  uint32_t TickCount() override { return GetTickCount(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

class Win32Notices final : public Notices {
 public:
  DialogProcedureLookup dialogs = nullptr;

  int MessageBox(WindowHandle owner, const char* text, const char* caption,
                 unsigned style) override {
    // <windows.h> renames this very member to MessageBoxA: only the global
    // name reaches the system's message box instead of recursing.
    return ::MessageBoxA(ToHwnd(owner), text, caption, style);
  }

  intptr_t RunDialog(int templateId, WindowHandle owner) override {
    DLGPROC procedure = dialogs ? dialogs(templateId) : nullptr;
    if (!procedure) return -1;
    return DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(templateId), ToHwnd(owner), procedure, 0);
  }
};

class Win32Windows final : public WindowQueue {
 public:
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

};

class Win32Resources final : public Resources {
 public:
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

PlatformServices Win32PlatformServices(DialogProcedureLookup dialogs) {
  static Win32Clock clock;
  static Win32Windows windows;
  static Win32Notices notices;
  static Win32Resources resources;
  notices.dialogs = dialogs;
  PlatformServices services;
  services.clock = &clock;
  services.windows = &windows;
  services.notices = &notices;
  services.resources = &resources;
  services.settings = &Win32SettingsStore();
  return services;
}
