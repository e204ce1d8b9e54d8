#include "shell/render_frame.h"

#include "shell/frame_rate_probe.h"
#include "view/module_table.h"
#include "view/run_state.h"

namespace {

// With one active module (or none) the view never switches, whatever the
// cycle time; with more it switches once the cycle time has passed.
void CycleModules() {
  if (!g_bSaverWindow || CountActiveModules() <= 1) return;
  const uint32_t cycleMs = static_cast<uint32_t>(g_nCycleTime) * 1000u;
  if (PlatformClock().TickCount() - g_dwCycleStart <= cycleMs) return;
  g_dwCycleStart = PlatformClock().TickCount();
  StoreModule(g_nCurrentModule);
  g_nCurrentModule = NextActiveModule(g_nCurrentModule);
  ApplyModule(g_nCurrentModule);
}

// Frames start at least kFramePeriodMs apart; the time spent drawing counts
// towards the period, so a slow frame is followed without any sleep.
void PaceFrame() {
  Clock& clock = PlatformClock();
  const int32_t since = static_cast<int32_t>(clock.TickCount() - g_dwLastFrame);
  const uint32_t elapsed = since < 0 ? 0u - static_cast<uint32_t>(since) : static_cast<uint32_t>(since);
  if (elapsed < kFramePeriodMs) clock.Sleep(kFramePeriodMs - elapsed);
  g_dwLastFrame = clock.TickCount();
}

// The current module number selects the scene: 1 the world, 2 a plain clear,
// anything else the blank scene.
bool DrawSceneOfModule(SceneSurface& surface, int module) {
  switch (module) {
    case 1: return surface.DrawWorldScene();
    case 2: return surface.DrawClearScene();
    default: return surface.DrawBlankScene();
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
  SceneSurface& surface = PlatformSurface();
  if (DrawSceneOfModule(surface, g_nCurrentModule)) surface.PresentFrame();
}
