// The preview draws the world into its child window.  Wine on Xvfb never
// shows GL drawn into a child window on the screen, so the frame is read
// back from the surface itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "render/gl_api.h"
#include "shell/platform_win32.h"
#include "shell/run_state.h"
#include "shell/saver_window_win32.h"
#include "shell/scene_services.h"
#include "shell/scene_services_win32.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/support/test_paths.h"
#include "tests/view/win32_services.h"
#include "view/module_table.h"
#include "view/registry_store.h"

namespace {

constexpr char kHostClassName[] = "NivarelPreviewDrawingHost";
constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 120;

// The real surface and scene, with each world frame read back from the back
// buffer as soon as it is drawn, before the run loop presents it.
class ReadingBackScene : public SceneServices {
 public:
  explicit ReadingBackScene(SceneServices& real) : real_(real) {}

  int worldFrames = 0;
  unsigned char middle[4] = {};
  unsigned char corner[4] = {};

  bool CreateSurface(WindowHandle window, int colourBits) override {
    return real_.CreateSurface(window, colourBits);
  }
  void DestroySurface() override { real_.DestroySurface(); }
  void ProbeFrameRate() override { real_.ProbeFrameRate(); }
  bool DrawBlankScene() override { return real_.DrawBlankScene(); }
  bool DrawClearScene() override { return real_.DrawClearScene(); }
  bool DrawWorldScene() override {
    const bool drawn = real_.DrawWorldScene();
    glReadBuffer(GL_BACK);
    glReadPixels(kPreviewWidth / 2, kPreviewHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, middle);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    ++worldFrames;
    return drawn;
  }

 private:
  SceneServices& real_;
};

LRESULT CALLBACK PlainHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class PreviewDrawing : public testing::Test {
 protected:
  void SetUp() override {
    // The textures come from the product's own resources.
    std::string product = BuildPath("nivarel.scr");
    module_ = LoadLibraryExA(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << product;
    previousInstance_ = g_hInstance;
    g_hInstance = module_;
    previousScene_ = CurrentSceneServicesOrNull();
    InstallWin32SceneServices();
    scene_ = std::make_unique<ReadingBackScene>(Scene());
    InstallSceneServices(scene_.get());
    g_bPreview = true;
    g_bSaverWindow = g_bFullScreen = g_bStop = g_bClosed = g_bInFrame = false;
    g_registryStore = RegistryStore{kSettingsKeyPath, ""};

    WNDCLASSA saverClass = {};
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = kSaverClassName;
    saverClass.style = CS_OWNDC;
    ASSERT_TRUE(RegisterClassA(&saverClass));
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = PlainHostProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = kHostClassName;
    ASSERT_TRUE(RegisterClassA(&hostClass));
  }

  void TearDown() override {
    if (IsWindow(host_)) DestroyWindow(host_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(kSaverClassName, GetModuleHandleA(nullptr));
    UnregisterClassA(kHostClassName, GetModuleHandleA(nullptr));
    InstallSceneServices(previousScene_);
    g_hInstance = previousInstance_;
    if (module_) FreeLibrary(module_);
    g_bPreview = false;
    g_bSaverWindow = g_bFullScreen = g_bStop = g_bClosed = g_bInFrame = false;
    g_hSaverWindow = nullptr;
    g_nCurrentModule = 1;
  }

  // Runs the thread's messages, frames included, until `frames` more world
  // frames have been drawn or five seconds have passed.
  bool RunFrames(int frames) {
    const int target = scene_->worldFrames + frames;
    const DWORD start = GetTickCount();
    while (scene_->worldFrames < target && GetTickCount() - start < 5000) {
      // One message at a time: each frame posts the next, so the queue is
      // never empty for long.
      MSG message;
      if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      } else {
        Sleep(1);
      }
    }
    return scene_->worldFrames >= target;
  }

  HMODULE module_ = nullptr;
  HINSTANCE previousInstance_ = nullptr;
  SceneServices* previousScene_ = nullptr;
  std::unique_ptr<ReadingBackScene> scene_;
  HWND host_ = nullptr;
  ScopedPlatform scopedPlatform{Win32Services()};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
};

TEST_F(PreviewDrawing, TheWorldIsDrawnIntoThePreviewAndTheSurfaceGoesWithIt) {
  host_ = CreateWindowExA(0, kHostClassName, "Display", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                          320, 240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(host_, nullptr);
  HWND preview = CreateWindowExA(0, kSaverClassName, kPreviewTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                                 kPreviewWidth, kPreviewHeight, host_, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(preview, nullptr);
  g_hSaverWindow = FromHwnd(preview);
  ASSERT_NE(wglGetCurrentContext(), nullptr) << "the surface was made on the preview";
  EXPECT_FALSE(g_bFullScreen);

  ASSERT_TRUE(RunFrames(3));
  // The middle of the frame is the lit sphere; the corners, beyond the
  // backdrop, are black.
  const unsigned char* middle = scene_->middle;
  const unsigned char* corner = scene_->corner;
  EXPECT_GT(middle[0] + middle[1] + middle[2], 60) << "the world is drawn";
  EXPECT_EQ(corner[0] + corner[1] + corner[2], 0) << "nothing beyond the backdrop";

  // The control panel closes its window, and the preview's with it.
  DestroyWindow(host_);
  EXPECT_FALSE(IsWindow(preview));
  EXPECT_EQ(wglGetCurrentContext(), nullptr) << "the surface was released";
}

}  // namespace
