#include "shell/frame_loop.h"

#include "render/gl_surface.h"
#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/render_frame.h"
#include "view/keyboard_control.h"
#include "view/module_table.h"
#include "view/registry_store.h"
#include "view/run_state.h"
#include "view/settings.h"

namespace {

// Frame messages carry -1 in both parameters; the receiver ignores them.
constexpr uintptr_t kNoWParam = static_cast<uintptr_t>(-1);
constexpr intptr_t kNoLParam = -1;

void PostClose(WindowHandle window) { PlatformWindows().PostWindowMessage(window, kWmClose, 0, 0); }

void PostRenderFrame(WindowHandle window) {
  PlatformWindows().PostWindowMessage(window, WM_RENDER_FRAME, kNoWParam, kNoLParam);
}

}  // namespace

bool StartFrameLoop(FrameHost& host) {
  const WindowHandle window = host.Window();
  g_bSaverWindow = host.IsSaverWindow();
  SelectRegistryKey(window, kSettingsKeyPath);
  LoadSettings();
  g_bFullScreen = host.IsFullScreen();
  host.SettingsLoaded();
  SceneSurface& surface = PlatformSurface();
  if (!surface.CreateSurface(host.SurfaceWindow(), kSurfaceColourBits)) {
    PostClose(window);
    return false;
  }
  surface.ProbeFrameRate();
  g_dwCycleStart = PlatformClock().TickCount();
  PostRenderFrame(window);
  host.Started();
  return true;
}

void HandleFrameMessage(FrameHost& host) {
  const WindowHandle window = host.Window();
  if (g_bFullScreen && FrameRateTooLowToDraw()) {
    // No frame is ever drawn: the user is told why and the run closes.
    PlatformNotices().RunDialog(IDD_ADVICE, window);
    PostClose(window);
    return;
  }
  if (g_bInFrame || g_bStop) return;
  g_bInFrame = true;
  DrainFrameMessages(window);
  // A stop key or a drained close reaches the close handling this way.
  if (g_bStop && !g_bClosed) PostClose(window);
  if (!g_bStop) {
    RenderFrame(window);
    host.FrameDrawn();
    PostRenderFrame(window);
  }
  g_bInFrame = false;
}

void HandleCloseRequest(FrameHost& host) {
  if (g_bClosed) return;
  g_bClosed = true;
  g_bStop = true;
  PlatformSurface().DestroySurface();
  if (host.SavesOnClose()) {
    StoreModule(g_nCurrentModule);
    SaveSettings();
  }
  host.Closed();
}

void EndFrameLoop() {
  g_bStop = true;
  if (g_bClosed) return;
  g_bClosed = true;
  PlatformSurface().DestroySurface();
}

void RequestStop(FrameHost& host) {
  g_bStop = true;
  // Inside a frame the drain's end posts the close.
  if (!g_bInFrame && !g_bClosed) PostClose(host.Window());
}

void DrainFrameMessages(WindowHandle window) {
  WindowQueue& queue = PlatformWindows();
  WindowMessage message;
  while (!g_bStop && queue.TakeWindowMessage(window, &message)) {
    switch (message.message) {
      case kWmKeyDown:
      case kWmKeyUp:
        HandleViewKey(window, message.message, message.wParam);
        break;
      case kWmClose:
        g_bStop = true;
        break;
      default:
        queue.DispatchWindowMessage(message);
        break;
    }
  }
}
