#include "shell/x11_host_x11.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "render/gl_surface.h"
#include "render/gl_surface_glx.h"
#include "render/scene.h"
#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"

namespace {

// A key without a virtual key of its own; it still ends the full-screen saver.
constexpr unsigned kVkOther = 0xFF;
// The full-screen saver ends once the pointer is further than this from where
// it was at the start (|dx| + |dy|).
constexpr int kMouseThreshold = 100;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

int g_stopPipe[2] = {-1, -1};
volatile int g_xErrorCode = 0;

void OnStopSignal(int) {
  const char byte = 1;
  (void)!write(g_stopPipe[1], &byte, 1);
}

int OnXError(Display*, XErrorEvent* error) {
  g_xErrorCode = error->error_code;
  return 0;
}

struct KeyName {
  KeySym keysym;
  unsigned virtualKey;
};
constexpr KeyName kKeys[] = {
    {XK_BackSpace, kVkBack}, {XK_Return, kVkReturn},   {XK_KP_Enter, kVkReturn},
    {XK_Escape, kVkEscape},  {XK_Shift_L, kVkShift},   {XK_Shift_R, kVkShift},
    {XK_Prior, kVkPrior},    {XK_KP_Prior, kVkPrior},  {XK_Next, kVkNext},
    {XK_KP_Next, kVkNext},   {XK_Home, kVkHome},       {XK_KP_Home, kVkHome},
    {XK_Left, kVkLeft},      {XK_KP_Left, kVkLeft},    {XK_Up, kVkUp},
    {XK_KP_Up, kVkUp},       {XK_Right, kVkRight},     {XK_KP_Right, kVkRight},
    {XK_Down, kVkDown},      {XK_KP_Down, kVkDown},    {XK_KP_2, kVkNumpad2},
    {XK_KP_3, kVkNumpad3},   {XK_KP_4, kVkNumpad4},    {XK_KP_5, kVkNumpad5},
    {XK_KP_6, kVkNumpad6},   {XK_KP_8, kVkNumpad8},    {XK_KP_9, kVkNumpad9},
};

unsigned VirtualKeyOf(KeySym keysym) {
  if (keysym >= XK_F1 && keysym <= XK_F12) return kVkF1 + static_cast<unsigned>(keysym - XK_F1);
  if (keysym >= XK_a && keysym <= XK_z) return 'A' + static_cast<unsigned>(keysym - XK_a);
  if (keysym >= XK_0 && keysym <= XK_9) return '0' + static_cast<unsigned>(keysym - XK_0);
  for (const KeyName& key : kKeys) {
    if (key.keysym == keysym) return key.virtualKey;
  }
  return kVkOther;
}

// A window another program owns (or the root): it must exist now, and we
// hear of its size and its end.
Window AdoptWindow(Display* display, Window window) {
  XWindowAttributes attributes;
  g_xErrorCode = 0;
  if (!XGetWindowAttributes(display, window, &attributes) || g_xErrorCode) {
    std::fprintf(stderr, "nivarel: there is no window 0x%lx\n", window);
    return 0;
  }
  XSelectInput(display, window, StructureNotifyMask);
  return window;
}

Window MakeWindow(Display* display, bool fullScreen) {
  XVisualInfo* visual = ChooseSaverVisual(display);
  if (!visual) {
    std::fputs("nivarel: the display offers no double-buffered GL visual\n", stderr);
    return 0;
  }
  const Window root = RootWindow(display, visual->screen);
  XSetWindowAttributes attributes = {};
  attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  attributes.background_pixel = BlackPixel(display, visual->screen);
  attributes.override_redirect = fullScreen;
  attributes.event_mask = KeyPressMask | KeyReleaseMask | StructureNotifyMask |
                          (fullScreen ? PointerMotionMask | ButtonPressMask : 0);
  const int width = fullScreen ? DisplayWidth(display, visual->screen) : kWindowWidth;
  const int height = fullScreen ? DisplayHeight(display, visual->screen) : kWindowHeight;
  const Window window = XCreateWindow(
      display, root, 0, 0, width, height, 0, visual->depth, InputOutput, visual->visual,
      CWColormap | CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XFree(visual);
  XStoreName(display, window, "Nivarel");
  XClassHint hint = {const_cast<char*>("nivarel"), const_cast<char*>("Nivarel")};
  XSetClassHint(display, window, &hint);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XMapRaised(display, window);
  return window;
}

// The full-screen saver takes the keyboard and the pointer, and hides the
// cursor.  A grab can fail while the window is still being mapped: retried.
void GrabInput(Display* display, Window window) {
  static char noBits[1] = {0};
  XColor black = {};
  const Pixmap empty = XCreateBitmapFromData(display, window, noBits, 1, 1);
  const Cursor hidden = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
  XDefineCursor(display, window, hidden);
  constexpr unsigned kPointerEvents = PointerMotionMask | ButtonPressMask;
  for (int attempt = 0; attempt < 40; ++attempt) {
    const bool keyboard = XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync,
                                        CurrentTime) == GrabSuccess;
    const bool pointer = XGrabPointer(display, window, True, kPointerEvents, GrabModeAsync,
                                      GrabModeAsync, None, hidden, CurrentTime) == GrabSuccess;
    if (keyboard && pointer) return;
    usleep(25000);
  }
}

}  // namespace

