#include "view/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
const LiveView kBuiltIn = {192.0f, 0, 0, 0, 0, 0, 0.5f};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewState();
    SelectRegistryKey(reinterpret_cast<WindowHandle>(0x42), kSettingsKeyPath);
  }
  void Store(const char* name, int32_t value) { registry.PutDword(kUser, kSettingsKeyPath, name, value); }
  std::optional<int32_t> Stored(const char* name) const {
    return registry.Dword(kUser, kSettingsKeyPath, name);
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
};

TEST_F(SettingsTest, FirstRunCreatesTheEmptyKeyAndAppliesTheBuiltInModule) {
  LoadSettings();
  EXPECT_TRUE(registry.KeyExists(kUser, kSettingsKeyPath));
  EXPECT_EQ(registry.KeyClass(kUser, kSettingsKeyPath), platform.className);
  EXPECT_TRUE(registry.Values(kUser, kSettingsKeyPath).empty()) << "nothing written before a save";
  EXPECT_EQ(registry.OpenHandles(), 0u);
  EXPECT_EQ(g_nCurrentModule, 1);
  EXPECT_EQ(CurrentLiveView(), kBuiltIn);
  EXPECT_TRUE(g_moduleTable.modules[1].active);
  EXPECT_EQ(g_nCycleTime, 15);
  EXPECT_FALSE(g_bEnableSound);
}

TEST_F(SettingsTest, StoredHundredthsBecomeThePresetAndTheSentinelMeansMissing) {
  Store("mod1 depth", kMissingSetting);
  Store("mod1 horz", -10);
  Store("mod1 vert", -9998);
  Store("mod1 xrot", 150);
  Store("mod1 yrot", -36000);
  Store("mod1 zrot", 1);
  Store("mod1 speed", 37);
  LoadSettings();
  LiveView expected = {192.0f, -0.1f, -99.98f, 1.5f, -360.0f, 0.01f, 0.37f};
  EXPECT_EQ(ViewOf(g_moduleTable.modules[1]), expected);
  EXPECT_EQ(CurrentLiveView(), expected);
  EXPECT_EQ(ViewOf(g_moduleTable.defaults[1]), kBuiltIn) << "what Home restores never comes from the registry";
}

TEST_F(SettingsTest, StoredSpeedIsKeptInsideItsLimits) {
  const struct {
    int32_t stored;
    float loaded;
  } cases[] = {{0, 0.0625f},    {5, 0.0625f},    {6, 0.0625f},  {7, 0.07f},
               {1000, 10.0f},   {2000, 10.0f},   {-300, 0.0625f}, {kMissingSetting, 0.0625f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Store("mod1 speed", c.stored);
    LoadSettings();
    EXPECT_EQ(g_fSpeed, c.loaded);
  }
}

TEST_F(SettingsTest, ActiveFlagDecidesWhetherAModuleIsCurrent) {
  const struct {
    int32_t stored;
    bool active;
  } cases[] = {{1, true}, {2, true}, {kMissingSetting, true}, {0, false}, {-1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ResetViewState();
    Store("mod1 active", c.stored);
    Store("mod1 depth", 1000);
    LoadSettings();
    EXPECT_EQ(g_moduleTable.modules[1].active, c.active);
    EXPECT_EQ(g_nCurrentModule, c.active ? 1 : 0);
    // With no module current the live view keeps its process-start values.
    EXPECT_EQ(g_fDepth, c.active ? 10.0f : 40.0f);
    EXPECT_EQ(g_fXrot, c.active ? 0.0f : -90.0f);
  }
}

TEST_F(SettingsTest, CycleTimeAndSoundFlag) {
  for (auto [stored, loaded] : {std::pair{-5, 15}, std::pair{0, 0}, std::pair{90, 90}}) {
    Store("cycle time", stored);
    LoadSettings();
    EXPECT_EQ(g_nCycleTime, loaded) << stored;
  }
  const struct {
    bool before;
    std::optional<int32_t> stored;
    bool loaded;
  } soundCases[] = {{false, 1, true}, {true, 0, false},           {false, 2, false},
                    {true, 2, false}, {true, std::nullopt, true}, {false, std::nullopt, false}};
  for (const auto& c : soundCases) {
    SCOPED_TRACE(testing::Message() << c.before << " " << c.stored.value_or(-1));
    MemoryRegistry fresh;
    ScopedRegistryBackend scoped(fresh);
    if (c.stored) fresh.PutDword(kUser, kSettingsKeyPath, "enable sound", *c.stored);
    g_bEnableSound = c.before;
    LoadSettings();
    EXPECT_EQ(g_bEnableSound, c.loaded);
  }
}

TEST_F(SettingsTest, AKeyThatCannotBeOpenedYieldsTheBuiltInSettings) {
  registry.failingRoots.insert(kUser);
  LoadSettings();
  EXPECT_EQ(CurrentLiveView(), kBuiltIn);
  EXPECT_EQ(g_nCycleTime, 15);
  EXPECT_FALSE(registry.KeyExists(kUser, kSettingsKeyPath));
}

TEST_F(SettingsTest, SaveWritesEveryValueAsRoundedHundredths) {
  g_moduleTable.modules[1] = {40.0f + 0.3f, -0.1f, 2.68f, 1.5f, -0.01f, 359.994f, 0.0625f, false};
  g_nCycleTime = 42;
  SaveSettings();
  const std::pair<std::string, int32_t> expected[] = {
      {"cycle time", 42}, {"mod1 active", 0}, {"mod1 depth", 4030}, {"mod1 horz", -10},
      {"mod1 speed", 6},  {"mod1 vert", 268}, {"mod1 xrot", 150},   {"mod1 yrot", -1},
      {"mod1 zrot", 35999}};
  auto values = registry.Values(kUser, kSettingsKeyPath);
  EXPECT_EQ(values.size(), std::size(expected)) << "\"enable sound\" is not written here";
  for (const auto& [name, value] : expected) EXPECT_EQ(Stored(name.c_str()), value) << name;
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(Hundredths, EveryIntegerAFloatCanHoldSurvivesALoadAndASave) {
  int failures = 0;
  auto check = [&](int32_t stored) {
    if (failures < 5 && ToHundredths(FromHundredths(stored)) != stored) {
      ADD_FAILURE() << stored << " saves back as " << ToHundredths(FromHundredths(stored));
      ++failures;
    }
  };
  for (int32_t stored = -200000; stored <= 200000; ++stored) check(stored);
  for (int32_t stored = 200000; stored <= 13000000; stored += 9973) {
    check(stored);
    check(-stored);
  }
  // Beyond that floats are coarser than a hundredth: the first save settles on
  // an integer that later loads and saves keep.
  for (int32_t stored : {16777217, 123456789, INT32_MAX, INT32_MIN}) {
    int32_t once = ToHundredths(FromHundredths(stored));
    EXPECT_EQ(ToHundredths(FromHundredths(once)), once) << stored;
  }
}

TEST(Hundredths, RoundToTheNearestAndSaturateOutsideTheIntegerRange) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    int32_t stored;
  } cases[] = {{40.0f + 0.3f, 4030}, {-0.1f, -10},       {1.5f, 150},      {0.004f, 0},
               {-0.006f, -1},        {1e30f, INT32_MAX}, {-1e30f, INT32_MIN}, {inf, INT32_MAX},
               {-inf, INT32_MIN},    {std::nanf(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(ToHundredths(c.value), c.stored) << c.value;
}

}  // namespace
