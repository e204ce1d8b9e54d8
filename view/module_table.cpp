#include "view/module_table.h"

#include "view/live_view.h"

ModuleTable g_moduleTable = {};
int g_nCurrentModule = 1;
int g_nCycleTime = 0;
bool g_bEnableSound = false;

namespace {

bool IsValidModule(int module) { return module >= 1 && module <= MaxModules; }

// The next candidate of a cyclic search.  Any start outside 1..MaxModules
// (0 included) lands on a valid number, so a search never leaves the table
// and never overflows, whatever number it was given.
int StepUp(int module) { return (module >= 1 && module < MaxModules) ? module + 1 : 1; }

// Stepping down from the first module wraps to the last, the mirror image of StepUp.
int StepDown(int module) { return (module > 1 && module <= MaxModules) ? module - 1 : MaxModules; }

template <typename Step>
int FindActiveModule(int module, Step step) {
  // MaxModules + 1 candidates, the first of them tested again last, so the
  // starting module itself is found when it is the only active one.
  for (int tested = 0; tested <= MaxModules; ++tested) {
    module = step(module);
    if (g_moduleTable.modules[module].active) return module;
  }
  return 0;
}

void CopyIntoLiveView(const ModulePreset& preset) {
  g_fDepth = preset.depth;
  g_fHorz = preset.horz;
  g_fVert = preset.vert;
  g_fXrot = preset.xrot;
  g_fYrot = preset.yrot;
  g_fZrot = preset.zrot;
  g_fSpeed = preset.speed;
}

}  // namespace

void ResetModuleTable() {
  for (ModulePreset& preset : g_moduleTable.modules) {
    preset = ModulePreset{};
    preset.depth = 40.0f;
    preset.speed = 0.5f;
    preset.active = true;
  }
  g_moduleTable.modules[1].depth = 192.0f;
  for (int module = 0; module <= MaxModules; ++module) {
    g_moduleTable.defaults[module] = g_moduleTable.modules[module];
  }
}

void ApplyModule(int module) {
  if (IsValidModule(module)) CopyIntoLiveView(g_moduleTable.modules[module]);
}

void StoreModule(int module) {
  if (!IsValidModule(module)) return;
  ModulePreset& preset = g_moduleTable.modules[module];
  preset.depth = g_fDepth;
  preset.horz = g_fHorz;
  preset.vert = g_fVert;
  preset.xrot = g_fXrot;
  preset.yrot = g_fYrot;
  preset.zrot = g_fZrot;
  preset.speed = g_fSpeed;
}

void RestoreDefaultView(int module) {
  if (IsValidModule(module)) CopyIntoLiveView(g_moduleTable.defaults[module]);
}

int CountActiveModules() {
  int count = 0;
  for (int module = 1; module <= MaxModules; ++module) {
    if (g_moduleTable.modules[module].active) ++count;
  }
  return count;
}

int NextActiveModule(int module) { return FindActiveModule(module, StepUp); }

int PreviousActiveModule(int module) { return FindActiveModule(module, StepDown); }