Window OpenSaverWindow(Display* display, const NativeOptions& options) {
  switch (options.mode) {
    case NativeMode::Window:
      return MakeWindow(display, false);
    case NativeMode::FullScreen: {
      const Window window = MakeWindow(display, true);
      if (window) GrabInput(display, window);
      return window;
    }
    case NativeMode::Root: {
      const char* named = std::getenv("XSCREENSAVER_WINDOW");
      if (named && *named && !ParseWindowId(named)) {
        std::fprintf(stderr, "nivarel: XSCREENSAVER_WINDOW='%s' is not a window id\n", named);
        return 0;
      }
      return AdoptWindow(display, named && *named ? ParseWindowId(named) : DefaultRootWindow(display));
    }
    case NativeMode::WindowId:
      return AdoptWindow(display, options.windowId);
  }
  return 0;
}

void InstallStopHandlers() {
  if (pipe2(g_stopPipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  XSetErrorHandler(OnXError);
}

X11Platform::X11Platform(Display* display, Window window, const NativeOptions& options,
                         const PlatformServices& base)
    : ticks_(*base.clock),
      boxes_(*base.notices),
      display_(display),
      window_(window),
      fullScreen_(options.mode == NativeMode::FullScreen),
      deleteWindow_(XInternAtom(display, "WM_DELETE_WINDOW", False)) {
  Window root, child;
  int x, y;
  unsigned mask;
  if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &referenceX_,
                    &referenceY_, &x, &y, &mask) == False) {
    referenceX_ = referenceY_ = 0;
  }
}

void X11Platform::Queue(unsigned message, uintptr_t wParam, intptr_t lParam, int x, int y) {
  queue_.push_back({ToHandle(window_), message, wParam, lParam, TickCount(), x, y});
}

void X11Platform::Translate(const XEvent& event) {
  switch (event.type) {
    case KeyPress:
    case KeyRelease: {
      XKeyEvent key = event.xkey;
      Queue(event.type == KeyPress ? kWmKeyDown : kWmKeyUp, VirtualKeyOf(XLookupKeysym(&key, 0)));
      break;
    }
    case MotionNotify:
      Queue(kWmMouseMove, 0, 0, event.xmotion.x_root, event.xmotion.y_root);
      break;
    case ButtonPress: {
      // The wheel's "buttons" are not clicks.
      static const unsigned kButtons[] = {kWmLButtonDown, kWmMButtonDown, kWmRButtonDown};
      if (event.xbutton.button >= 1 && event.xbutton.button <= 3) Queue(kButtons[event.xbutton.button - 1]);
      break;
    }
    case ConfigureNotify:
      if (event.xconfigure.window == window_) {
        Queue(kWmSize, 0, (event.xconfigure.height << 16) | (event.xconfigure.width & 0xFFFF));
      }
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) Queue(kWmClose);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window_) Queue(kWmClose);
      break;
  }
}

// A stop signal, an X error (the window we draw on is gone) and the X events
// that arrived all become queued messages.
void X11Platform::Pump() {
  char bytes[16];
  bool stop = false;
  while (read(g_stopPipe[0], bytes, sizeof bytes) > 0) stop = true;
  if (g_xErrorCode) stop = true;
  g_xErrorCode = 0;
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    Translate(event);
  }
  if (stop) Queue(kWmClose);
}

