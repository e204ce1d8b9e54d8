// The platform of a native developer tool: a real clock, notices printed on
// the standard error stream, and the built-in pictures as resources.  It has
// no windows, no settings and no surface of its own (the tool draws offscreen
// itself), so it offers none: a use of one would be a fault of the tool.
#pragma once

#include "platform/platform.h"

class HeadlessPlatform final : public Clock, public Notices, public Resources {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t milliseconds) override;
  // Prints "caption: text" and answers OK, as if the user had read it.
  int MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) override;
  // Without a window system there are no dialogs.
  intptr_t RunDialog(int templateId, WindowHandle owner) override;
  ResourceBlock FindResourceBlock(const char* type, int resourceId) override;

  PlatformServices Services();
};
