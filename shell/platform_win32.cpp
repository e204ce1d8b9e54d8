#include "shell/platform_win32.h"

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
    return MessageBoxA(ToHwnd(owner), text, caption, style);
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
};

}  // namespace

static DLGPROC DialogProcedureFor(int /*templateId*/) { return nullptr; }

void InstallWin32Platform() {
  static Win32Platform platform;
  InstallPlatform(&platform);
}
