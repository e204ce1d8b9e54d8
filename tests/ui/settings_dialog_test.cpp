#include "ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/run_state.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"
#include "view/virtual_keys.h"

namespace {

// The dialog's controls, recorded instead of shown.
class FakeSettingsHost : public SettingsDialogHost {
 public:
  int dialogWindow = 0;  // its address is the dialog's handle
  int paneWindow = 0;    // and this one the preview pane's
  std::map<int, bool> checked;
  std::map<int, std::string> texts;
  std::vector<intptr_t> endings;

  WindowHandle Dialog() override { return &dialogWindow; }
  WindowHandle Control(int control) override { return control == kPreviewPane ? &paneWindow : nullptr; }
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
    // What the dialog's own modal loop does with a message the drain dispatches.
    platform_.onDispatch = [this](const WindowMessage& m) {
      if (m.message == kWmCommand) HandleSettingsCommand(host_, static_cast<int>(m.wParam & 0xFFFF));
      if (m.message == WM_RENDER_FRAME) HandleSettingsFrame(host_);
      if (m.message == kWmClose) CloseSettingsDialog(host_);
    };
  }

  // Opens the dialog and takes the first frame message off the queue.
  void Open() {
    InitSettingsDialog(host_);
    platform_.queue.clear();
    platform_.posted.clear();
  }
  void Queue(unsigned message, uintptr_t wParam) { platform_.Queue(host_.Dialog(), message, wParam); }

  FakePlatform platform_;
  ScopedPlatform scopedPlatform_{platform_};
  MemoryRegistry registry_;
  ScopedRegistryBackend scopedRegistry_{registry_};
  FakeScene scene_;
  ScopedScene scopedScene_{scene_};
  FakeSettingsHost host_;
};

TEST_F(SettingsDialog, OpeningShowsTheSettingsAndStartsThePreviewOnThePane) {
  scene_.probedRateOk = false;
  scene_.probedRate = 9.5f;

  EXPECT_TRUE(InitSettingsDialog(host_));

  EXPECT_FALSE(g_bSaverWindow);
  EXPECT_EQ(g_registryStore.keyClass, platform_.className);
  EXPECT_EQ(scene_.calls, (std::vector<std::string>{"create 32", "probe"}));
  EXPECT_EQ(scene_.surfaceWindow, host_.Control(kPreviewPane));
  // A slow machine's advice comes behind the first frame, as a command.
  ASSERT_EQ(platform_.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmCommand}));
  EXPECT_EQ(platform_.posted[1].wParam, static_cast<uintptr_t>(CommandLowFrameRate));
}

TEST_F(SettingsDialog, FailedSurfaceClosesWithoutProbeFrameOrSave) {
  scene_.surfaceWorks = false;
  InitSettingsDialog(host_);
  EXPECT_EQ(scene_.calls, std::vector<std::string>{"create 32"});
  ASSERT_EQ(platform_.PostedIds(), std::vector<unsigned>{kWmClose});

  platform_.onDispatch(platform_.queue.back());
  EXPECT_EQ(host_.endings, std::vector<intptr_t>{1});
  EXPECT_TRUE(registry_.Settings().empty());
}

TEST_F(SettingsDialog, OkReadsNineCharactersOfTheCycleTimeWithoutLimits) {
  const std::pair<const char*, int32_t> cases[] = {
      {"1234567890", 123456789}, {"", 0}, {"abc", 0}, {"-42", -42}, {"12x4", 12}, {"-1234567890", -12345678},
  };
  Open();
  for (const auto& [text, stored] : cases) {
    host_.texts[kCycleTimeEdit] = text;
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("cycle time"), stored) << text;
  }
}

TEST_F(SettingsDialog, StopsInThePreviewCloseOnceAndSaveNothing) {
  const std::pair<unsigned, uintptr_t> stops[] = {
      {kWmClose, 0}, {kWmKeyDown, kVkEscape}, {kWmKeyDown, kVkReturn}, {kWmCommand, kIdCancel}};
  for (const auto& [message, wParam] : stops) {
    SCOPED_TRACE(testing::Message() << message << " " << wParam);
    ResetSaverState();
    host_.endings.clear();
    Open();
    Queue(message, wParam);
    Queue(kWmKeyDown, kVkNext);  // not taken once the stop is set

    HandleSettingsFrame(host_);

    EXPECT_FLOAT_EQ(g_fDepth, 192.0f);
    ASSERT_EQ(platform_.PostedIds(), std::vector<unsigned>{kWmClose});
    platform_.onDispatch(platform_.queue.back());
    platform_.onDispatch(platform_.queue.back());  // a second close changes nothing
    HandleSettingsFrame(host_);                    // nor does a frame still queued
    EXPECT_EQ(host_.endings, std::vector<intptr_t>{1});
    EXPECT_TRUE(registry_.Settings().empty());
  }
  EXPECT_EQ(platform_.framesPresented, 0);
  EXPECT_EQ(scene_.Count("destroy"), 4);
}

TEST_F(SettingsDialog, StopOutsideAFrameAsksForTheCloseItself) {
  Open();
  HandleSettingsCommand(host_, kIdCancel);
  EXPECT_EQ(platform_.PostedIds(), std::vector<unsigned>{kWmClose});
}

TEST_F(SettingsDialog, FrameMessageInsideAModalChildDialogDoesNothing) {
  Open();
  // The About dialog's own loop dispatches the frame message that was waiting.
  platform_.onDialog = [this](int) { HandleSettingsFrame(host_); };
  Queue(kWmCommand, kAboutButton);

  HandleSettingsFrame(host_);

  EXPECT_EQ(platform_.dialogs, (std::vector<RecordedDialog>{{IDD_ABOUT, host_.Dialog()}}));
  EXPECT_EQ(platform_.framesPresented, 1);
  EXPECT_EQ(platform_.PostedIds(), std::vector<unsigned>{WM_RENDER_FRAME});
}

TEST_F(SettingsDialog, LowFrameRateAdvisesAndBelowThreeSwitchesTheWorldOff) {
  for (float rate : {5.0f, 2.5f}) {
    SCOPED_TRACE(rate);
    platform_.dialogs.clear();
    platform_.queue.clear();
    scene_.probedRateOk = false;
    scene_.probedRate = rate;
    InitSettingsDialog(host_);
    const bool switchedOff = rate < 3.0f;

    HandleSettingsFrame(host_);  // meets the command in its drain

    EXPECT_EQ(platform_.dialogs, (std::vector<RecordedDialog>{{IDD_ADVICE, host_.Dialog()}}));
    EXPECT_EQ(g_moduleTable.modules[1].active, !switchedOff);
    EXPECT_EQ(host_.checked[kModule1CheckBox], !switchedOff);
    HandleSettingsCommand(host_, kIdOk);
    EXPECT_EQ(registry_.Setting("mod1 active"), switchedOff ? 0 : 1);
    g_bStop = false;
  }
  // The preview below three frames per second shows the blank scene.
  EXPECT_EQ(scene_.Count("blank"), 1);
  EXPECT_EQ(scene_.Count("world"), 1);
}

}  // namespace
