// The GL surface on a real window, through Wine's WGL.
#include "render/gl_surface_win32.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "render/gl_api.h"
#include "render/scene.h"
#include "resources/resource_ids.h"
#include "shell/run_state.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"
#include "view/module_table.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& relative) {
  std::ifstream file(SourcePath(relative), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A visible top-level window of its own for each test: a window's pixel
// format can be set only once.
class TestWindow {
 public:
  TestWindow() {
    static const ATOM windowClass = [] {
      WNDCLASSA description = {};
      description.style = CS_OWNDC;
      description.lpfnWndProc = DefWindowProcA;
      description.hInstance = GetModuleHandleA(nullptr);
      description.lpszClassName = "NivarelGlSurfaceTest";
      return RegisterClassA(&description);
    }();
    handle_ = CreateWindowExA(0, MAKEINTATOM(windowClass), "GL surface test",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

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

class GlSurfaceWin32Test : public ::testing::Test {
 protected:
  void TearDown() override { DestroyGLSurface(); }

  FakePlatform platform;
  ScopedPlatform scoped{platform};
  TestWindow window;
};

TEST_F(GlSurfaceWin32Test, MakesTheSurfaceWithTheBestScoringFormatAndDrawsTheWorld) {
  ASSERT_NE(window.handle(), nullptr);
  platform.resources[IDR_JPG_WORLD] = ReadFile("resources/world.jpg");
  platform.resources[IDR_JPG_BACKDROP] = ReadFile("resources/backdrop.jpg");
  const int expectedFormat = BestScoringFormat(window.handle());
  ASSERT_NE(expectedFormat, 0) << "no hardware-accelerated 32-bit format on this display";

  ASSERT_TRUE(CreateGLSurface(window.handle(), kSurfaceColourBits));
  EXPECT_TRUE(platform.messageBoxes.empty());
  EXPECT_EQ(GetPixelFormat(g_hDC), expectedFormat);
  EXPECT_EQ(wglGetCurrentContext(), g_hRC);

  RECT client = {};
  GetClientRect(window.handle(), &client);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], client.right);
  EXPECT_EQ(viewport[3], client.bottom);

  ResetModuleTable();
  ApplyModule(1);
  g_bSaverWindow = true;
  g_bBuildBackdropList = true;
  ASSERT_TRUE(DrawWorldScene());
  unsigned char centre[4] = {};
  glReadPixels(client.right / 2, client.bottom / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
  EXPECT_GT(centre[0] + centre[1] + centre[2], 60) << "the lit sphere fills the centre";
  EXPECT_TRUE(SwapBuffers(g_hDC));

  DestroyGLSurface();
  EXPECT_EQ(g_hDC, nullptr);
  EXPECT_EQ(g_hRC, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  DestroyGLSurface();
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(GlSurfaceWin32Test, AFailedSetUpReleasesEverythingBeforeItsMessage) {
  ASSERT_NE(window.handle(), nullptr);
  EXPECT_FALSE(CreateGLSurface(window.handle(), kSurfaceColourBits));
  ASSERT_EQ(platform.messageBoxes.size(), 2u);
  EXPECT_EQ(platform.messageBoxes[0].text, "Could not locate image resource");
  EXPECT_EQ(platform.messageBoxes[1].text, "Initialization Failed.");
  EXPECT_EQ(platform.messageBoxes[1].caption, "ERROR");
  EXPECT_EQ(platform.messageBoxes[1].style, kMbOk | kMbIconExclamation);
  EXPECT_EQ(platform.messageBoxes[1].owner, nullptr);
  EXPECT_EQ(g_hDC, nullptr);
  EXPECT_EQ(g_hRC, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);

  DestroyGLSurface();
  EXPECT_EQ(platform.messageBoxes.size(), 2u);
}

}  // namespace
