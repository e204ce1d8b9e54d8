// The saver's process-wide state as the tests see it: the live view as one
// value, and a reset of the view and the frame loop to their process-start
// values, so that each test starts from the same place whatever ran before it.
#pragma once
#include <array>
#include <cstddef>

#include "shell/frame_rate_probe.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/registry_store.h"
#include "view/run_state.h"

// The seven live values, depth to speed, compared and printed by gtest as one.
using LiveView = std::array<float, 7>;
// The built-in module's view, which Home restores.
constexpr LiveView kBuiltInView = {192.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f};

inline LiveView CurrentLiveView() {
  return {g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed};
}

inline void SetLiveView(const LiveView& view) {
  float* const live[] = {&g_fDepth, &g_fHorz, &g_fVert, &g_fXrot, &g_fYrot, &g_fZrot, &g_fSpeed};
  for (size_t i = 0; i < view.size(); ++i) *live[i] = view[i];
}

inline LiveView ViewOf(const ModulePreset& preset) {
  return {preset.depth, preset.horz, preset.vert, preset.xrot, preset.yrot, preset.zrot, preset.speed};
}

inline void ResetSaverState() {
  SetLiveView({40.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 5.0f});
  g_moduleTable = ModuleTable{};
  g_nCurrentModule = 1;
  g_nCycleTime = 0;
  g_bEnableSound = false;
  g_registryStore = RegistryStore{kSettingsKeyPath, ""};
  g_bSaverWindow = false;
  g_bFullScreen = false;
  g_bStop = g_bClosed = g_bInFrame = false;
  g_dwCycleStart = g_dwLastFrame = 0;
  g_hSaverWindow = nullptr;
  g_bRateOk = true;
  g_fFrameRate = 33.0f;
}
