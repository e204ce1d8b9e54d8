#include "shell/frame_rate_probe.h"

#include <cstdint>

#include "render/scene.h"
#include "platform/platform.h"

bool g_bRateOk = true;
float g_fFrameRate = 33.0f;

namespace {

constexpr uint32_t kFastDrawMs = 50;    // one draw this quick needs no closer look
constexpr uint32_t kSlowDrawMs = 200;   // one draw slower than this settles the verdict
constexpr int kFurtherDraws = 4;
constexpr float kAssumedRate = 33.0f;
constexpr float kLowestAdequateRate = 12.0f;

// Milliseconds that `draws` draws take; tick differences wrap with the clock.
uint32_t TimeDraws(bool (*drawScene)(), int draws) {
  const uint32_t start = PlatformClock().TickCount();
  for (int i = 0; i < draws; ++i) drawScene();
  return PlatformClock().TickCount() - start;
}

}  // namespace

void ProbeFrameRate(bool (*drawScene)()) {
  uint32_t elapsed = TimeDraws(drawScene, 1);
  g_bRateOk = true;
  g_fFrameRate = kAssumedRate;
  if (elapsed > kSlowDrawMs) {
    g_fFrameRate = static_cast<float>(1000.0 / elapsed);
    g_bRateOk = false;
  } else if (elapsed > kFastDrawMs) {
    // Five draws in all, plus one millisecond so that the sum is never zero.
    elapsed += TimeDraws(drawScene, kFurtherDraws) + 1;
    g_fFrameRate = static_cast<float>(5000.0 / elapsed);
    if (g_fFrameRate < kLowestAdequateRate) g_bRateOk = false;
  }
}

void ProbeFrameRate() { ProbeFrameRate(DrawWorldScene); }
