#include "shell/render_frame.h"

#include "shell/frame_rate_probe.h"
#include "shell/run_state.h"
#include "shell/scene_services.h"
#include "view/keyboard_control.h"
#include "view/module_table.h"
#include "view/virtual_keys.h"

namespace {

constexpr unsigned kWmClose = 0x0010;
// Frame messages carry -1 in both parameters; the receiver ignores them.
constexpr uintptr_t kNoWParam = static_cast<uintptr_t>(-1);
constexpr intptr_t kNoLParam = -1;

// With one active module (or none) the view never switches, whatever the
// cycle time; with more it switches once the cycle time has passed.
void CycleModules() {
  if (!g_bSaverWindow || CountActiveModules() <= 1) return;
  const uint32_t cycleMs = static_cast<uint32_t>(g_nCycleTime) * 1000u;
  if (Platform().TickCount() - g_dwCycleStart <= cycleMs) return;
  g_dwCycleStart = Platform().TickCount();
  StoreModule(g_nCurrentModule);
  g_nCurrentModule = NextActiveModule(g_nCurrentModule);
  ApplyModule(g_nCurrentModule);
}

// Frames start at least kFramePeriodMs apart; the time spent drawing counts
// towards the period, so a slow frame is followed without any sleep.
void PaceFrame() {
  PlatformServices& platform = Platform();
  const int32_t since = static_cast<int32_t>(platform.TickCount() - g_dwLastFrame);
  const uint32_t elapsed = since < 0 ? 0u - static_cast<uint32_t>(since) : static_cast<uint32_t>(since);
  if (elapsed < kFramePeriodMs) platform.Sleep(kFramePeriodMs - elapsed);
  g_dwLastFrame = platform.TickCount();
}

// The current module number selects the scene: 1 the world, 2 a plain clear,
// anything else the blank scene.
bool DrawSceneOfModule(int module) {
  switch (module) {
    case 1: return Scene().DrawWorldScene();
    case 2: return Scene().DrawClearScene();
    default: return Scene().DrawBlankScene();
  }
}

}  // namespace

bool FrameRateTooLowToDraw() { return !g_bRateOk && g_fFrameRate < kLowestDrawableRate; }

// The frame is shown on the GL surface's own device context, so the window
// that the caller serves (the saver window or the settings dialog) does not
// enter into it.
void RenderFrame(WindowHandle /*window*/) {
  CycleModules();
  PaceFrame();
  // The fallback sticks: once the rate is judged too low, only blank frames.
  if (FrameRateTooLowToDraw()) g_nCurrentModule = 0;
  if (DrawSceneOfModule(g_nCurrentModule)) Platform().PresentFrame();
}

void DrainFrameMessages(WindowHandle window) {
  PlatformServices& platform = Platform();
  WindowMessage message;
  while (!g_bStop && platform.TakeWindowMessage(window, &message)) {
    switch (message.message) {
      case kWmKeyDown:
      case kWmKeyUp:
        HandleViewKey(window, message.message, message.wParam);
        break;
      case kWmClose:
        g_bStop = true;
        break;
      default:
        platform.DispatchWindowMessage(message);
        break;
    }
  }
}

void PostRenderFrame(WindowHandle window) {
  Platform().PostWindowMessage(window, WM_RENDER_FRAME, kNoWParam, kNoLParam);
}
