// The X11 host of the native saver: the window it draws on, and the platform
// services it has of its own.
//
// Implements: Clock (pacing waits on the X connection and the stop signals),
// WindowQueue (X events become the window messages the frame loop already
// knows: keys as WM_KEYDOWN/WM_KEYUP with Windows virtual-key numbers,
// WM_MOUSEMOVE, button presses, WM_SIZE, WM_CLOSE for the window manager's
// close button, for a vanished window and for SIGTERM/SIGINT, queued behind
// the frame messages the loop posts itself), Notices (dialogs become text on
// stderr) and SceneSurface (GLX).
// Borrows the tick count and message boxes (printed on stderr) from the
// services it is given, the snapshot tool's.  Leaves out the resources and
// the settings store, which the program installs beside it.
#pragma once
#include <X11/Xlib.h>

#include <deque>

#include "platform/platform.h"
#include "shell/native_options.h"

// Opens the window the mode draws on (made, found, or taken from
// XSCREENSAVER_WINDOW); 0 after a one-line message on stderr.
Window OpenSaverWindow(Display* display, const NativeOptions& options);

// Routes SIGTERM and SIGINT into the queue as a close request, and turns X
// protocol errors (a window that vanished) into one as well, instead of the
// default report-and-exit.
void InstallStopHandlers();

class X11Platform final : public Clock, public WindowQueue, public Notices {
 public:
  // `base` lends its clock's tick count and its message boxes.
  X11Platform(Display* display, Window window, const NativeOptions& options,
              const PlatformServices& base);

  // Takes the next message, waiting for one; false once nothing can come.
  bool WaitWindowMessage(WindowMessage* message);

  uint32_t TickCount() override;
  // Pacing waits on the X connection and the signal pipe, so that a stop
  // signal is seen within one frame period.
  void Sleep(uint32_t milliseconds) override;
  int MessageBox(WindowHandle owner, const char* text, const char* caption,
                 unsigned style) override;
  // The key list (F1) and the too-slow advice, on stderr.
  intptr_t RunDialog(int templateId, WindowHandle owner) override;
  bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) override;
  bool TakeWindowMessage(WindowHandle window, WindowMessage* message) override;
  // Resizes the projection; in full screen applies the mouse and click rules.
  void DispatchWindowMessage(const WindowMessage& message) override;
  // X windows carry no class that the settings need: always "".
  void GetWindowClassName(WindowHandle window, char* buffer, int size) override;

 private:
  void Pump();
  void Queue(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0, int x = 0, int y = 0);
  void Translate(const XEvent& event);

  Clock& ticks_;
  Notices& boxes_;
  Display* display_;
  Window window_;
  bool fullScreen_;
  Atom deleteWindow_;
  int referenceX_ = 0, referenceY_ = 0;
  std::deque<WindowMessage> queue_;
};

// The GLX surface and the scenes; with --fps it counts the frames it shows.
class X11SceneSurface final : public SceneSurface {
 public:
  X11SceneSurface(Display* display, bool showFps) : display_(display), showFps_(showFps) {}
  bool CreateSurface(WindowHandle window, int colourBits) override;
  void DestroySurface() override;
  void PresentFrame() override;
  void ProbeFrameRate() override;
  bool DrawBlankScene() override;
  bool DrawWorldScene() override;
  bool DrawClearScene() override;

 private:
  void CountFrame();

  Display* display_;
  bool showFps_;
  uint32_t fpsStart_ = 0;
  int fpsFrames_ = 0;
};

inline WindowHandle ToHandle(Window window) { return reinterpret_cast<WindowHandle>(window); }
inline Window ToWindow(WindowHandle handle) { return reinterpret_cast<Window>(handle); }
