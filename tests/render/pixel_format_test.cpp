#include "render/pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kWindowGl = kPfdDrawToWindow | kPfdSupportOpenGL;
constexpr uint32_t kWindowGlDouble = kWindowGl | kPfdDoubleBuffer;

PixelFormatDescription Format(uint32_t flags, int colorBits, int depthBits, uint8_t pixelType = kPfdTypeRgba) {
  PixelFormatDescription format;
  format.flags = flags;
  format.colorBits = static_cast<uint8_t>(colorBits);
  format.depthBits = static_cast<uint8_t>(depthBits);
  format.pixelType = pixelType;
  return format;
}

TEST(ScorePixelFormat, PrefersTheShallowestDepthBufferOverDoubleBuffering) {
  struct Case {
    PixelFormatDescription format;
    unsigned score;
  };
  const Case cases[] = {
      {Format(kWindowGlDouble, 32, 16), 1138},
      {Format(kWindowGlDouble, 32, 24), 1130},
      {Format(kWindowGlDouble, 32, 32), 1122},
      {Format(kWindowGl, 32, 16), 1137},
      {Format(kWindowGl, 32, 24), 1129},
      // 9 to 15 depth bits are acceptable but earn no depth term.
      {Format(kWindowGlDouble, 32, 9), 1026},
      {Format(kWindowGl, 32, 15), 1025},
      // Flags beyond the ones the score reads change nothing.
      {Format(kWindowGlDouble | 0x8000, 32, 24), 1130},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScorePixelFormat(c.format, 32), c.score)
        << "flags " << c.format.flags << " depth " << int(c.format.depthBits);
  }
}

TEST(ScorePixelFormat, RefusesEveryFormatTheSaverCannotUse) {
  const PixelFormatDescription refused[] = {
      Format(kWindowGlDouble | kPfdGenericFormat, 32, 16),  // drawn in software
      Format(kWindowGlDouble, 24, 16),                      // colour depth must match exactly
      Format(kWindowGlDouble, 16, 16),
      Format(kPfdDrawToWindow | kPfdDoubleBuffer, 32, 16),  // no OpenGL
      Format(kPfdSupportOpenGL | kPfdDoubleBuffer, 32, 16), // not for windows
      Format(kWindowGlDouble, 32, 8),                       // depth buffer too shallow
      Format(kWindowGlDouble, 32, 0),
      Format(kWindowGlDouble, 32, 16, 1),                   // colour-index pixels
  };
  for (const PixelFormatDescription& format : refused) {
    EXPECT_EQ(ScorePixelFormat(format, 32), 0u)
        << "flags " << format.flags << " colour " << int(format.colorBits) << " depth "
        << int(format.depthBits) << " type " << int(format.pixelType);
  }
  EXPECT_EQ(ScorePixelFormat(Format(kWindowGlDouble, 24, 16), 24), 1138u);
}

int Pick(const std::vector<PixelFormatDescription>& formats, int colourBits = 32) {
  std::vector<int> described;
  const int chosen = PickBestPixelFormat(
      static_cast<int>(formats.size()),
      [&](int index, PixelFormatDescription& format) {
        described.push_back(index);
        format = formats[index - 1];
        return true;
      },
      colourBits);
  // Every format is looked at, whatever is found on the way.
  EXPECT_EQ(described.size(), formats.size());
  return chosen;
}

TEST(PickBestPixelFormat, ChoosesTheTopScoreAndTheHighestIndexAmongEquals) {
  const auto d24 = Format(kWindowGlDouble, 32, 24);
  const auto s16 = Format(kWindowGl, 32, 16);
  const auto generic = Format(kWindowGlDouble | kPfdGenericFormat, 32, 16);
  const auto wrongDepth = Format(kWindowGlDouble, 24, 16);

  EXPECT_EQ(Pick({d24, s16, d24}), 2);        // 1137 beats 1130
  EXPECT_EQ(Pick({d24, wrongDepth, d24}), 3);  // a tie goes to the higher index
  EXPECT_EQ(Pick({s16, generic, wrongDepth}), 1);
  EXPECT_EQ(Pick({generic, wrongDepth}), 0);   // only software or wrong depths: none
  EXPECT_EQ(Pick({}), 0);
  EXPECT_EQ(Pick({wrongDepth}, 24), 1);
}

TEST(PickBestPixelFormat, SkipsFormatsThatCannotBeDescribed) {
  const auto d24 = Format(kWindowGlDouble, 32, 24);
  const int chosen = PickBestPixelFormat(
      3,
      [&](int index, PixelFormatDescription& format) {
        format = d24;
        return index != 3;
      },
      32);
  EXPECT_EQ(chosen, 2);
}

}  // namespace
