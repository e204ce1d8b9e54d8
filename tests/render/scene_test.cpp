// The surface's projection and textures and the scene drawn offscreen with
// Mesa: where the sphere and the backdrop stand, how they are lit and how the
// spin turns them, frame by frame.  One context serves the whole program, as
// the saver makes one per process: display lists, quadric and textures belong
// to the context they were made in.
#if NIVAREL_OFFSCREEN_GL
#include "render/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "image/texture_loader.h"
#include "render/gl_api.h"
#include "render/gl_surface.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_paths.h"
#include "tools/snapshot/offscreen_context.h"
#include "view/live_view.h"
#include "view/module_table.h"
#include "view/run_state.h"

namespace {

constexpr int kSize = 128;
constexpr int kCentre = kSize / 2;
// With the built-in view (depth 192) the sphere's outline lies about 54 pixels
// from the centre of the picture, the backdrop's edges about 63.
constexpr int kSphereRadiusPixels = 54;
constexpr int kBackdropCorner = 58;

OffscreenContext& SharedContext() {
  static OffscreenContext context;
  static std::string error;
  static const bool opened = context.Open(kSize, kSize, error);
  EXPECT_TRUE(opened) << "offscreen GL: " << error;
  return context;
}

void DiscardGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << "{" << c.r << ", " << c.g << ", " << c.b << "}"; }

// A pixel of the drawn picture, x from the left and y from the top.
Rgb PixelAt(const std::vector<uint8_t>& picture, int x, int y) {
  const uint8_t* p = &picture[(static_cast<size_t>(y) * kSize + x) * 3];
  return {p[0], p[1], p[2]};
}

// A texture of width x height texels given bottom row first, shown unfiltered.
GLuint MakeTexture(int width, int height, const std::vector<Rgb>& texels) {
  std::vector<uint8_t> bytes;
  for (const Rgb& c : texels) bytes.insert(bytes.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

class OffscreenGl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(SharedContext().width(), 0);
    DiscardGlErrors();
  }
  FakePlatform platform;
  ScopedPlatform scoped{platform};
};

// A zero height counts as one, so that even a collapsed window gets a sound
// projection (20 degrees from top to bottom).
TEST_F(OffscreenGl, TheProjectionFollowsTheClientAreaAndAZeroHeightCountsAsOne) {
  SetProjection(200, 0);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 200);
  EXPECT_EQ(viewport[3], 1);
  GLfloat projection[16] = {};
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], 1.0 / std::tan(10.0 * M_PI / 180.0) / 200.0, 1e-4);
}

