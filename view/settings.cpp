#include "view/settings.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

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

constexpr size_t kViewFieldCount = sizeof kViewFields / sizeof kViewFields[0];
constexpr size_t kSpeedField = kViewFieldCount;  // the speed comes after the six

// What the last load read for each of a module's view values, beside the float
// it became.  A float is coarser than a hundredth beyond about 13,107,200
// hundredths, so a value that no key changed is saved back as the integer it
// came from rather than as its float's nearest hundredths.
struct LoadedValue {
  float value;
  int32_t stored;
};
std::optional<LoadedValue> g_loadedValues[MaxModules + 1][kViewFieldCount + 1];

float RememberLoaded(int module, size_t field, int32_t stored) {
  const float value = FromHundredths(stored);
  g_loadedValues[module][field] = LoadedValue{value, stored};
  return value;
}

int32_t HundredthsToSave(int module, size_t field, float value) {
  const std::optional<LoadedValue>& loaded = g_loadedValues[module][field];
  return loaded && loaded->value == value ? loaded->stored : ToHundredths(value);
}

void LoadModule(int module) {
  ModulePreset& preset = g_moduleTable.modules[module];
  for (size_t i = 0; i < kViewFieldCount; ++i) {
    const ViewField& field = kViewFields[i];
    g_loadedValues[module][i].reset();
    int32_t stored = ReadUserDword(ModuleValueName(module, field.name).text, kMissingSetting);
    if (stored != kMissingSetting) preset.*field.member = RememberLoaded(module, i, stored);
  }
  // The built-in speed is the default itself, not the sentinel.
  int32_t builtInSpeed = static_cast<int32_t>(preset.speed * 100.0f);
  preset.speed = ClampSpeed(RememberLoaded(
      module, kSpeedField, ReadUserDword(ModuleValueName(module, "speed").text, builtInSpeed)));
  int32_t active = ReadUserDword(ModuleValueName(module, "active").text, kMissingSetting);
  if (active != kMissingSetting) preset.active = active > 0;
}

void SaveModule(int module) {
  const ModulePreset& preset = g_moduleTable.modules[module];
  for (size_t i = 0; i < kViewFieldCount; ++i) {
    const ViewField& field = kViewFields[i];
    WriteUserDword(ModuleValueName(module, field.name).text,
                   HundredthsToSave(module, i, preset.*field.member));
  }
  WriteUserDword(ModuleValueName(module, "speed").text,
                 HundredthsToSave(module, kSpeedField, preset.speed));
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
  SettingsBatch batch;
  ResetModuleTable();
  for (int module = 1; module <= MaxModules; ++module) LoadModule(module);

  int32_t cycleTime = ReadUserDword("cycle time", kDefaultCycleTime);
  g_nCycleTime = cycleTime < 0 ? kDefaultCycleTime : cycleTime;
  g_bEnableSound = ReadUserDword("enable sound", g_bEnableSound ? 1 : 0) == 1;

  g_nCurrentModule = NextActiveModule(0);
  ApplyModule(g_nCurrentModule);
}

void SaveSettings() {
  SettingsBatch batch;
  for (int module = 1; module <= MaxModules; ++module) SaveModule(module);
  WriteUserDword("cycle time", g_nCycleTime);
}
