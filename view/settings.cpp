#include "view/settings.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "view/live_view.h"
#include "view/module_table.h"
#include "view/registry_store.h"

namespace {

constexpr int32_t kDefaultCycleTime = 15;

// Room for "mod%d active" with any module number.
constexpr int kValueNameSize = 32;

struct ValueName {
  char text[kValueNameSize];
};

ValueName ModuleValueName(int module, const char* field) {
  ValueName name;
  std::snprintf(name.text, sizeof name.text, "mod%d %s", module, field);
  return name;
}

// The six unlimited view fields, in the order they are read and written.
struct ViewField {
  const char* name;
  float ModulePreset::*member;
};
constexpr ViewField kViewFields[] = {
    {"depth", &ModulePreset::depth}, {"horz", &ModulePreset::horz},
    {"vert", &ModulePreset::vert},   {"xrot", &ModulePreset::xrot},
    {"yrot", &ModulePreset::yrot},   {"zrot", &ModulePreset::zrot},
};

void LoadModule(int module) {
  ModulePreset& preset = g_moduleTable.modules[module];
  for (const ViewField& field : kViewFields) {
    int32_t stored = ReadUserDword(ModuleValueName(module, field.name).text, kMissingSetting);
    if (stored != kMissingSetting) preset.*field.member = FromHundredths(stored);
  }
  // The built-in speed is the default itself, not the sentinel.
  int32_t builtInSpeed = static_cast<int32_t>(preset.speed * 100.0f);
  preset.speed = ClampSpeed(FromHundredths(ReadUserDword(ModuleValueName(module, "speed").text,
                                                         builtInSpeed)));
  int32_t active = ReadUserDword(ModuleValueName(module, "active").text, kMissingSetting);
  if (active != kMissingSetting) preset.active = active > 0;
}

void SaveModule(int module) {
  const ModulePreset& preset = g_moduleTable.modules[module];
  for (const ViewField& field : kViewFields) {
    WriteUserDword(ModuleValueName(module, field.name).text, ToHundredths(preset.*field.member));
  }
  WriteUserDword(ModuleValueName(module, "speed").text, ToHundredths(preset.speed));
  WriteUserDword(ModuleValueName(module, "active").text, preset.active ? 1 : 0);
}

}  // namespace

int32_t ToHundredths(float value) {
  // Rounding (not truncation) is what keeps a saved view from drifting: 40.3
  // is the float 40.299999, whose truncated hundredths would be 4029.
  double scaled = static_cast<double>(value) * 100.0;
  if (std::isnan(scaled)) return 0;
  if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(std::llround(scaled));
}

float FromHundredths(int32_t hundredths) {
  return static_cast<float>(static_cast<double>(hundredths) / 100.0);
}

void LoadSettings() {
  ResetModuleTable();
  for (int module = 1; module <= MaxModules; ++module) LoadModule(module);

  int32_t cycleTime = ReadUserDword("cycle time", kDefaultCycleTime);
  g_nCycleTime = cycleTime < 0 ? kDefaultCycleTime : cycleTime;
  g_bEnableSound = ReadUserDword("enable sound", g_bEnableSound ? 1 : 0) == 1;

  g_nCurrentModule = NextActiveModule(0);
  ApplyModule(g_nCurrentModule);
}

void SaveSettings() {
  for (int module = 1; module <= MaxModules; ++module) SaveModule(module);
  WriteUserDword("cycle time", g_nCycleTime);
}
