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

// Only the order of the scores and whether they are zero decide the choice.
TEST(ScorePixelFormat, PrefersShallowDepthBuffersToDoubleBufferingAndRefusesSoftware) {
  const PixelFormatDescription bestFirst[] = {
      Format(kDouble, 32, 16), Format(kWindowGl, 32, 16),  // beats double-buffered with 24 bits
      Format(kDouble, 32, 24), Format(kDouble, 32, 32),
      Format(kDouble, 32, 9),  // 9 to 15 depth bits earn no depth term
      Format(kWindowGl, 32, 15)};
  for (size_t i = 0; i + 1 < std::size(bestFirst); ++i) {
    EXPECT_GT(ScorePixelFormat(bestFirst[i], 32), ScorePixelFormat(bestFirst[i + 1], 32)) << i;
  }
  EXPECT_GT(ScorePixelFormat(bestFirst[std::size(bestFirst) - 1], 32), 0u);
  const PixelFormatDescription refused[] = {
      Format(kDouble | kPfdGenericFormat, 32, 16),  // drawn in software
      Format(kDouble, 24, 16),                      // colour depth must match exactly
      Format(kPfdDrawToWindow | kPfdDoubleBuffer, 32, 16), Format(kPfdSupportOpenGL | kPfdDoubleBuffer, 32, 16),
      Format(kDouble, 32, 8), Format(kDouble, 32, 16, 1)};  // too shallow; colour-index
  for (size_t i = 0; i < std::size(refused); ++i) EXPECT_EQ(ScorePixelFormat(refused[i], 32), 0u) << i;
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
  EXPECT_EQ(Pick({d24, s16, d24}), 2);
  EXPECT_EQ(Pick({d24, generic, d24}), 3);
  EXPECT_EQ(Pick({generic, Format(kDouble, 24, 16)}), 0);
  EXPECT_EQ(Pick({}), 0);
}

}  // namespace
