#include "view/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSaverState(); }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
};

// What is loaded is saved back as the very same integers: a view that nobody
// touches never drifts, not even where a float is coarser than a hundredth
// (beyond 13,107,200; 40.3 is the float 40.299999).  A value a key changed is
// saved as the view shows it.
TEST_F(SettingsTest, StoredHundredthsBecomeTheViewAndAreSavedBackUnchanged) {
  const std::pair<const char*, int32_t> stored[] = {{"mod1 horz", -10},  {"mod1 vert", 4030},  {"mod1 zrot", -16379},
                                                    {"mod1 speed", 37}, {"mod1 active", 1}, {"cycle time", 42}};
  for (const auto& [name, value] : stored) registry.PutSetting(name, value);
  LoadSettings();
  const LiveView expected = {192.0f, -0.1f, 40.3f, 0.0f, 0.0f, -163.79f, 0.37f};
  EXPECT_EQ(CurrentLiveView(), expected);
  EXPECT_EQ(ViewOf(g_moduleTable.defaults[1]), kBuiltInView) << "what Home restores never comes from the registry";
  SaveSettings();
  for (const auto& [name, value] : stored) EXPECT_EQ(registry.Setting(name), value) << name;
  EXPECT_EQ(registry.Setting("mod1 depth"), 19200) << "a missing value is saved as it was shown";
  EXPECT_EQ(registry.Settings().size(), 9u) << "\"enable sound\" is not written here";
  EXPECT_EQ(registry.OpenHandles(), 0u);

  for (int32_t value : {INT32_MAX, INT32_MIN, 13107201, -13107201, 2147483600}) {
    registry.PutSetting("mod1 xrot", value);
    LoadSettings();
    g_moduleTable.modules[1].vert -= 0.3f;
    SaveSettings();
    EXPECT_EQ(registry.Setting("mod1 xrot"), value);
    EXPECT_EQ(registry.Setting("mod1 vert"), 4000);
    registry.PutSetting("mod1 vert", 4030);
  }
}

// The speed is kept within its limits, a negative cycle time reads as the
// default, only 1 switches the sound on and a missing value leaves it as it
// was; a module is current only when its active value is above 0.
TEST_F(SettingsTest, SpeedCycleTimeAndFlagsAreReadWithinTheirRules) {
  g_bEnableSound = true;
  LoadSettings();
  EXPECT_TRUE(g_bEnableSound);
  const struct { const char* name; int32_t stored; float loaded; } cases[] = {
      {"mod1 speed", 6, 0.0625f}, {"mod1 speed", 7, 0.07f}, {"mod1 speed", 2000, 10.0f}, {"mod1 speed", -300, 0.0625f},
      {"cycle time", -5, 15},     {"cycle time", 0, 0},     {"enable sound", 2, 0},       {"enable sound", 1, 1},
      {"mod1 active", 2, 1},      {"mod1 active", 0, 0},    {"mod1 active", -1, 0}};
  for (const auto& c : cases) {
    registry.PutSetting(c.name, c.stored);
    LoadSettings();
    const float loaded = c.name[0] == 'c' ? g_nCycleTime : c.name[0] == 'e' ? g_bEnableSound
                         : c.name[5] == 's' ? g_fSpeed : g_nCurrentModule;
    EXPECT_EQ(loaded, c.loaded) << c.name << " " << c.stored;
  }
}

TEST_F(SettingsTest, AKeyThatCannotBeOpenedYieldsTheBuiltInSettings) {
  registry.failingRoots.insert(RegistryRoot::CurrentUser);
  LoadSettings();
  EXPECT_EQ(CurrentLiveView(), kBuiltInView);
  EXPECT_EQ(g_nCycleTime, 15);
}

TEST(Hundredths, RoundToTheNearestAndSaturateOutsideTheIntegerRange) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct { float value; int32_t stored; } cases[] = {
      {40.0f + 0.3f, 4030}, {-0.1f, -10}, {-0.006f, -1}, {1e30f, INT32_MAX}, {-inf, INT32_MIN}, {std::nanf(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(ToHundredths(c.value), c.stored) << c.value;
}

}  // namespace