bool X11Platform::WaitWindowMessage(WindowMessage* message) {
  for (;;) {
    Pump();
    if (TakeWindowMessage(ToHandle(window_), message)) return true;
    pollfd waits[] = {{ConnectionNumber(display_), POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
    if (poll(waits, 2, -1) < 0 && errno != EINTR) return false;
  }
}

uint32_t X11Platform::TickCount() { return ticks_.TickCount(); }

void X11Platform::Sleep(uint32_t milliseconds) {
  const uint32_t start = TickCount();
  for (uint32_t spent = 0; spent < milliseconds; spent = TickCount() - start) {
    pollfd waits[] = {{ConnectionNumber(display_), POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
    if (poll(waits, 2, static_cast<int>(milliseconds - spent)) <= 0) continue;
    if (waits[1].revents) return;  // a stop: the next drain sees it
    // Move what arrived off the socket, so that the wait does not wake again for it.
    XEventsQueued(display_, QueuedAfterReading);
  }
}

int X11Platform::MessageBox(WindowHandle owner, const char* text, const char* caption,
                            unsigned style) {
  return boxes_.MessageBox(owner, text, caption, style);
}

intptr_t X11Platform::RunDialog(int templateId, WindowHandle) {
  if (templateId == IDD_CONTROL_MENU) {
    std::fputs("Nivarel keys:\n  F1 - this list\n  Esc - quit\n  Page Up - zoom out\n"
               "  Page Down - zoom in\n  arrow keys - up, down, right, left\n"
               "  F2, F3 - rotate forward/backward\n  F4, F5 - rotate vertically\n"
               "  F6, F7 - rotate left/right\n  F8, F9 - slower/faster\n"
               "  Home - restore the default position\n  F11 - print the current values\n",
               stderr);
  } else if (templateId == IDD_ADVICE) {
    std::fputs("nivarel: this computer draws the scene too slowly for the screen saver;"
               " ideally the animation runs at 30 frames per second\n", stderr);
  }
  return kIdOk;
}

bool X11Platform::PostWindowMessage(WindowHandle window, unsigned message, uintptr_t wParam,
                                    intptr_t lParam) {
  if (ToWindow(window) != window_) return false;
  Queue(message, wParam, lParam);
  return true;
}

bool X11Platform::TakeWindowMessage(WindowHandle, WindowMessage* message) {
  Pump();
  if (queue_.empty()) return false;
  *message = queue_.front();
  queue_.pop_front();
  return true;
}

void X11Platform::DispatchWindowMessage(const WindowMessage& message) {
  switch (message.message) {
    case kWmSize:
      SetProjection(static_cast<int>(message.lParam & 0xFFFF), static_cast<int>(message.lParam >> 16));
      break;
    case kWmMouseMove:
      // Measured from the start, never from the previous move: small moves add up.
      if (fullScreen_ && std::abs(message.cursorX - referenceX_) + std::abs(message.cursorY - referenceY_) >
                             kMouseThreshold) {
        Queue(kWmClose);
      }
      break;
    case kWmLButtonDown:
    case kWmMButtonDown:
    case kWmRButtonDown:
      if (fullScreen_) Queue(kWmClose);
      break;
  }
}

void X11Platform::GetWindowClassName(WindowHandle, char* buffer, int size) {
  if (size > 0) buffer[0] = '\0';
}

bool X11SceneSurface::CreateSurface(WindowHandle window, int) {
  return CreateGlxSurface(display_, ToWindow(window));
}
void X11SceneSurface::DestroySurface() { DestroyGlxSurface(); }

void X11SceneSurface::PresentFrame() {
  PresentGlxFrame();
  if (showFps_) CountFrame();
}

void X11SceneSurface::CountFrame() {
  ++fpsFrames_;
  const uint32_t now = PlatformClock().TickCount();
  if (fpsFrames_ == 1 && fpsStart_ == 0) fpsStart_ = now;
  const uint32_t spent = now - fpsStart_;
  if (spent < 1000) return;
  std::fprintf(stderr, "nivarel: %.1f fps\n", (fpsFrames_ - 1) * 1000.0 / spent);
  fpsStart_ = now;
  fpsFrames_ = 1;
}

void X11SceneSurface::ProbeFrameRate() {
  WarmUpGlxDrawing();
  ::ProbeFrameRate();
}
bool X11SceneSurface::DrawBlankScene() { return ::DrawBlankScene(); }
bool X11SceneSurface::DrawWorldScene() { return ::DrawWorldScene(); }
bool X11SceneSurface::DrawClearScene() { return ::DrawClearScene(); }
