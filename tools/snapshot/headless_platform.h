// The platform of a native developer tool: a real clock, messages on the
// standard error stream, the built-in pictures as resources, and no windows.
#pragma once

#include "shell/platform.h"

class HeadlessPlatform : public PlatformServices {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;
  // Prints "caption: text" and answers OK, as if the user had read it.
  int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) override;
  ResourceBlock FindResourceBlock(const char* type, int resourceId) override;

  // Without a window system there are no dialogs and no windows to serve.
  intptr_t RunDialog(int templateId, WindowHandle owner) override;
  void GetWindowClassName(WindowHandle window, char* buffer, int size) override;
  bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) override;
  bool TakeWindowMessage(WindowHandle window, WindowMessage* message) override;
  void DispatchWindowMessage(const WindowMessage& message) override;
  WindowHandle DesktopWindow() override;
  int ClientWidth(WindowHandle window) override;
  void RaiseToTop(WindowHandle window) override;
  void PresentFrame() override;
};
