// The platform seam: every service the portable core needs from the operating
// system, in one place.
//
// The Win32 layer implements it on the real API (shell/platform_win32.cpp) and
// installs it at process start; native unit tests install fakes that implement
// exactly this interface, so that clocks, message boxes and dialogs become
// exactly testable.  The core never includes <windows.h>: handles cross the seam
// as opaque WindowHandle values and flags keep their Win32 numbers.
#pragma once
#include <cstdint>

// An opaque window handle (an HWND on Windows); 0 means no window.
using WindowHandle = void*;

// Message box styles and results, with the values of the Win32 API.
constexpr unsigned kMbOk = 0x00000000;
constexpr unsigned kMbIconError = 0x00000010;
constexpr unsigned kMbIconExclamation = 0x00000030;
constexpr unsigned kMbIconInformation = 0x00000040;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Milliseconds since the system started, wrapping at 2^32 (GetTickCount).
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;

  // A modal message box; returns the button pressed (kIdOk, ...).
  virtual int MessageBox(WindowHandle owner, const char* text, const char* caption,
                         unsigned style) = 0;

  // Runs the dialog template `templateId` modally with its own procedure and
  // returns the dialog's result.
  virtual intptr_t RunDialog(int templateId, WindowHandle owner) = 0;

  // The window's class name, cut to fit `size` bytes (NUL included); "" when
  // there is no window.
  virtual void GetWindowClassName(WindowHandle window, char* buffer, int size) = 0;
};

// The services in force; installed once at start-up (or by a test fixture).
PlatformServices& Platform();
void InstallPlatform(PlatformServices* services);
PlatformServices* CurrentPlatformOrNull();
