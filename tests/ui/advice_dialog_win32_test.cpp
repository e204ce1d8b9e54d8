// The advice dialog on the real dialog manager, from the product's own template
// (its layout is the resource script's business).
#include "ui/advice_dialog_win32.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/support/memory_registry.h"
#include "tests/support/win32_helpers.h"
#include "tests/view/view_state.h"
#include "ui/advice_dialog.h"
#include "ui/run_once.h"

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
    ResetSaverState();
    g_fFrameRate = 1000.0f / 201.0f;  // rounded, not cut, to one decimal
  }
  void TearDown() override {
    for (HWND window : {dialog_, saver_}) {
      if (window) DestroyWindow(window);
    }
    ResetSaverState();
  }

  ProductResources product_;
  FakePlatform platform_;
  ScopedPlatform scopedPlatform_{platform_};
  MemoryRegistry registry_;
  ScopedPlatform scopedRegistry_{WithSettings(registry_)};
  HWND dialog_ = nullptr;
  HWND saver_ = nullptr;
};

TEST_F(AdviceDialog, ShowsTheRateAndRemoveSchedulesTheUninstallerBelowTheSaver) {
  dialog_ = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_ADVICE), nullptr, AdviceDialogProc, 0);
  ASSERT_NE(dialog_, nullptr);
  char text[64] = "";
  GetDlgItemTextA(dialog_, IDC_FRAME_RATE_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "The current frame rate is:\n5.0 frames per second.");
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, IDOK));
  saver_ = CreateWindowExA(0, "Static", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                           nullptr, nullptr, nullptr);
  g_hSaverWindow = saver_;
  ASSERT_TRUE(IsAbove(saver_, dialog_));

  SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_REMOVE_SAVER, BN_CLICKED), 0);

  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_TRUE(IsAbove(dialog_, saver_)) << "the saver went to the bottom";
  ASSERT_EQ(platform_.messageBoxes.size(), 1u);
  EXPECT_EQ(platform_.messageBoxes[0].owner, FromHwnd(dialog_));
  EXPECT_EQ(platform_.messageBoxes[0].caption, "Screen saver will be removed.");
  EXPECT_TRUE(registry_.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).count("kill_saver"));
}

}  // namespace
