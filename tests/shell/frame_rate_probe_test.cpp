#include "shell/frame_rate_probe.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_platform.h"

namespace {

// Each draw takes the next scripted number of milliseconds on the fake clock.
FakePlatform* g_pClock = nullptr;
std::vector<uint32_t> g_drawTimes;
size_t g_nDraws = 0;

bool TimedDraw() {
  const uint32_t took = g_nDraws < g_drawTimes.size() ? g_drawTimes[g_nDraws] : 0;
  g_pClock->now += took;
  ++g_nDraws;
  return true;
}

struct Probe { bool rateOk; float frameRate; size_t draws; };

Probe RunProbe(const std::vector<uint32_t>& drawTimes, uint32_t startTick) {
  FakePlatform platform;
  ScopedPlatform scoped(platform);
  platform.now = startTick;
  g_pClock = &platform;
  g_drawTimes = drawTimes;
  g_nDraws = 0;
  g_bRateOk = false;
  g_fFrameRate = -1.0f;
  ProbeFrameRate(TimedDraw);
  g_pClock = nullptr;
  const Probe result{g_bRateOk, g_fFrameRate, g_nDraws};
  g_bRateOk = true;
  g_fFrameRate = 33.0f;
  return result;
}

TEST(ProbeFrameRate, JudgesByOneDrawOrFiveAtItsExactBoundariesAcrossTheClockWrap) {
  struct Case {
    const char* what;
    std::vector<uint32_t> drawTimes;
    uint32_t startTick;
    bool rateOk;
    float frameRate;
    size_t draws;
  };
  const Case cases[] = {
      {"instant", {0}, 5000, true, 33.0f, 1},
      {"exactly 50 ms is fast enough", {50}, 5000, true, 33.0f, 1},
      {"51 ms takes a closer look", {51, 50, 50, 50, 50}, 5000, true, 5000.0f / 252, 5},
      {"exactly 200 ms takes a closer look", {200, 0, 0, 0, 0}, 5000, true, 5000.0f / 201, 5},
      {"201 ms: 4.98, too slow at once", {201}, 5000, false, 1000.0f / 201, 1},
      {"60 then 300 ms: 13.85, adequate", {60, 75, 75, 75, 75}, 5000, true, 5000.0f / 361, 5},
      {"100 then 400 ms: 9.98, inadequate", {100, 100, 100, 100, 100}, 5000, false, 5000.0f / 501, 5},
      {"just above 12 frames a second", {100, 100, 100, 100, 15}, 5000, true, 5000.0f / 416, 5},
      {"just below 12 frames a second", {100, 100, 100, 100, 16}, 5000, false, 5000.0f / 417, 5},
      {"across the clock's wrap", {60, 75, 75, 75, 75}, 0xFFFFFFF0u, true, 5000.0f / 361, 5},
      {"from the last tick", {30}, 0xFFFFFFFFu, true, 33.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Probe probe = RunProbe(c.drawTimes, c.startTick);
    EXPECT_EQ(probe.rateOk, c.rateOk);
    EXPECT_FLOAT_EQ(probe.frameRate, c.frameRate);
    EXPECT_EQ(probe.draws, c.draws);
  }
}

}  // namespace
