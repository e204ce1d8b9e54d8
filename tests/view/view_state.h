// Puts the view subsystem's process-wide state back to its process-start values,
// so that each test starts from the same place whatever ran before it.
#pragma once
#include <ostream>

#include "shell/run_state.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/registry_store.h"

inline void ResetViewState() {
  g_fDepth = 40.0f;
  g_fHorz = 0.0f;
  g_fVert = 0.0f;
  g_fXrot = -90.0f;
  g_fYrot = 0.0f;
  g_fZrot = 0.0f;
  g_fSpeed = 5.0f;
  g_moduleTable = ModuleTable{};
  g_nCurrentModule = 1;
  g_nCycleTime = 0;
  g_bEnableSound = false;
  g_registryStore = RegistryStore{kSettingsKeyPath, ""};
  g_bSaverWindow = false;
  g_bFullScreen = false;
  g_bStop = false;
  g_dwCycleStart = 0;
}

struct LiveView {
  float depth, horz, vert, xrot, yrot, zrot, speed;
  bool operator==(const LiveView& other) const {
    return depth == other.depth && horz == other.horz && vert == other.vert &&
           xrot == other.xrot && yrot == other.yrot && zrot == other.zrot && speed == other.speed;
  }
  bool operator!=(const LiveView& other) const { return !(*this == other); }
};

inline void PrintTo(const LiveView& view, std::ostream* os) {
  *os << "{" << view.depth << ", " << view.horz << ", " << view.vert << ", " << view.xrot << ", "
      << view.yrot << ", " << view.zrot << ", " << view.speed << "}";
}

inline LiveView CurrentLiveView() {
  return {g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed};
}

inline void SetLiveView(const LiveView& view) {
  g_fDepth = view.depth;
  g_fHorz = view.horz;
  g_fVert = view.vert;
  g_fXrot = view.xrot;
  g_fYrot = view.yrot;
  g_fZrot = view.zrot;
  g_fSpeed = view.speed;
}

inline LiveView ViewOf(const ModulePreset& preset) {
  return {preset.depth, preset.horz, preset.vert, preset.xrot, preset.yrot, preset.zrot, preset.speed};
}
