// The scene drawn offscreen with Mesa: where the sphere and the backdrop
// stand, how they are lit and how the spin turns them, frame by frame.
#include "tests/render/offscreen_gl.h"

#if NIVAREL_OFFSCREEN_GL
#include "render/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "image/image_buffer.h"
#include "render/gl_surface.h"
#include "resources/resource_ids.h"
#include "view/run_state.h"
#include "tests/support/fake_platform.h"
#include "view/live_view.h"
#include "view/module_table.h"

namespace {

constexpr int kCentre = kOffscreenSize / 2;
// With the built-in view (depth 192) the sphere's outline lies about 54 pixels
// from the centre of the 128-pixel picture, the backdrop's edges about 63.
constexpr int kSphereRadiusPixels = 54;
constexpr int kBackdropCorner = 58;

using Texture = std::function<Rgb(int x, int y)>;

GLuint MakeTexture(int width, int height, const Texture& colourAt) {
  std::vector<uint8_t> texels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colourAt(x, y);
      texels.insert(texels.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
    }
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

Texture Solid(int r, int g, int b) {
  return [=](int, int) { return Rgb{r, g, b}; };
}

// The world's picture changes colour all along its longitude (across a
// 256-texel row), so that any turn of the sphere changes the picture.
Rgb LongitudeColour(int x, int) {
  const double angle = x * 2.0 * M_PI / 256.0;
  return {int(127.5 + 127.5 * std::cos(angle)), int(127.5 + 127.5 * std::sin(angle)), 127};
}

// Share of picture bytes that differ by more than a rounding step.
double ShareDiffering(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  size_t differing = 0;
  for (size_t i = 0; i < a.size(); ++i) differing += std::abs(int(a[i]) - int(b[i])) > 8;
  return double(differing) / double(a.size());
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(SharedOffscreenContext().width(), 0);
    // The fixed state comes from the saver's own set-up, over a small stand-in picture.
    platform.resources[IDR_JPG_WORLD] = platform.resources[IDR_JPG_BACKDROP] =
        ReadSourceFile("tests/image/data/tile.jpg");
    SetProjection(kOffscreenSize, kOffscreenSize);
    ASSERT_TRUE(InitGLState());
    DiscardGlErrors();

    ResetModuleTable();
    ApplyModule(1);
    g_bSaverWindow = true;
    g_fSpinAngle = g_fSpinStep = 0.0f;
    g_nSpinFrames = 0;
    UseTextures(Solid(255, 255, 255), Solid(200, 100, 50));
  }

  void UseTextures(const Texture& world, const Texture& backdrop) {
    SceneTextures[kWorldTextureSlot].textureName = MakeTexture(256, 4, world);
    SceneTextures[kBackdropTextureSlot].textureName = MakeTexture(64, 64, backdrop);
    g_bBuildBackdropList = true;
  }

  std::vector<uint8_t> DrawFrame() {
    EXPECT_TRUE(DrawWorldScene());
    glFinish();
    return SharedOffscreenContext().ReadRgb();
  }

  std::vector<uint8_t> DrawFrameAt(float spinAngle) {
    g_fSpinAngle = spinAngle;
    return DrawFrame();
  }

  FakePlatform platform;
  ScopedPlatform scoped{platform};
};

TEST_F(SceneTest, TheBackdropShowsItsPictureUnlitWhileTheSphereIsLit) {
  const auto picture = DrawFrame();
  for (int dx : {-kBackdropCorner, kBackdropCorner}) {
    for (int dy : {-kBackdropCorner, kBackdropCorner}) {
      EXPECT_EQ(PixelAt(picture, kCentre + dx, kCentre + dy), (Rgb{200, 100, 50}));
    }
  }
  // The white sphere: full light where it faces the light, dimmer towards its outline.
  EXPECT_GE(PixelAt(picture, kCentre, kCentre).g, 250);
  const Rgb nearOutline = PixelAt(picture, kCentre + kSphereRadiusPixels - 5, kCentre);
  EXPECT_LT(nearOutline.g, 200);
  EXPECT_GT(nearOutline.g, 40);
}

TEST_F(SceneTest, TheSpinTurnsTheBackdropAntiClockwiseFrameByFrame) {
  // Quadrants of the backdrop's picture, rows counted from its bottom.
  const Rgb red = {255, 0, 0}, green = {0, 255, 0}, blue = {0, 0, 255}, yellow = {255, 255, 0};
  UseTextures(Solid(255, 255, 255), [=](int x, int y) {
    if (y >= 32) return x < 32 ? red : green;
    return x < 32 ? blue : yellow;
  });
  g_fSpeed = kSpinUnitsPerTurn / 4;  // a quarter turn a frame
  const auto first = DrawFrame();
  const auto second = DrawFrame();
  EXPECT_EQ(g_fSpinAngle, kSpinUnitsPerTurn / 2);

  const int left = kCentre - kBackdropCorner, right = kCentre + kBackdropCorner;
  const int top = kCentre - kBackdropCorner, bottom = kCentre + kBackdropCorner;
  EXPECT_EQ(PixelAt(first, left, top), red);
  EXPECT_EQ(PixelAt(first, right, top), green);
  // A quarter turn later green has come to the upper left, red to the lower left.
  EXPECT_EQ(PixelAt(second, left, top), green);
  EXPECT_EQ(PixelAt(second, left, bottom), red);
}

TEST_F(SceneTest, TheAccumulatorLosesWholeTurnsOnEvery500000thFrameWithoutAJump) {
  UseTextures(LongitudeColour, [](int x, int y) { return Rgb{x * 4, y * 4, 128}; });
  g_fSpeed = 0.5f;
  g_nSpinFrames = kSpinReductionFrames - 2;
  g_fSpinAngle = 4600.5f;

  DrawFrame();  // the 499999th: no reduction
  EXPECT_EQ(g_nSpinFrames, kSpinReductionFrames - 1);
  EXPECT_EQ(g_fSpinAngle, 4601.0f);

  const auto reduced = DrawFrame();  // the 500000th: one turn (4500 units) less, fraction kept
  EXPECT_EQ(g_nSpinFrames, 0);
  EXPECT_EQ(g_fSpinAngle, 101.5f);

  // The reduced frame shows the very picture the unreduced angle gives.
  const auto unreduced = DrawFrameAt(4601.0f);
  EXPECT_LT(ShareDiffering(reduced, unreduced), 0.002);
  EXPECT_GT(ShareDiffering(reduced, DrawFrameAt(4601.0f + kSpinUnitsPerTurn / 2)), 0.2);

  // Below one turn only the count starts again.
  g_nSpinFrames = kSpinReductionFrames - 1;
  g_fSpinAngle = 1000.75f;
  DrawFrame();
  EXPECT_EQ(g_nSpinFrames, 0);
  EXPECT_EQ(g_fSpinAngle, 1001.25f);
}

TEST_F(SceneTest, WithModuleOneInactiveTheFrameIsBlackAndTheSpinStands) {
  g_moduleTable.modules[1].active = false;
  g_fSpinAngle = 250.0f;
  g_nSpinFrames = 17;
  for (uint8_t byte : DrawFrame()) ASSERT_EQ(byte, 0);
  EXPECT_EQ(g_fSpinAngle, 250.0f);
  EXPECT_EQ(g_nSpinFrames, 17);
}

// The saver's own speed shows in the accumulator test.
TEST_F(SceneTest, TheSettingsPreviewSpinsElevenTenthsSlowerThanTheSaver) {
  g_bSaverWindow = false;
  g_fSpeed = 0.55f;
  for (int frame = 0; frame < 10; ++frame) DrawFrame();
  EXPECT_NEAR(g_fSpinAngle, 5.0f, 1e-4f);
}

TEST_F(SceneTest, APendingGlErrorFailsTheWorldAndBlankScenesButNotTheClearScene) {
  const std::function<bool()> scenes[] = {DrawWorldScene, DrawBlankScene, DrawClearScene};
  const bool resultWithError[] = {false, false, true};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(scenes[i]());
    glEnable(0xFFFF);  // an invalid capability: GL_INVALID_ENUM stays pending
    EXPECT_EQ(scenes[i](), resultWithError[i]);
    DiscardGlErrors();
  }
}

}  // namespace
#endif
