// The GL surface on a real window, through Wine's WGL.
#include "render/gl_surface_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

namespace {

// A visible top-level window of its own for each test: a window's pixel
// format can be set only once.
class GlSurfaceWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExA(0, "Static", "GL surface test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             320, 240, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    DestroyGLSurface();
    DestroyWindow(window);
  }

  FakePlatform platform;
  ScopedPlatform scoped{platform};
  HWND window = nullptr;
};

// Which of the acceptable formats scores best is the pixel-format test's business.
TEST_F(GlSurfaceWin32Test, MakesTheSurfaceOnAnAcceptableFormatAndReleasesItOnce) {
  platform.resources[IDR_JPG_WORLD] = ReadSourceFile("resources/world.jpg");
  platform.resources[IDR_JPG_BACKDROP] = ReadSourceFile("resources/backdrop.jpg");
  ASSERT_TRUE(CreateGLSurface(window, kSurfaceColourBits));
  EXPECT_TRUE(platform.messageBoxes.empty());
  PIXELFORMATDESCRIPTOR chosen = {};
  ASSERT_NE(DescribePixelFormat(g_hDC, GetPixelFormat(g_hDC), sizeof chosen, &chosen), 0);
  EXPECT_GT(ScorePixelFormat(DescribeForScore(chosen), kSurfaceColourBits), 0u);
  EXPECT_EQ(wglGetCurrentContext(), g_hRC);

  DestroyGLSurface();
  EXPECT_EQ(g_hDC, nullptr);
  EXPECT_EQ(g_hRC, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  DestroyGLSurface();
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(GlSurfaceWin32Test, AFailedSetUpReleasesEverythingBeforeItsMessage) {
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
}

}  // namespace
