// The one place where the X11 host meets the frame loop: it chooses the
// loop's roles for the mode, then hands each queued message to the loop as
// the Win32 saver window's procedure does.
#include "shell/native_run_x11.h"

#include <GL/glx.h>

#include "shell/run_loop.h"
#include "shell/run_state.h"
#include "view/keyboard_control.h"
#include "view/live_view.h"
#include "view/virtual_keys.h"

namespace {
constexpr unsigned kWmClose = 0x0010;
}  // namespace

int RunNativeSaver(X11Platform& platform, WindowHandle window, const NativeOptions& options) {
  const bool fullScreen = options.mode == NativeMode::FullScreen;
  // Root and window-id runs may be many at once (one per monitor, a preview
  // beside the saver): they never write the settings.
  const bool savesView = fullScreen || options.mode == NativeMode::Window;
  if (fullScreen) g_hSaverWindow = window;
  BeginSaverRun(window);
  if (!glXGetCurrentContext()) {
    EndSaverRun();
    return 1;
  }
  // The window steers as the settings dialog's preview does; root and
  // window-id draw as the small preview (no keys, the blank scene when too
  // slow); full screen is the saver itself.
  g_bSaverWindow = options.mode != NativeMode::Window;
  g_bFullScreen = fullScreen;
  if (options.hasDepth) g_fDepth = options.depth;
  if (options.hasSpeed) g_fSpeed = options.speed;

  WindowMessage message;
  while (platform.WaitWindowMessage(&message) && message.message != kWmClose) {
    if (message.message == WM_RENDER_FRAME) {
      HandleRenderFrame(window);
    } else if (message.message == kWmKeyDown || message.message == kWmKeyUp) {
      HandleViewKey(window, message.message, message.wParam);
    } else {
      platform.DispatchWindowMessage(message);
    }
  }
  if (savesView) HandleSaverClose();
  EndSaverRun();
  return 0;
}
