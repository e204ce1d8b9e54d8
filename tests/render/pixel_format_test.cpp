#include "render/pixel_format.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

constexpr uint32_t kWindowGl = kPfdDrawToWindow | kPfdSupportOpenGL;
constexpr uint32_t kDouble = kWindowGl | kPfdDoubleBuffer;

PixelFormatDescription Format(uint32_t flags, int colorBits, int depthBits, uint8_t type = kPfdTypeRgba) {
  return {flags, type, static_cast<uint8_t>(colorBits), static_cast<uint8_t>(depthBits)};
}

TEST(ScorePixelFormat, PrefersShallowDepthBuffersToDoubleBufferingAndRefusesSoftware) {
  const struct { PixelFormatDescription format; unsigned score; } cases[] = {
      {Format(kDouble, 32, 16), 1138}, {Format(kDouble, 32, 24), 1130},
      {Format(kDouble, 32, 32), 1122},
      {Format(kWindowGl, 32, 16), 1137},  // beats double-buffered with 24 bits
      {Format(kDouble, 32, 9), 1026},     // 9 to 15 depth bits earn no depth term
      {Format(kWindowGl, 32, 15), 1025},
      {Format(kDouble | kPfdGenericFormat, 32, 16), 0},  // drawn in software
      {Format(kDouble, 24, 16), 0},                      // colour depth must match exactly
      {Format(kPfdDrawToWindow | kPfdDoubleBuffer, 32, 16), 0},
      {Format(kPfdSupportOpenGL | kPfdDoubleBuffer, 32, 16), 0},
      {Format(kDouble, 32, 8), 0}, {Format(kDouble, 32, 16, 1), 0},  // too shallow; colour-index
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ScorePixelFormat(cases[i].format, 32), cases[i].score) << "case " << i;
  }
}

int Pick(const std::vector<PixelFormatDescription>& formats) {
  return PickBestPixelFormat(
      static_cast<int>(formats.size()),
      [&](int index, PixelFormatDescription& format) {
        format = formats[index - 1];
        return true;
      },
      32);
}

TEST(PickBestPixelFormat, ChoosesTheTopScoreAndTheHighestIndexAmongEquals) {
  const auto d24 = Format(kDouble, 32, 24);
  const auto s16 = Format(kWindowGl, 32, 16);
  const auto generic = Format(kDouble | kPfdGenericFormat, 32, 16);
  const auto shallowColour = Format(kDouble, 24, 16);
  EXPECT_EQ(Pick({d24, s16, d24}), 2);
  EXPECT_EQ(Pick({d24, shallowColour, d24}), 3);
  EXPECT_EQ(Pick({s16, generic, shallowColour}), 1);
  EXPECT_EQ(Pick({generic, shallowColour}), 0);
  EXPECT_EQ(Pick({}), 0);
}

}  // namespace
