#include "platform/platform_win32.h"

#include "platform/centred_origin.h"

namespace {

// The work area (the screen less the task bar) of the monitor that the
// desktop's rectangle lies on.
RECT WorkArea(const RECT& desktop) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&desktop, MONITOR_DEFAULTTOPRIMARY), &monitor)) return desktop;
  return monitor.rcWork;
}

}  // namespace

void CentreOnDesktop(HWND window) {
  RECT desktop;
  RECT own;
  if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(window, &own)) return;
  const RECT work = WorkArea(desktop);
  int x = CentredOrigin(desktop.right, own.left, own.right, work.left, work.right);
  int y = CentredOrigin(desktop.bottom, own.top, own.bottom, work.top, work.bottom);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}
