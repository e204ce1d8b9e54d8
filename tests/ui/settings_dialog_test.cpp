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
    size_t length = texts[control].copy(buffer, static_cast<size_t>(size - 1));
    buffer[length] = '\0';
  }
};

class SettingsDialog : public testing::Test {
 protected:
  SettingsDialog() {
    ResetSaverState();
    g_bSaverWindow = true;
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

TEST_F(SettingsDialog, OpeningShowsTheSettingsAndStartsThePreviewOnThePane) {
  registry_.PutSetting("mod1 active", 0);
  registry_.PutSetting("cycle time", 42);
  scene_.probedRateOk = false;
  scene_.probedRate = 9.5f;

  StartFrameLoop(host_);

  EXPECT_FALSE(g_bSaverWindow);
  EXPECT_EQ(scene_.surfaceWindow, &host_.paneWindow);
  EXPECT_FALSE(host_.checked[IDC_MODULE1_CHECKBOX]);
  EXPECT_EQ(host_.texts[IDC_CYCLE_TIME_EDIT], "42");
  // A slow machine's advice comes behind the first frame, as a command.
  ASSERT_EQ(platform_.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmCommand}));
  EXPECT_EQ(platform_.posted[1].wParam, static_cast<uintptr_t>(CommandLowFrameRate));
}

TEST_F(SettingsDialog, OkSavesTheSteeredViewAndNineCharactersOfTheCycleTime) {
  const std::pair<const char*, int32_t> cases[] = {
      {"1234567890", 123456789}, {"", 0}, {"abc", 0}, {"-42", -42}, {"12x4", 12}, {"-1234567890", -12345678},
  };
  StartFrameLoop(host_);
  g_fDepth = 189.0f;
  for (const auto& [text, stored] : cases) {
    host_.texts[IDC_CYCLE_TIME_EDIT] = text;
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("cycle time"), stored) << text;
  }
  EXPECT_EQ(registry_.Setting("mod1 depth"), 18900);
  EXPECT_EQ(registry_.Setting("enable sound"), 0);
  EXPECT_TRUE(g_bStop);
}

// Cancel and the close button end the dialog with 1 and write nothing.
TEST_F(SettingsDialog, CancelEndsTheDialogOnceWithoutSaving) {
  StartFrameLoop(host_);
  platform_.queue.clear();
  HandleSettingsCommand(host_, kIdCancel);
  HandleCloseRequest(host_);
  HandleCloseRequest(host_);
  EXPECT_EQ(host_.endings, std::vector<intptr_t>{1});
  EXPECT_TRUE(registry_.Settings().empty());
}

TEST_F(SettingsDialog, LowFrameRateAdvisesAndBelowThreeSwitchesTheWorldOff) {
  for (float rate : {5.0f, 2.5f}) {
    SCOPED_TRACE(rate);
    platform_.dialogs.clear();
    scene_.probedRateOk = false;
    scene_.probedRate = rate;
    StartFrameLoop(host_);
    const bool switchedOff = rate < 3.0f;

    HandleSettingsCommand(host_, CommandLowFrameRate);

    EXPECT_EQ(platform_.dialogs, (std::vector<RecordedDialog>{{IDD_ADVICE, host_.Dialog()}}));
    EXPECT_EQ(host_.checked[IDC_MODULE1_CHECKBOX], !switchedOff);
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("mod1 active"), switchedOff ? 0 : 1);
    g_bStop = false;
  }
  HandleSettingsCommand(host_, IDC_ABOUT_BUTTON);
  EXPECT_EQ(platform_.dialogs.back(), (RecordedDialog{IDD_ABOUT, host_.Dialog()}));
}

}  // namespace
