#include "view/keyboard_control.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/view/view_state.h"
#include "platform/system_numbers.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1234);

enum class Context { FullScreenSaver, SettingsDialog, ControlPanelPreview };

class KeyboardControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    ResetModuleTable();
    ApplyModule(1);
    Enter(Context::FullScreenSaver);
  }
  static void Enter(Context context) {
    g_bSaverWindow = context != Context::SettingsDialog;
    g_bFullScreen = context == Context::FullScreenSaver;
  }
  static void Press(unsigned key, unsigned message = kWmKeyDown) {
    EXPECT_EQ(HandleViewKey(kWindow, message, key), 0);
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
};

// Each steering key from the built-in view, with the value it moves set to `start`.
TEST_F(KeyboardControlTest, EachSteeringKeyMovesItsValue) {
  const struct { unsigned key; float* value; float start, expected; } cases[] = {
      // Distances move by a fiftieth of the depth in whole units: 192 / 50 -> 3.
      {kVkPrior, &g_fDepth, 192, 195},   {kVkNumpad9, &g_fDepth, 192, 195},
      {kVkNext, &g_fDepth, 192, 189},    {kVkNumpad3, &g_fDepth, 192, 189},
      {kVkLeft, &g_fHorz, 0, -3},        {kVkNumpad4, &g_fHorz, 0, -3},
      {kVkRight, &g_fHorz, 0, 3},        {kVkNumpad6, &g_fHorz, 0, 3},
      {kVkUp, &g_fVert, 0, 3},           {kVkNumpad8, &g_fVert, 0, 3},
      {kVkDown, &g_fVert, 0, -3},        {kVkNumpad2, &g_fVert, 0, -3},
      // Speed, kept inside its limits (the turns of F2 to F7 are end-to-end tests).
      {kVkF8, &g_fSpeed, 0.5f, 0.375f},  {kVkF9, &g_fSpeed, 0.5f, 0.625f},
      {kVkF8, &g_fSpeed, 0.125f, 0.0625f}, {kVkF8, &g_fSpeed, 0.0625f, 0.0625f},
      {kVkF9, &g_fSpeed, 10.0f, 10.0f},  {kVkF9, &g_fSpeed, 9.95f, 10.0f},
  };
  for (const auto& c : cases) {
    for (unsigned message : {kWmKeyDown, kWmSysKeyDown}) {
      SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.start << " message " << message);
      SetLiveView(kBuiltInView);
      *c.value = c.start;
      Press(c.key, message);
      EXPECT_EQ(*c.value, c.expected);
      EXPECT_FALSE(g_bStop);
    }
  }
}

TEST_F(KeyboardControlTest, StepsAreWorkedOutAfreshAtEachKey) {
  g_fDepth = 49.9f;
  Press(kVkPrior);
  EXPECT_FLOAT_EQ(g_fDepth, 50.2f) << "below 50 the step is 0.3";
  Press(kVkPrior);
  EXPECT_FLOAT_EQ(g_fDepth, 51.2f) << "from 50 on the step is 1";

  g_fDepth = 0.2f;
  Press(kVkNext);
  EXPECT_FLOAT_EQ(g_fDepth, -0.1f);
  Press(kVkNext);
  EXPECT_FLOAT_EQ(g_fDepth, -0.4f) << "behind the eye the fallback steps stay";
  Press(kVkLeft);
  EXPECT_FLOAT_EQ(g_fHorz, -0.1f);

  g_fDepth = 1e20f;  // far beyond any integer: the step is still a fiftieth
  Press(kVkPrior);
  EXPECT_FLOAT_EQ(g_fDepth, 1.02e20f);
}

TEST_F(KeyboardControlTest, StopRuleDependsOnWhereTheViewRuns) {
  // Enter, Esc, Shift and F12 on their own in the full-screen saver, and Esc
  // in the settings dialog, are end-to-end tests.
  constexpr Context kSaver = Context::FullScreenSaver, kDialog = Context::SettingsDialog;
  const struct { Context context; unsigned key; unsigned message; bool stops; } cases[] = {
      {kSaver, kVkEscape, kWmSysKeyDown, true},  {kSaver, kVkNumpad5, kWmKeyDown, true},
      {kSaver, kVkEscape, kWmKeyUp, false},      {kSaver, kVkF12, 258 /* WM_CHAR */, false},
      {kDialog, kVkReturn, kWmKeyDown, true},    {kDialog, kVkShift, kWmKeyDown, false},
      {kDialog, kVkF12, kWmKeyDown, false},      {kDialog, kVkNumpad5, kWmKeyDown, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.context) << " key " << c.key);
    g_bStop = false;
    Enter(c.context);
    Press(c.key, c.message);
    EXPECT_EQ(g_bStop, c.stops);
  }
}

TEST_F(KeyboardControlTest, NoKeyDoesAnythingInTheControlPanelPreview) {
  Enter(Context::ControlPanelPreview);
  platform.now = 777;
  for (unsigned key = 0; key < 256; ++key) Press(key);
  EXPECT_EQ(CurrentLiveView(), kBuiltInView);
  EXPECT_FALSE(g_bStop);
  EXPECT_EQ(g_dwCycleStart, 0u);
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(KeyboardControlTest, HomeRestoresTheBuiltInViewWithoutTouchingThePreset) {
  g_moduleTable.modules[1] = {300.0f, 1, 2, 3, 4, 5, 6, true};
  ApplyModule(1);
  for (unsigned key : {kVkNext, kVkLeft, kVkF3, kVkF6, kVkF9}) Press(key);
  Press(kVkHome);
  EXPECT_EQ(CurrentLiveView(), kBuiltInView);
  EXPECT_EQ(ViewOf(g_moduleTable.modules[1]), (LiveView{300.0f, 1, 2, 3, 4, 5, 6}));
}

TEST_F(KeyboardControlTest, BackspaceKeepsTheOnlyModuleAndRestartsTheCycleTimer) {
  const LiveView steered = {75.0f, 1.0f, -2.0f, 15.0f, 30.0f, 45.0f, 3.0f};
  SetLiveView(steered);
  platform.now = 0xFFFFFFF0u;
  Press(kVkBack);
  EXPECT_EQ(g_nCurrentModule, 1);
  EXPECT_EQ(CurrentLiveView(), steered);
  EXPECT_EQ(ViewOf(g_moduleTable.modules[1]), steered) << "stored on the way";
  EXPECT_EQ(g_dwCycleStart, 0xFFFFFFF0u);
  EXPECT_FALSE(g_bStop);
}

TEST_F(KeyboardControlTest, F11ShowsTheSevenLiveValues) {
  Press(kVkF11);
  const char* const dump =
      "g_fDepth 192.000000\ng_fHorz  0.000000\ng_fVert  0.000000\ng_fXrot  0.000000\n"
      "g_fYrot  0.000000\ng_fZrot  0.000000\ng_fSpeed 0.500000\n";
  EXPECT_EQ(platform.messageBoxes, (std::vector<RecordedMessageBox>{{kWindow, dump, "Params", kMbOk}}));
}

TEST_F(KeyboardControlTest, F1OpensTheControlMenuOnceAtATime) {
  platform.onDialog = [&](int) { Press(kVkF1); };  // already open: nothing happens
  Press(kVkF1);
  EXPECT_EQ(platform.dialogs, (std::vector<RecordedDialog>{{IDD_CONTROL_MENU, kWindow}}));

  platform.onDialog = nullptr;
  Press(kVkF1);
  EXPECT_EQ(platform.dialogs.size(), 2u) << "a closed menu opens again";
}

}  // namespace
