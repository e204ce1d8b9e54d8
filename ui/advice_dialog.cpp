#include "ui/advice_dialog.h"

#include <cstdio>

void FormatFrameRateText(char* buffer, size_t size, float framesPerSecond) {
  std::snprintf(buffer, size, "The current frame rate is:\n%.1f frames per second.",
                static_cast<double>(framesPerSecond));
}
