#include "shell/run_loop.h"

#include "render/gl_surface.h"
#include "resources/resource_ids.h"
#include "shell/run_state.h"
#include "shell/scene_services.h"
#include "view/module_table.h"
#include "view/registry_store.h"
#include "view/settings.h"

namespace {

constexpr unsigned kWmClose = 0x0010;

void PostClose(WindowHandle window) { Platform().PostWindowMessage(window, kWmClose, 0, 0); }

}  // namespace

void BeginSaverRun(WindowHandle window) {
  g_bSaverWindow = true;
  SelectRegistryKey(window, kSettingsKeyPath);
  LoadSettings();
  PlatformServices& platform = Platform();
  // Only widths are compared: the control panel's preview is never as wide
  // as the desktop, the full screen always is.
  g_bFullScreen = platform.ClientWidth(window) == platform.ClientWidth(platform.DesktopWindow());
  if (!Scene().CreateSurface(window, kSurfaceColourBits)) {
    PostClose(window);
    return;
  }
  Scene().ProbeFrameRate();
  g_dwCycleStart = platform.TickCount();
  PostRenderFrame(window);
}

void HandleRenderFrame(WindowHandle window) {
  if (g_bFullScreen && FrameRateTooLowToDraw()) {
    // No frame is ever drawn: the user is told why and the saver closes.
    Platform().RunDialog(IDD_ADVICE, window);
    PostClose(window);
    return;
  }
  if (g_bInFrame || g_bStop) return;
  g_bInFrame = true;
  DrainFrameMessages(window);
  // A stop key or a drained close reaches the close handling this way.
  if (g_bStop && !g_bClosed) PostClose(window);
  if (!g_bStop) RenderFrame(window);
  if (!g_bStop) {
    Platform().RaiseToTop(g_hSaverWindow);
    PostRenderFrame(window);
  }
  g_bInFrame = false;
}

void HandleSaverClose() {
  if (g_bClosed) return;
  g_bClosed = true;
  g_bStop = true;
  Scene().DestroySurface();
  StoreModule(g_nCurrentModule);
  SaveSettings();
}

void EndSaverRun() {
  g_bStop = true;
  if (g_bClosed) return;
  g_bClosed = true;
  Scene().DestroySurface();
}
