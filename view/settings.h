// The saver's settings in the current user's registry under kSettingsKeyPath:
// every module's preset as signed hundredths, plus the cycle time and the
// sound flag.  Reads and writes go through the current registry key, which the
// caller selects (with its window) before loading.
#pragma once
#include <cstdint>

// A stored value that stands for "missing": the field keeps its built-in value.
constexpr int32_t kMissingSetting = -9999;

// Resets the module table, fills it from the registry and applies the first
// active module to the live view (none, and no change, when none is active).
void LoadSettings();

// Writes every module's preset and the cycle time.  A view value that still
// holds what LoadSettings read is written back as the very integer it came
// from.  "enable sound" is written by the settings dialog itself.
void SaveSettings();

// A view value as whole hundredths, rounded to the nearest: within about
// +-13,107,200 hundredths, where a float is finer than a hundredth, the
// inverse of FromHundredths.  Saturates for values beyond the 32-bit range;
// not-a-number stores 0.
int32_t ToHundredths(float value);
// The stored integer divided by 100, rounded to the nearest float.
float FromHundredths(int32_t hundredths);
