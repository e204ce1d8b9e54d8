// The X11 host of the native saver: the window it draws on, its message
// queue, and the services the frame loop reaches through the platform seam.
//
// X events become the window messages the frame loop already knows (keys as
// WM_KEYDOWN/WM_KEYUP with Windows virtual-key numbers, WM_MOUSEMOVE, button
// presses, WM_SIZE, WM_CLOSE for the window manager's close button, for a
// vanished window and for SIGTERM/SIGINT), queued behind the frame messages
// the loop posts itself.  Dialogs become text on stderr.
#pragma once
#include <X11/Xlib.h>

#include <deque>
#include <string>

#include "shell/native_options.h"
#include "shell/scene_services.h"
#include "tools/snapshot/headless_platform.h"

// Opens the window the mode draws on (made, found, or taken from
// XSCREENSAVER_WINDOW); 0 after a one-line message on stderr.
Window OpenSaverWindow(Display* display, const NativeOptions& options);

// Routes SIGTERM and SIGINT into the queue as a close request, and turns X
// protocol errors (a window that vanished) into one as well, instead of the
// default report-and-exit.
void InstallStopHandlers();

class X11Platform final : public HeadlessPlatform {
 public:
  X11Platform(Display* display, Window window, const NativeOptions& options);

  // Takes the next message, waiting for one; false once nothing can come.
  bool WaitWindowMessage(WindowMessage* message);

  // Pacing waits on the X connection and the signal pipe, so that a stop
  // signal is seen within one frame period.
  void Sleep(uint32_t milliseconds) override;
  // The key list (F1) and the too-slow advice, on stderr.
  intptr_t RunDialog(int templateId, WindowHandle owner) override;
  bool PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) override;
  bool TakeWindowMessage(WindowHandle window, WindowMessage* message) override;
  // Resizes the projection; in full screen applies the mouse and click rules.
  void DispatchWindowMessage(const WindowMessage& message) override;
  WindowHandle DesktopWindow() override;
  int ClientWidth(WindowHandle window) override;
  void RaiseToTop(WindowHandle window) override;
  void PresentFrame() override;

 private:
  void Pump();
  void Queue(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0, int x = 0, int y = 0);
  void Translate(const XEvent& event);
  void CountFrame();

  Display* display_;
  Window window_;
  bool fullScreen_;
  bool showFps_;
  Atom deleteWindow_;
  int referenceX_ = 0, referenceY_ = 0;
  uint32_t fpsStart_ = 0;
  int fpsFrames_ = 0;
  std::deque<WindowMessage> queue_;
};

// The GLX surface and the scene behind the frame loop's scene services.
class X11SceneServices final : public SceneServices {
 public:
  explicit X11SceneServices(Display* display) : display_(display) {}
  bool CreateSurface(WindowHandle window, int colourBits) override;
  void DestroySurface() override;
  void ProbeFrameRate() override;
  bool DrawBlankScene() override;
  bool DrawWorldScene() override;
  bool DrawClearScene() override;

 private:
  Display* display_;
};

inline WindowHandle ToHandle(Window window) { return reinterpret_cast<WindowHandle>(window); }
inline Window ToWindow(WindowHandle handle) { return reinterpret_cast<Window>(handle); }
