// first-frame: launches a program that draws on the root window of the X
// display and says how long it took until the screen first showed something
// other than black.  The saver benchmark (bench/saver.sh) times both savers
// with it.
//
//   first-frame TIMEOUT_MS COMMAND [ARGUMENT...]
//
// Prints "PID MILLISECONDS" and leaves the program running for the caller to
// measure and stop; on a timeout or an early end it stops the program, says
// why on stderr and exits 1.
//
// The display is opened and the root cleared to black before the launch, so
// the time covers only the program: from just before fork to the arrival of
// the first drawing on the root (a Damage event, no polling) after which a
// pixel anywhere on the screen has a luma above a tenth of full scale.
// Drawings that leave the screen black are read and passed over.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLitLuma = 0.1;
// How often the wait for a drawing looks whether the program is still there.
constexpr int kCheckMs = 20;

// A channel's share of full scale, read through the image's mask for it.
double ChannelOf(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0.0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return static_cast<double>((pixel & mask) >> shift) / static_cast<double>(mask >> shift);
}

// Rec. 709 luma, as image tools turn colour into grey.
bool PixelIsLit(const XImage* image, unsigned long pixel) {
  return 0.2126 * ChannelOf(pixel, image->red_mask) + 0.7152 * ChannelOf(pixel, image->green_mask) +
             0.0722 * ChannelOf(pixel, image->blue_mask) >
         kLitLuma;
}

bool ScreenIsLit(Display* display, Window root, int width, int height) {
  XImage* image = XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return false;
  bool lit = false;
  for (int y = 0; y < height && !lit; ++y) {
    for (int x = 0; x < width && !lit; ++x) lit = PixelIsLit(image, XGetPixel(image, x, y));
  }
  XDestroyImage(image);
  return lit;
}

pid_t Launch(char** command) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The caller reads our standard output; the program's own goes nowhere.
  const int nowhere = open("/dev/null", O_WRONLY);
  if (nowhere >= 0) dup2(nowhere, STDOUT_FILENO);
  execvp(command[0], command);
  std::perror(command[0]);
  _exit(127);
}

int Fail(pid_t pid, const char* why) {
  std::fprintf(stderr, "first-frame: %s\n", why);
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  return 1;
}

// Waits for the next Damage event on the connection; false when none came
// within kCheckMs.
bool NextDamage(Display* display, int damageEvent) {
  for (;;) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == damageEvent + XDamageNotify) return true;
    }
    pollfd wait = {ConnectionNumber(display), POLLIN, 0};
    if (poll(&wait, 1, kCheckMs) <= 0) return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: first-frame TIMEOUT_MS COMMAND [ARGUMENT...]\n", stderr);
    return 2;
  }
  const auto timeout = std::chrono::milliseconds(std::atoi(argv[1]));
  Display* display = XOpenDisplay(nullptr);
  if (!display) return Fail(0, "cannot open the X display");
  int damageEvent = 0, damageError = 0;
  if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
    return Fail(0, "the display has no DAMAGE extension");
  }
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  // What an earlier program drew on the root stays there until cleared.
  XSetWindowBackground(display, root, BlackPixel(display, DefaultScreen(display)));
  XClearWindow(display, root);
  const Damage damage = XDamageCreate(display, root, XDamageReportNonEmpty);
  XSync(display, True);  // the clearing's own damage is dropped
  XDamageSubtract(display, damage, None, None);
  if (ScreenIsLit(display, root, width, height)) return Fail(0, "the screen stays lit when cleared");

  const auto start = Clock::now();
  const pid_t pid = Launch(argv + 2);
  if (pid < 0) return Fail(0, "cannot start the program");
  for (;;) {
    if (NextDamage(display, damageEvent)) {
      const auto drawn = Clock::now();
      XDamageSubtract(display, damage, None, None);
      if (ScreenIsLit(display, root, width, height)) {
        const std::chrono::duration<double, std::milli> spent = drawn - start;
        std::printf("%d %.0f\n", static_cast<int>(pid), spent.count());
        break;
      }
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) return Fail(0, "the program ended before drawing");
    if (Clock::now() - start > timeout) return Fail(pid, "no lit frame in time");
  }
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  return 0;
}
