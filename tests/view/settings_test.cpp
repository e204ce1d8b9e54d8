#include "view/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    SelectRegistryKey(reinterpret_cast<WindowHandle>(0x42), kSettingsKeyPath);
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
};

// What is loaded is saved back as the very same integers: a view that nobody
// touches never drifts (40.3 is the float 40.299999; -163.79 drifts even when
// the hundredths are worked out in float).
TEST_F(SettingsTest, StoredHundredthsBecomeThePresetAndAreSavedBackUnchanged) {
  const std::pair<const char*, int32_t> stored[] = {
      {"mod1 horz", -10}, {"mod1 vert", 4030},  {"mod1 xrot", 150},   {"mod1 yrot", -36000},
      {"mod1 zrot", -16379},   {"mod1 speed", 37},   {"mod1 active", 1},   {"cycle time", 42}};
  for (const auto& [name, value] : stored) registry.PutSetting(name, value);
  registry.PutSetting("mod1 depth", kMissingSetting);
  LoadSettings();
  const LiveView expected = {192.0f, -0.1f, 40.3f, 1.5f, -360.0f, -163.79f, 0.37f};
  EXPECT_EQ(ViewOf(g_moduleTable.modules[1]), expected);
  EXPECT_EQ(CurrentLiveView(), expected);
  EXPECT_EQ(ViewOf(g_moduleTable.defaults[1]), kBuiltInView) << "what Home restores never comes from the registry";

  SaveSettings();
  for (const auto& [name, value] : stored) EXPECT_EQ(registry.Setting(name), value) << name;
  EXPECT_EQ(registry.Setting("mod1 depth"), 19200) << "a missing value is saved as it was shown";
  EXPECT_EQ(registry.Settings().size(), 9u) << "\"enable sound\" is not written here";
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// Beyond 13,107,200 hundredths a float is coarser than a hundredth (INT32_MAX
// and 2147483600 load as one float), yet a value no key changed saves back
// unchanged; one that a key changed saves as the view shows it.
TEST_F(SettingsTest, ValuesNoKeyChangedSaveBackAsTheIntegersLoaded) {
  const std::pair<const char*, int32_t> stored[] = {
      {"mod1 depth", INT32_MAX}, {"mod1 horz", INT32_MIN}, {"mod1 vert", 13107201},
      {"mod1 xrot", -13107201},  {"mod1 yrot", 2147483600}};
  for (const auto& [name, value] : stored) registry.PutSetting(name, value);
  registry.PutSetting("mod1 zrot", 4030);
  LoadSettings();
  g_moduleTable.modules[1].zrot -= 0.3f;
  SaveSettings();
  for (const auto& [name, value] : stored) EXPECT_EQ(registry.Setting(name), value) << name;
  EXPECT_EQ(registry.Setting("mod1 zrot"), 4000);
}

TEST_F(SettingsTest, StoredSpeedIsKeptInsideItsLimits) {
  const struct { int32_t stored; float loaded; } cases[] = {
      {0, 0.0625f}, {6, 0.0625f}, {7, 0.07f}, {1000, 10.0f}, {2000, 10.0f}, {-300, 0.0625f},
      {kMissingSetting, 0.0625f}};
  for (const auto& c : cases) {
    registry.PutSetting("mod1 speed", c.stored);
    LoadSettings();
    EXPECT_EQ(g_fSpeed, c.loaded) << c.stored;
  }
}

TEST_F(SettingsTest, ActiveFlagDecidesWhetherAModuleIsCurrent) {
  const struct { int32_t stored; bool active; } cases[] = {
      {1, true}, {2, true}, {kMissingSetting, true}, {0, false}, {-1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ResetSaverState();
    registry.PutSetting("mod1 active", c.stored);
    registry.PutSetting("mod1 depth", 1000);
    LoadSettings();
    EXPECT_EQ(g_moduleTable.modules[1].active, c.active);
    EXPECT_EQ(g_nCurrentModule, c.active ? 1 : 0);
    // With no module current the live view keeps its process-start values.
    EXPECT_EQ(g_fDepth, c.active ? 10.0f : 40.0f);
  }
}

TEST_F(SettingsTest, CycleTimeAndSoundFlag) {
  for (auto [stored, loaded] : {std::pair{-5, 15}, std::pair{0, 0}, std::pair{90, 90}}) {
    registry.PutSetting("cycle time", stored);
    LoadSettings();
    EXPECT_EQ(g_nCycleTime, loaded) << stored;
  }
  // Only 1 switches the sound on; a missing value leaves the flag as it was.
  const struct { bool before; std::optional<int32_t> stored; bool loaded; } soundCases[] = {
      {false, 1, true}, {true, 0, false}, {true, 2, false}, {true, std::nullopt, true},
      {false, std::nullopt, false}};
  for (const auto& c : soundCases) {
    SCOPED_TRACE(testing::Message() << c.before << " " << c.stored.value_or(-1));
    MemoryRegistry fresh;
    ScopedPlatform scoped(WithSettings(fresh));
    if (c.stored) fresh.PutSetting("enable sound", *c.stored);
    g_bEnableSound = c.before;
    LoadSettings();
    EXPECT_EQ(g_bEnableSound, c.loaded);
  }
}

TEST_F(SettingsTest, AKeyThatCannotBeOpenedYieldsTheBuiltInSettings) {
  registry.failingRoots.insert(RegistryRoot::CurrentUser);
  LoadSettings();
  EXPECT_EQ(CurrentLiveView(), kBuiltInView);
  EXPECT_EQ(g_nCycleTime, 15);
}

TEST(Hundredths, EveryIntegerAFloatCanHoldSurvivesALoadAndASave) {
  auto roundTrip = [](int32_t stored) { return ToHundredths(FromHundredths(stored)); };
  std::vector<int32_t> drifting;
  for (int32_t stored = -200000; stored <= 200000; ++stored) {
    if (roundTrip(stored) != stored) drifting.push_back(stored);
  }
  for (int32_t stored = 200000; stored <= 13000000; stored += 9973) {
    if (roundTrip(stored) != stored || roundTrip(-stored) != -stored) drifting.push_back(stored);
  }
  EXPECT_TRUE(drifting.empty()) << drifting.size() << " values drift, the first " << drifting[0];
  // Beyond that floats are coarser than a hundredth: the first save settles on
  // an integer that later loads and saves keep.
  for (int32_t stored : {16777217, 123456789, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(roundTrip(roundTrip(stored)), roundTrip(stored)) << stored;
  }
}

TEST(Hundredths, RoundToTheNearestAndSaturateOutsideTheIntegerRange) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct { float value; int32_t stored; } cases[] = {{40.0f + 0.3f, 4030}, {-0.1f, -10},       {1.5f, 150},      {0.004f, 0},
               {-0.006f, -1},        {1e30f, INT32_MAX}, {-1e30f, INT32_MIN}, {inf, INT32_MAX},
               {-inf, INT32_MIN},    {std::nanf(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(ToHundredths(c.value), c.stored) << c.value;
}

}  // namespace
