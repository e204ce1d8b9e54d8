// The low-frame-rate advice (dialog template IDD_ADVICE): the measured rate,
// the advice to upgrade, and the offer to remove the screen saver.
#pragma once
#include <cstddef>

// Controls of the advice dialog.
constexpr int kRemoveSaverButton = 1047;
constexpr int kFrameRateText = 1051;

// Room for the rate text, terminator included.
constexpr size_t kFrameRateTextSize = 356;

// The text of control kFrameRateText for a measured rate, one decimal.
void FormatFrameRateText(char* buffer, size_t size, float framesPerSecond);
