// The settings dialog on the real dialog manager and WGL, built from the
// product's own template in nivarel.scr.
#include "ui/settings_dialog_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/gl_api.h"
#include "resources/resource_ids.h"
#include "shell/frame_rate_probe.h"
#include "shell/run_state.h"
#include "shell/scene_services_win32.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/test_paths.h"
#include "tests/support/win32_dialog_presser.h"
#include "tests/view/view_state.h"
#include "tests/view/win32_services.h"
#include "ui/settings_dialog.h"

namespace {

// The program's own GL surface and scene, without leaving them installed.
SceneServices& Win32Scene() {
  static SceneServices* services = [] {
    SceneServices* previous = CurrentSceneServicesOrNull();
    InstallWin32SceneServices();
    SceneServices* win32 = CurrentSceneServicesOrNull();
    InstallSceneServices(previous);
    return win32;
  }();
  return *services;
}

class SettingsDialogWin32 : public testing::Test {
 protected:
  void SetUp() override {
    ResetViewState();
    g_bClosed = false;
    g_bInFrame = false;
    g_bRateOk = true;
    g_fFrameRate = 33.0f;
    std::string product = BuildPath("nivarel.scr");
    module_ = LoadLibraryExA(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << product;
    previousInstance_ = g_hInstance;
    g_hInstance = module_;
  }
  void TearDown() override {
    g_hInstance = previousInstance_;
    if (module_) FreeLibrary(module_);
  }

  HMODULE module_ = nullptr;
  HINSTANCE previousInstance_ = nullptr;
  ScopedPlatform scopedPlatform_{Win32Services()};
  ScopedScene scopedScene_{Win32Scene()};
  MemoryRegistry registry_;
  ScopedRegistryBackend scopedRegistry_{registry_};
};

// What the test saw of the preview: frames drawn before and after the About
// dialog, and the lit part of the pane after the last of them.
struct PreviewWatch {
  int frames = 0;
  int framesAfterAbout = 0;
  size_t litPixels = 0;
  size_t pixels = 0;
};
PreviewWatch g_watch;
const DialogPresser* g_aboutCloser = nullptr;  // closes About with OK once it is up

// Wine keeps a child window's GL off the screen; after the swap the back
// buffer still holds the frame just drawn, so that is what is read.
void ReadPane(HWND dialog) {
  RECT pane;
  GetClientRect(GetDlgItem(dialog, kPreviewPane), &pane);
  std::vector<unsigned char> rgb(static_cast<size_t>(pane.right) * pane.bottom * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, pane.right, pane.bottom, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  g_watch.pixels = rgb.size() / 3;
  g_watch.litPixels = 0;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 30) ++g_watch.litPixels;
  }
}

// The real procedure, watched: About is opened on the third frame, and five
// frames after it closed the pane is read and the dialog cancelled.
INT_PTR CALLBACK WatchingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static const DLGPROC settings = PrepareSettingsDialog();
  // A frame message met inside the About dialog's loop draws nothing.
  const bool nested = g_bInFrame;
  INT_PTR result = settings(dialog, message, wParam, lParam);
  if (message != WM_RENDER_FRAME || nested || g_bStop) return result;
  ++g_watch.frames;
  if (g_watch.frames == 3) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kAboutButton, BN_CLICKED), 0);
  if (g_aboutCloser->presses() > 0) ++g_watch.framesAfterAbout;
  if (g_watch.framesAfterAbout == 5) {
    ReadPane(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  return result;
}

TEST_F(SettingsDialogWin32, PreviewDrawsTheWorldAndGoesOnAfterAbout) {
  g_watch = PreviewWatch();
  DialogPresser aboutCloser(IDOK, "Nivarel Screen Saver");
  ASSERT_TRUE(aboutCloser.installed());
  g_aboutCloser = &aboutCloser;

  INT_PTR result = DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, WatchingProc, 0);
  g_aboutCloser = nullptr;

  EXPECT_EQ(result, 1);
  EXPECT_EQ(aboutCloser.presses(), 1);
  EXPECT_EQ(g_watch.framesAfterAbout, 5);
  ASSERT_GT(g_watch.pixels, 0u);
  // The lit world fills much of the pane; a blank frame is black.
  EXPECT_GT(g_watch.litPixels, g_watch.pixels / 10) << g_watch.litPixels << " of " << g_watch.pixels;
  EXPECT_TRUE(registry_.Values(RegistryRoot::CurrentUser, kSettingsKeyPath).empty())
      << "Cancel saved something";
}

}  // namespace
