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
  g_pClock->now += g_nDraws < g_drawTimes.size() ? g_drawTimes[g_nDraws] : 0;
  ++g_nDraws;
  return true;
}

TEST(ProbeFrameRate, JudgesByOneDrawOrFiveAtItsExactBoundariesAcrossTheClockWrap) {
  // What each draw takes from which start tick, and the verdict, rate and draws.
  struct Case { const char* what; std::vector<uint32_t> drawTimes; uint32_t startTick;
                bool rateOk; float frameRate; size_t draws; };
  const Case cases[] = {
      {"exactly 50 ms is fast enough", {50}, 5000, true, 33.0f, 1},
      {"51 ms takes a closer look", {51, 50, 50, 50, 50}, 5000, true, 5000.0f / 252, 5},
      {"exactly 200 ms takes a closer look", {200, 0, 0, 0, 0}, 5000, true, 5000.0f / 201, 5},
      {"201 ms: 4.98, too slow at once", {201}, 5000, false, 1000.0f / 201, 1},
      {"just above 12 frames a second", {100, 100, 100, 100, 15}, 5000, true, 5000.0f / 416, 5},
      {"just below 12 frames a second", {100, 100, 100, 100, 16}, 5000, false, 5000.0f / 417, 5},
      {"across the clock's wrap", {60, 75, 75, 75, 75}, 0xFFFFFFF0u, true, 5000.0f / 361, 5},
  };
  FakePlatform platform;
  ScopedPlatform scoped(platform);
  g_pClock = &platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.now = c.startTick;
    g_drawTimes = c.drawTimes;
    g_nDraws = 0;
    g_bRateOk = !c.rateOk;  // each verdict is set, never left as it was
    g_fFrameRate = -1.0f;
    ProbeFrameRate(TimedDraw);
    EXPECT_EQ(g_bRateOk, c.rateOk);
    EXPECT_FLOAT_EQ(g_fFrameRate, c.frameRate);
    EXPECT_EQ(g_nDraws, c.draws);
  }
}

}  // namespace
