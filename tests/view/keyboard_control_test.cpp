#include "view/keyboard_control.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system_numbers.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/view/view_state.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1234);
enum Where { kSaver, kDialog };  // the full-screen saver, the settings dialog

class KeyboardControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSaverState();
    ResetModuleTable();
    ApplyModule(1);
    g_bSaverWindow = g_bFullScreen = true;
  }
  static void Press(unsigned key) { HandleViewKey(kWindow, kWmKeyDown, key); }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
};

// One key from the built-in view (depth 192) with the value it moves set to
// `start` first: what the value becomes and whether the run stops.
TEST_F(KeyboardControlTest, EachKeyMovesItsValueOrStopsByWhereTheViewRuns) {
  struct Case {
    unsigned key;
    float* value;
    float start, expected;
    bool stops = false;
    Where where = kSaver;
    unsigned message = kWmKeyDown;
    float depth = 192.0f;
  } const cases[] = {
      // Distances move by a fiftieth of the depth in whole units (192 / 50 -> 3),
      // worked out afresh at each key; close in by 0.3 and 0.1, behind the eye too.
      {kVkPrior, &g_fDepth, 192, 195}, {kVkNumpad9, &g_fDepth, 192, 195},
      {kVkNext, &g_fDepth, 192, 189},  {kVkNumpad3, &g_fDepth, 192, 189},
      {kVkLeft, &g_fHorz, 0, -3},      {kVkNumpad4, &g_fHorz, 0, -3},
      {kVkRight, &g_fHorz, 0, 3},      {kVkNumpad6, &g_fHorz, 0, 3},
      {kVkUp, &g_fVert, 0, 3},         {kVkNumpad8, &g_fVert, 0, 3, false, kSaver, kWmSysKeyDown},
      {kVkDown, &g_fVert, 0, -3},      {kVkNumpad2, &g_fVert, 0, -3, false, kDialog},
      {kVkPrior, &g_fDepth, 49.9f, 50.2f}, {kVkPrior, &g_fDepth, 50.2f, 51.2f},
      {kVkNext, &g_fDepth, 0.2f, -0.1f},   {kVkNext, &g_fDepth, -0.1f, -0.4f},
      {kVkLeft, &g_fHorz, 0, -0.1f, false, kSaver, kWmKeyDown, 0.2f},
      {kVkPrior, &g_fDepth, 1e20f, 1.02e20f},  // far beyond any integer: still a fiftieth
      // Speed stays inside its limits (its steps and the turns of F2 to F7 are end-to-end tests).
      {kVkF8, &g_fSpeed, 0.125f, 0.0625f}, {kVkF8, &g_fSpeed, 0.0625f, 0.0625f},
      {kVkF9, &g_fSpeed, 9.95f, 10.0f},
      // A key without a meaning stops the saver, not the dialog; only key presses count.
      // (Enter, Esc and F12 in the full-screen saver are end-to-end tests.)
      {kVkEscape, nullptr, 0, 0, true, kSaver, kWmSysKeyDown}, {kVkNumpad5, nullptr, 0, 0, true},
      {kVkEscape, nullptr, 0, 0, false, kSaver, kWmKeyUp},     {kVkF12, nullptr, 0, 0, false, kSaver, 258},
      {kVkReturn, nullptr, 0, 0, true, kDialog},  {kVkShift, nullptr, 0, 0, false, kDialog},
      {kVkF12, nullptr, 0, 0, false, kDialog},    {kVkNumpad5, nullptr, 0, 0, false, kDialog},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.start << " in " << c.where);
    SetLiveView(kBuiltInView);
    g_fDepth = c.depth;
    if (c.value) *c.value = c.start;
    g_bStop = false;
    g_bSaverWindow = c.where != kDialog;
    EXPECT_EQ(HandleViewKey(kWindow, c.message, c.key), 0);
    EXPECT_FLOAT_EQ(c.value ? *c.value : 0.0f, c.expected);
    EXPECT_EQ(g_bStop, c.stops);
  }
}

TEST_F(KeyboardControlTest, NoKeyDoesAnythingInTheControlPanelPreview) {
  g_bFullScreen = false;
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
  for (unsigned key : {kVkNext, kVkLeft, kVkF3, kVkF6, kVkF9, kVkHome}) Press(key);
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

// F11's box shows the live values; F1's menu opens once at a time.
TEST_F(KeyboardControlTest, F11ShowsTheSevenLiveValuesAndF1OpensTheMenuOnceAtATime) {
  Press(kVkF11);
  const char* const dump =
      "g_fDepth 192.000000\ng_fHorz  0.000000\ng_fVert  0.000000\ng_fXrot  0.000000\n"
      "g_fYrot  0.000000\ng_fZrot  0.000000\ng_fSpeed 0.500000\n";
  EXPECT_EQ(platform.messageBoxes, (std::vector<RecordedMessageBox>{{kWindow, dump, "Params", kMbOk}}));

  platform.onDialog = [&](int) { Press(kVkF1); };  // already open: nothing happens
  Press(kVkF1);
  platform.onDialog = nullptr;
  Press(kVkF1);  // a closed menu opens again
  EXPECT_EQ(platform.dialogs, (std::vector<RecordedDialog>(2, {IDD_CONTROL_MENU, kWindow})));
}

}  // namespace
