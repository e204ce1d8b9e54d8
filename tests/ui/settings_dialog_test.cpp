// The settings dialog's own part: its controls and commands.  The preview is
// the shared frame loop (tests/shell/frame_loop_test.cpp).
#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

// The dialog's controls, recorded instead of shown.
class FakeSettingsHost : public SettingsDialogHost {
 public:
  int paneWindow = 0;  // its address is the preview pane's handle, the host's the dialog's
  std::map<int, bool> checked;
  std::map<int, std::string> texts;
  std::vector<intptr_t> endings;

  WindowHandle Dialog() override { return this; }
  WindowHandle Control(int control) override { return control == IDC_PREVIEW_PANE ? &paneWindow : nullptr; }
  void CentreOnDesktop() override {}
  void EndDialog(intptr_t result) override { endings.push_back(result); }
  void SetChecked(int control, bool on) override { checked[control] = on; }
  void SetSpinRange(int, int, int) override {}
  void SetText(int control, const char* text) override { texts[control] = text; }
  void GetText(int control, char* buffer, int size) override {
    buffer[texts[control].copy(buffer, static_cast<size_t>(size - 1))] = '\0';
  }
};

class SettingsDialog : public testing::Test {
 protected:
  SettingsDialog() {
    ResetSaverState();
    platform_.settings = &registry_;
    platform_.surface = &scene_;
    InstallPlatform(platform_);
  }

  FakePlatform platform_;
  MemoryRegistry registry_;
  FakeScene scene_;
  FakeSettingsHost host_;
  ScopedPlatform scoped_{platform_};
};

TEST_F(SettingsDialog, OpeningShowsTheSettingsAndOkSavesThemWithTheSteeredView) {
  registry_.PutSetting("cycle time", 42);
  StartFrameLoop(host_);
  EXPECT_EQ(scene_.surfaceWindow, &host_.paneWindow);
  EXPECT_TRUE(host_.checked[IDC_MODULE1_CHECKBOX]);
  EXPECT_EQ(host_.texts[IDC_CYCLE_TIME_EDIT], "42");

  g_fDepth = 189.0f;
  // Nine characters of the cycle time count: the number always fits.
  const std::pair<const char*, int32_t> cycleTimes[] = {
      {"1234567890", 123456789}, {"abc", 0}, {"12x4", 12}, {"-1234567890", -12345678}};
  for (const auto& [text, stored] : cycleTimes) {
    host_.texts[IDC_CYCLE_TIME_EDIT] = text;
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("cycle time"), stored) << text;
  }
  EXPECT_EQ(registry_.Setting("mod1 depth"), 18900);
  EXPECT_EQ(registry_.Setting("enable sound"), 0);
}

// Cancel ends the dialog with 1 and writes nothing; a close request that
// follows it ends nothing again.
TEST_F(SettingsDialog, CancelEndsTheDialogOnceWithoutSaving) {
  registry_.PutSetting("mod1 active", 0);
  StartFrameLoop(host_);
  EXPECT_FALSE(host_.checked[IDC_MODULE1_CHECKBOX]);
  HandleSettingsCommand(host_, kIdCancel);
  HandleCloseRequest(host_);
  EXPECT_EQ(host_.endings, std::vector<intptr_t>{1});
  EXPECT_EQ(registry_.Settings().size(), 1u);
}

// A slow machine's advice comes behind the first frame, as a command; below
// three frames a second it also switches the world off.
TEST_F(SettingsDialog, LowFrameRateAdvisesAndBelowThreeSwitchesTheWorldOff) {
  for (float rate : {5.0f, 2.5f}) {
    platform_.posted.clear();
    scene_.probedRateOk = false;
    scene_.probedRate = rate;
    StartFrameLoop(host_);
    ASSERT_EQ(platform_.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmCommand}));
    HandleSettingsCommand(host_, static_cast<int>(platform_.posted[1].wParam));
    EXPECT_EQ(platform_.dialogs.back(), (RecordedDialog{IDD_ADVICE, host_.Dialog()}));
    EXPECT_EQ(host_.checked[IDC_MODULE1_CHECKBOX], rate > 3.0f) << rate;
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("mod1 active"), rate > 3.0f ? 1 : 0) << rate;
    g_bStop = false;
  }
  HandleSettingsCommand(host_, IDC_ABOUT_BUTTON);
  EXPECT_EQ(platform_.dialogs.back(), (RecordedDialog{IDD_ABOUT, host_.Dialog()}));
}

}  // namespace
