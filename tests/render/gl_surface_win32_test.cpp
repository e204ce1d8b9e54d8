// The GL surface on a real window, through Wine's WGL.
#include "render/gl_surface_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"

namespace {

// The format the score prefers among all the window's formats, found
// independently of SelectPixelFormat's own scan.
int BestScoringFormat(HWND window) {
  HDC dc = GetDC(window);
  PIXELFORMATDESCRIPTOR descriptor = {};
  const int count = DescribePixelFormat(dc, 1, sizeof descriptor, &descriptor);
  int best = 0;
  unsigned bestScore = 0;
  for (int index = 1; index <= count; ++index) {
    DescribePixelFormat(dc, index, sizeof descriptor, &descriptor);
    const unsigned score = ScorePixelFormat(DescribeForScore(descriptor), kSurfaceColourBits);
    if (score > 0 && score >= bestScore) {
      bestScore = score;
      best = index;
    }
  }
  ReleaseDC(window, dc);
  return best;
}

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

TEST_F(GlSurfaceWin32Test, MakesTheSurfaceWithTheBestScoringFormatAndReleasesItOnce) {
  platform.resources[IDR_JPG_WORLD] = ReadSourceFile("resources/world.jpg");
  platform.resources[IDR_JPG_BACKDROP] = ReadSourceFile("resources/backdrop.jpg");
  const int expectedFormat = BestScoringFormat(window);
  ASSERT_NE(expectedFormat, 0) << "no hardware-accelerated 32-bit format on this display";

  ASSERT_TRUE(CreateGLSurface(window, kSurfaceColourBits));
  EXPECT_TRUE(platform.messageBoxes.empty());
  EXPECT_EQ(GetPixelFormat(g_hDC), expectedFormat);
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
