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

// A read-only block of the program's own data (a locked resource, which lives
// as long as the program); data is null and size 0 when there is none.
struct ResourceBlock {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// One message taken from a window's queue, with everything that dispatching
// it needs.
struct WindowMessage {
  WindowHandle window = nullptr;
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;  // tick count when it was queued
  int32_t cursorX = 0;
  int32_t cursorY = 0;
};

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

  // Frame loops: a window posts itself messages and drains its own queue
  // between frames.  Posting fails only when the window is gone.
  virtual bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                                 intptr_t lParam) = 0;
  // Removes the next pending message of the window (or of one of its child
  // windows) without waiting; false when none is pending.  Messages of other
  // windows and of the thread stay queued.
  virtual bool TakeWindowMessage(WindowHandle window, WindowMessage* message) = 0;
  // Translates (key messages produce their character messages) and dispatches.
  virtual void DispatchWindowMessage(const WindowMessage& message) = 0;

  // The desktop window, and the width of a window's client area in pixels.
  virtual WindowHandle DesktopWindow() = 0;
  virtual int ClientWidth(WindowHandle window) = 0;
  // Puts the window on top of the z-order, above every window that is not
  // topmost, and shows it.
  virtual void RaiseToTop(WindowHandle window) = 0;
  // Shows the frame just drawn: swaps the buffers of the current GL surface.
  virtual void PresentFrame() = 0;

  // The program's resource `resourceId` of the named type (type names match
  // without regard to case, as Windows resource types do).
  virtual ResourceBlock FindResourceBlock(const char* type, int resourceId) = 0;
};

// The services in force; installed once at start-up (or by a test fixture).
PlatformServices& Platform();
void InstallPlatform(PlatformServices* services);
PlatformServices* CurrentPlatformOrNull();
