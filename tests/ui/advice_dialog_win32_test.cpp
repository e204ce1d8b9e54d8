// The advice dialog on the real dialog manager, from the product's own template
// (its layout is the resource script's business).
#include "ui/advice_dialog_win32.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/run_state.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/win32_helpers.h"
#include "ui/advice_dialog.h"
#include "ui/run_once.h"
#include "view/registry_store.h"

namespace {

// Whether `upper` lies above `lower` in the z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == upper) return true;
    if (window == lower) return false;
  }
  return false;
}

class AdviceDialog : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(product_.module(), nullptr);
    g_fFrameRate = 2.54f;
    g_hSaverWindow = nullptr;
    g_registryStore = RegistryStore{kSettingsKeyPath, ""};
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    g_fFrameRate = 33.0f;
    g_hSaverWindow = nullptr;
  }
  HWND Open() {
    dialog_ = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_ADVICE), nullptr, AdviceDialogProc, 0);
    return dialog_;
  }

  ProductResources product_;
  HWND dialog_ = nullptr;
};

TEST_F(AdviceDialog, ShowsTheRateAndRemoveSchedulesTheUninstallerBelowTheSaver) {
  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, kFrameRateText)), "The current frame rate is:\n2.5 frames per second.");
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
  HWND saver = CreateWindowExA(0, "Static", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  g_hSaverWindow = saver;
  ASSERT_TRUE(IsAbove(saver, dialog));

  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kRemoveSaverButton, BN_CLICKED), 0);

  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(IsAbove(dialog, saver)) << "the saver went to the bottom";
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].owner, FromHwnd(dialog));
  EXPECT_EQ(platform.messageBoxes[0].caption, "Screen saver will be removed.");
  EXPECT_TRUE(registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).count("kill_saver"));
  DestroyWindow(saver);
}

}  // namespace
