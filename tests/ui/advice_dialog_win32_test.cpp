// The advice dialog on the real dialog manager, from the product's own template
// (its layout is the resource script's business).
#include "ui/advice_dialog_win32.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/support/memory_registry.h"
#include "tests/support/helpers_win32.h"
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

TEST(AdviceDialog, ShowsTheRateAndRemoveSchedulesTheUninstallerBelowTheSaver) {
  ProductResources product;
  ASSERT_NE(product.module(), nullptr);
  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
  ResetSaverState();
  g_fFrameRate = 1000.0f / 201.0f;  // rounded, not cut, to one decimal
  HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_ADVICE), nullptr, AdviceDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  char text[64] = "";
  GetDlgItemTextA(dialog, IDC_FRAME_RATE_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "The current frame rate is:\n5.0 frames per second.");
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
  HWND saver = CreateWindowExA(0, "Static", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  g_hSaverWindow = saver;
  ASSERT_TRUE(IsAbove(saver, dialog));

  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_REMOVE_SAVER, BN_CLICKED), 0);

  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(IsAbove(dialog, saver)) << "the saver went to the bottom";
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].owner, FromHwnd(dialog));
  EXPECT_EQ(platform.messageBoxes[0].caption, "Screen saver will be removed.");
  EXPECT_TRUE(registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).count("kill_saver"));
  DestroyWindow(dialog);
  DestroyWindow(saver);
  ResetSaverState();
}

}  // namespace
