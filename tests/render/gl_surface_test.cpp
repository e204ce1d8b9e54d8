// The surface's projection, its set-up stopping at a missing picture, and the
// scene's textures, in a real (offscreen) GL context.
#include "tests/render/offscreen_gl.h"

#if NIVAREL_OFFSCREEN_GL
#include "render/gl_surface.h"

#include <gtest/gtest.h>

#include <cmath>

#include "image/texture_loader.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_platform.h"

namespace {

class GlSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(SharedOffscreenContext().width(), 0);
    DiscardGlErrors();
    for (ImageBuffer& slot : SceneTextures) slot.textureName = 0;
  }

  FakePlatform platform;
  ScopedPlatform scoped{platform};
};

// A zero height counts as one, so that even a collapsed window gets a sound
// projection (20 degrees from top to bottom).  The field of view and the
// depth range also show in where the scene tests find the sphere and backdrop.
TEST_F(GlSurfaceTest, TheProjectionFollowsTheClientAreaAndAZeroHeightCountsAsOne) {
  SetProjection(200, 0);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 200);
  EXPECT_EQ(viewport[3], 1);
  GLfloat projection[16] = {};
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[0], 1.0 / std::tan(10.0 * M_PI / 180.0) / 200.0, 1e-4);
}

TEST_F(GlSurfaceTest, TexturesAreMipMappedCopiesOfTheDecodedPicture) {
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

}  // namespace
#endif
