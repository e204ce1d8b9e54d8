// The settings dialog on the real dialog manager and WGL, built from the
// product's own template in nivarel.scr.
#include "ui/settings_dialog_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/gl_api.h"
#include "resources/resource_ids.h"
#include "view/run_state.h"
#include "shell/scene_surface_win32.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/helpers_win32.h"
#include "tests/view/view_state.h"
#include "ui/settings_dialog.h"

namespace {

// The share of the pane's pixels that are lit, read after the fifth frame.
size_t g_litPixels = 0;
size_t g_pixels = 0;

// Wine keeps a child window's GL off the screen; after the swap the back
// buffer still holds the frame just drawn, so that is what is read.
void ReadPane(HWND dialog) {
  RECT pane;
  GetClientRect(GetDlgItem(dialog, IDC_PREVIEW_PANE), &pane);
  std::vector<unsigned char> rgb(static_cast<size_t>(pane.right) * pane.bottom * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, pane.right, pane.bottom, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  g_pixels = rgb.size() / 3;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 30) ++g_litPixels;
  }
}

// The real procedure, watched: five frames in, the pane is read and the
// dialog closed as its close button closes it. (About over the running preview
// is an end-to-end test.)
INT_PTR CALLBACK WatchingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static const DLGPROC settings = PrepareSettingsDialog();
  static int frames = 0;
  INT_PTR result = settings(dialog, message, wParam, lParam);
  if (message == WM_RENDER_FRAME && !g_bStop && ++frames == 5) {
    ReadPane(dialog);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return result;
}

TEST(SettingsDialogWin32, ThePreviewPaneShowsTheWorldAndTheCloseButtonSavesNothing) {
  ProductResources product;
  ASSERT_NE(product.module(), nullptr);
  ResetSaverState();
  ScopedPlatform scopedPlatform{Win32Services()};
  ScopedPlatform scopedScene{WithSurface(Win32SceneSurface())};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
  INT_PTR result = DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, WatchingProc, 0);

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(registry.Settings().empty());
  // The lit world fills much of the pane; a blank frame is black.
  EXPECT_GT(g_litPixels, g_pixels / 10) << g_litPixels << " of " << g_pixels;
}

}  // namespace
