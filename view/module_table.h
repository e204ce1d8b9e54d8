// Modules: stored presets of the live view, one per module number.
//
// The table is indexed by module number; number 0 means "no module", so slot 0
// exists only to keep the indexing direct and is never applied, stored, loaded
// or saved.  Searches, counts and cycling run over 1 to MaxModules.
#pragma once

constexpr int MaxModules = 1;

struct ModulePreset {
  float depth;
  float horz;
  float vert;
  float xrot;
  float yrot;
  float zrot;
  float speed;
  bool active;  // takes part in module selection; the world is drawn only while module 1 is active
};

struct ModuleTable {
  ModulePreset modules[MaxModules + 1];   // as the user last left them; what settings load and save
  ModulePreset defaults[MaxModules + 1];  // built-in presets, restored by the Home key
};

extern ModuleTable g_moduleTable;
extern int g_nCurrentModule;  // module whose preset is in the live view; 0 = none (blank scene)
extern int g_nCycleTime;      // seconds each module is shown before the next active one
extern bool g_bEnableSound;   // the stored sound setting

// Fills modules and defaults with the built-in presets.
void ResetModuleTable();

// Each ignores a module number outside 1..MaxModules.
void ApplyModule(int module);         // preset -> live view
void StoreModule(int module);         // live view -> preset (active untouched)
void RestoreDefaultView(int module);  // built-in preset -> live view

int CountActiveModules();
// The first active module after (or before) `module` in cyclic order, the
// starting module included last; 0 when no module is active.  0 is a valid start.
int NextActiveModule(int module);
int PreviousActiveModule(int module);
