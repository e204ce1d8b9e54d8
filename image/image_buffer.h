// Texture slots: the decoded pixel block of an image while its texture is
// being built, and the GL texture made from it.
#pragma once
#include <cstdint>
#include <memory>

// GL pixel formats of a block, with their GL values.
constexpr uint32_t kGlRgb = 0x1907;
constexpr uint32_t kGlRgba = 0x1908;

struct ImageBuffer {
  // Rows of `width` pixels, bitsPerPixel / 8 bytes a pixel, packed without
  // padding, bottom row of the picture first (the order GL takes texture rows
  // in).  Held only while the texture is built.
  std::unique_ptr<uint8_t[]> pixels;
  int32_t bitsPerPixel = 0;  // 24 (RGB) from the JPEG path; 32 (RGBA) allowed
  int32_t width = 0;
  int32_t height = 0;
  uint32_t textureName = 0;  // from glGenTextures
  uint32_t format = 0;       // kGlRgb or kGlRgba: internal and pixel format of the texture
};

constexpr int kWorldTextureSlot = 0;     // the sphere's picture
constexpr int kBackdropTextureSlot = 1;  // the backdrop's picture
constexpr int kSceneTextureCount = 2;

extern ImageBuffer SceneTextures[kSceneTextureCount];
