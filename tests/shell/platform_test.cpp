#include "shell/platform.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

TEST(PlatformSeam, InstalledServicesAreTheOnesInForce) {
  FakePlatform fake;
  ScopedPlatform scoped(fake);
  fake.now = 1234;
  EXPECT_EQ(Platform().TickCount(), 1234u);
  Platform().Sleep(20);
  EXPECT_EQ(Platform().TickCount(), 1254u);
}
