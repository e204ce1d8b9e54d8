#include "platform/centred_origin.h"

#include <gtest/gtest.h>

namespace {

// Along a 1280-pixel screen, with the whole screen or 40..1240 (task bars at
// both sides) as the work area.
TEST(CentredOrigin, CentresWhatFitsAndKeepsTheStartOfALargerWindowOnScreen) {
  const struct { int32_t near, far, workNear, workFar, origin; } cases[] = {
      {0, 400, 0, 1280, 440},     {-900, -500, 40, 1240, 440},  // fits: centred on the desktop
      {0, 1279, 0, 1280, 0},      {0, 1283, -8, 1300, -1},      // rounded toward zero
      {0, 1200, 40, 1240, 40},    {500, 1701, 40, 1240, 40},    // fits, then one pixel too wide
      {0, 1407, 0, 1280, 0},      {0, 1407, 40, 1240, 40},      // 200% scale: not at -63
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CentredOrigin(1280, c.near, c.far, c.workNear, c.workFar), c.origin)
        << c.near << ".." << c.far << " in " << c.workNear << ".." << c.workFar;
  }
}

}  // namespace