TEST_F(OffscreenGl, TexturesAreMipMappedCopiesOfTheDecodedPicture) {
  const std::vector<uint8_t> world = ReadSourceFile("resources/world.jpg");
  platform.resources[IDR_JPG_WORLD] = world;
  ASSERT_TRUE(LoadJpegTexture(IDR_JPG_WORLD, kWorldTextureSlot));
  const ImageBuffer& slot = SceneTextures[kWorldTextureSlot];
  EXPECT_EQ(slot.pixels, nullptr);  // released once the texture is built

  glBindTexture(GL_TEXTURE_2D, slot.textureName);
  GLint width = 0, height = 0, mipWidth = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 10, GL_TEXTURE_WIDTH, &mipWidth);
  ASSERT_EQ(width * height, 1024 * 1024);
  EXPECT_EQ(mipWidth, 1);  // every level down to 1 x 1 is built

  // Level 0 is the decoded block itself, bottom row first.
  ImageBuffer decoded;
  ASSERT_TRUE(DecodeJpegImage(decoded, world.data(), static_cast<uint32_t>(world.size())));
  std::vector<uint8_t> texels(1024 * 1024 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_TRUE(std::equal(texels.begin(), texels.end(), decoded.pixels.get()));
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

// A white world before a backdrop of four coloured quadrants, red at the top left.
class SceneTest : public OffscreenGl {
 protected:
  void SetUp() override {
    OffscreenGl::SetUp();
    // The fixed state comes from the saver's own set-up, over a small stand-in picture.
    platform.resources[IDR_JPG_WORLD] = platform.resources[IDR_JPG_BACKDROP] =
        ReadSourceFile("tests/image/data/tile.jpg");
    SetProjection(kSize, kSize);
    ASSERT_TRUE(InitGLState());
    DiscardGlErrors();
    ResetModuleTable();
    ApplyModule(1);
    g_bSaverWindow = true;
    g_fSpinAngle = g_fSpinStep = 0.0f;
    g_nSpinFrames = 0;
    SceneTextures[kWorldTextureSlot].textureName = MakeTexture(1, 1, {kWhite});
    SceneTextures[kBackdropTextureSlot].textureName = MakeTexture(2, 2, {kBlue, kYellow, kRed, kGreen});
    g_bBuildBackdropList = true;
  }

  std::vector<uint8_t> DrawFrame() {
    EXPECT_TRUE(DrawWorldScene());
    glFinish();
    return SharedContext().ReadRgb();
  }

  static constexpr Rgb kWhite = {255, 255, 255}, kRed = {255, 0, 0}, kGreen = {0, 255, 0},
                       kBlue = {0, 0, 255}, kYellow = {255, 255, 0};
};

TEST_F(SceneTest, TheBackdropShowsItsPictureUnlitBehindTheLitSphereAndTurnsAntiClockwise) {
  g_fSpeed = kSpinUnitsPerTurn / 4;  // a quarter turn a frame
  const auto first = DrawFrame();
  const auto second = DrawFrame();
  EXPECT_EQ(g_fSpinAngle, kSpinUnitsPerTurn / 2);

  const int left = kCentre - kBackdropCorner, right = kCentre + kBackdropCorner;
  const int top = kCentre - kBackdropCorner, bottom = kCentre + kBackdropCorner;
  EXPECT_EQ(PixelAt(first, left, top), kRed);
  EXPECT_EQ(PixelAt(first, right, top), kGreen);
  EXPECT_EQ(PixelAt(first, left, bottom), kBlue);
  EXPECT_EQ(PixelAt(first, right, bottom), kYellow);
  // A quarter turn later green has come to the upper left, red to the lower left.
  EXPECT_EQ(PixelAt(second, left, top), kGreen);
  EXPECT_EQ(PixelAt(second, left, bottom), kRed);
  // The white sphere: full light where it faces the light, dimmer towards its outline.
  EXPECT_GE(PixelAt(first, kCentre, kCentre).g, 250);
  const Rgb nearOutline = PixelAt(first, kCentre + kSphereRadiusPixels - 5, kCentre);
  EXPECT_LT(nearOutline.g, 200);
  EXPECT_GT(nearOutline.g, 40);
}

// On the 500000th frame the accumulator loses its whole turns and keeps the
// fraction, so the picture does not jump; below one turn only the count
// starts again.
TEST_F(SceneTest, TheAccumulatorLosesWholeTurnsOnEvery500000thFrame) {
  const struct { int framesBefore; float angle, angleAfter; int framesAfter; } cases[] = {
      {kSpinReductionFrames - 2, 4600.5f, 4601.0f, kSpinReductionFrames - 1},
      {kSpinReductionFrames - 1, 4601.0f, 101.5f, 0},
      {kSpinReductionFrames - 1, 1000.75f, 1001.25f, 0},
  };
  g_fSpeed = 0.5f;
  for (const auto& c : cases) {
    g_nSpinFrames = c.framesBefore;
    g_fSpinAngle = c.angle;
    DrawFrame();
    EXPECT_EQ(g_nSpinFrames, c.framesAfter);
    EXPECT_EQ(g_fSpinAngle, c.angleAfter);
  }
  EXPECT_FLOAT_EQ(kSpinUnitsPerTurn * kDegreesPerSpinUnit, 360.0f) << "a turn is a whole turn";
}

// The saver's own speed shows in the accumulator test.
TEST_F(SceneTest, TheSettingsPreviewSpinsElevenTenthsSlowerThanTheSaver) {
  g_bSaverWindow = false;
  g_fSpeed = 0.55f;
  for (int frame = 0; frame < 10; ++frame) DrawFrame();
  EXPECT_NEAR(g_fSpinAngle, 5.0f, 1e-4f);
}

TEST_F(SceneTest, WithModuleOneInactiveOrBlankTheFrameIsBlackAndTheSpinStands) {
  g_moduleTable.modules[1].active = false;
  g_fSpinAngle = 250.0f;
  for (uint8_t byte : DrawFrame()) ASSERT_EQ(byte, 0);
  EXPECT_EQ(g_fSpinAngle, 250.0f);
  g_moduleTable.modules[1].active = true;
  EXPECT_TRUE(DrawBlankScene());
  glFinish();
  for (uint8_t byte : SharedContext().ReadRgb()) ASSERT_EQ(byte, 0);
  EXPECT_EQ(g_fSpinAngle, 250.0f);
}

TEST_F(SceneTest, APendingGlErrorFailsTheWorldAndBlankScenesButNotTheClearScene) {
  const std::function<bool()> scenes[] = {DrawWorldScene, DrawBlankScene, DrawClearScene};
  const bool resultWithError[] = {false, false, true};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    glEnable(0xFFFF);  // an invalid capability: GL_INVALID_ENUM stays pending
    EXPECT_EQ(scenes[i](), resultWithError[i]);
    DiscardGlErrors();
  }
}

}  // namespace
#endif
