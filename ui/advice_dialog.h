// The low-frame-rate advice (dialog template IDD_ADVICE): the measured rate,
// the advice to upgrade, and the offer to remove the screen saver.
#pragma once
#include <cstddef>

// Room for the rate text, terminator included.
constexpr size_t kFrameRateTextSize = 356;

// The text of control IDC_FRAME_RATE_TEXT for a measured rate, one decimal.
void FormatFrameRateText(char* buffer, size_t size, float framesPerSecond);
