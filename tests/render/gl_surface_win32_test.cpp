// The GL surface's failure on a real window, through Wine's WGL.  Its success
// is every end-to-end run's and the settings dialog's Windows test's first
// step; which acceptable format scores best is the pixel-format test's
// business.
#include "render/gl_surface_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_platform.h"

namespace {

// Without the pictures the set-up stops after the context is made: everything
// is released before the messages, and releasing again shows nothing more.
TEST(GlSurfaceWin32, AFailedSetUpReleasesEverythingBeforeItsMessage) {
  FakePlatform platform;
  ScopedPlatform scoped{platform};
  HWND window = CreateWindowExA(0, "Static", "GL surface test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                320, 240, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(CreateGLSurface(window, kSurfaceColourBits));
  const std::vector<RecordedMessageBox> expected = {
      {nullptr, "Could not locate image resource", "ERROR", kMbOk},
      {nullptr, "Initialization Failed.", "ERROR", kMbOk | kMbIconExclamation}};
  EXPECT_EQ(platform.messageBoxes, expected);
  EXPECT_EQ(g_hDC, nullptr);
  EXPECT_EQ(g_hRC, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  DestroyGLSurface();
  EXPECT_EQ(platform.messageBoxes.size(), 2u);
  DestroyWindow(window);
}

}  // namespace
