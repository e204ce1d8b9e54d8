#include "platform/platform_win32.h"

namespace {

// Where a window spanning nearEdge..farEdge starts so that it is centred in
// 0..extent (integer division rounds toward zero); summed in 64 bits so that
// no coordinates can overflow.
int CentredOrigin(LONG extent, LONG nearEdge, LONG farEdge) {
  return static_cast<int>((static_cast<long long>(extent) + nearEdge - farEdge) / 2);
}

}  // namespace

void CentreOnDesktop(HWND window) {
  RECT desktop;
  RECT own;
  if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(window, &own)) return;
  int x = CentredOrigin(desktop.right, own.left, own.right);
  int y = CentredOrigin(desktop.bottom, own.top, own.bottom);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}
