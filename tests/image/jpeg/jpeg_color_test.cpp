#include "image/jpeg/jpeg_color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

JpegColorTables Tables() {
  JpegColorTables t;
  BuildColorTables(t);
  return t;
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// Converts one 4:4:4 pixel through the line conversion.
Rgb ConvertPixel(const JpegColorTables& t, int y, int cb, int cr) {
  std::vector<uint8_t> samples(3 * 64);
  samples[0] = static_cast<uint8_t>(y);
  samples[64] = static_cast<uint8_t>(cb);
  samples[128] = static_cast<uint8_t>(cr);
  std::vector<uint8_t> line(16 * 4), unused(16 * 4);
  ConvertMcuRowLine(Layout444, t, samples.data(), 1, 0, 8, line.data(), unused.data(), false);
  return {line[0], line[1], line[2]};
}

int Clamp(double v) { return static_cast<int>(std::fmin(255, std::fmax(0, v))); }

// Sample row of one MCU row: each block gets its own base value, and sample
// (row, col) of block b is base(b) + 8 x row + col, so every sample says where
// it came from.
constexpr int kBase[6] = {0, 64, 128, 192, 132, 60};

std::vector<uint8_t> TaggedSampleRow(int mcus, int blocksPerMcu) {
  std::vector<uint8_t> row(64 * mcus * blocksPerMcu);
  for (int m = 0; m < mcus; ++m) {
    for (int b = 0; b < blocksPerMcu; ++b) {
      for (int i = 0; i < 64; ++i) row[64 * (m * blocksPerMcu + b) + i] = static_cast<uint8_t>(kBase[b] + i + m);
    }
  }
  return row;
}

// The row with blocks [from, to) of every MCU set to 128: neutral chroma makes
// pixels grey so that every byte shows the luminance; flat luminance makes red
// show Cr and blue show Cb.
std::vector<uint8_t> Flatten(std::vector<uint8_t> row, int mcus, int blocksPerMcu, int from, int to) {
  for (int m = 0; m < mcus; ++m) {
    for (int b = from; b < to; ++b) std::fill_n(row.begin() + 64 * (m * blocksPerMcu + b), 64, uint8_t{128});
  }
  return row;
}

constexpr uint8_t kUntouched = 0xA5;

struct LayoutCase {
  JpegLayout layout;
  int blocksPerMcu, lumaBlocks, mcuWidth, mcuHeight;
  // Where luminance of MCU-relative pixel (x, line) comes from.
  int (*lumaBlock)(int x, int line);
  int chromaStepX, chromaStepY;
};

const LayoutCase kColourLayouts[] = {
    {Layout444, 3, 1, 8, 8, [](int, int) { return 0; }, 1, 1},
    {Layout422, 4, 2, 16, 8, [](int x, int) { return x / 8; }, 2, 1},
    {Layout440, 4, 2, 8, 16, [](int, int line) { return line / 8; }, 1, 2},
    {Layout420, 6, 4, 16, 16, [](int x, int line) { return 2 * (line / 8) + x / 8; }, 2, 2},
};

bool TwoLineLayout(JpegLayout layout) { return layout == Layout440 || layout == Layout420; }

// Runs the line conversion as the decoder's line loop does over one MCU row and
// returns the lines handed out (mcus x MCU width pixels, 4 bytes each).
std::vector<std::vector<uint8_t>> HandOutMcuRow(const LayoutCase& c, const JpegColorTables& t,
                                                const std::vector<uint8_t>& samples, int mcus) {
  const int lineBytes = mcus * c.mcuWidth * 4;
  std::vector<uint8_t> lineA(lineBytes + 8, kUntouched), lineB(lineBytes + 8, kUntouched);
  std::vector<std::vector<uint8_t>> lines;
  for (int left = c.mcuHeight; left > 0; --left) {
    const int r = c.mcuHeight - left;
    const bool secondOfPair = TwoLineLayout(c.layout) && left % 2;
    const std::vector<uint8_t> aBefore = lineA, bBefore = lineB;
    const uint8_t* line = ConvertMcuRowLine(c.layout, t, samples.data(), mcus, r, left,
                                            lineA.data(), lineB.data(), false);
    EXPECT_EQ(line, secondOfPair ? lineB.data() : lineA.data()) << r;
    // The second line of a pair was written with the first: this call writes nothing.
    if (secondOfPair) {
      EXPECT_TRUE(lineA == aBefore && lineB == bBefore) << r;
    }
    lines.emplace_back(line, line + lineBytes);
    // Nothing beyond the MCUs' width is written.
    EXPECT_EQ(lineA[lineBytes], kUntouched);
    EXPECT_EQ(lineB[lineBytes], kUntouched);
  }
  return lines;
}

}  // namespace

TEST(JpegColor, CornersAndNeutralGrey) {
  const JpegColorTables t = Tables();
  struct Case { int y, cb, cr; Rgb expected; };
  const Case cases[] = {
      {128, 128, 128, {128, 128, 128}},
      {255, 128, 255, {255, 164, 255}},  // red clamped at the top
      {0, 0, 128, {0, 44, 0}},           // blue clamped at the bottom
      {0, 255, 0, {0, 48, 225}},
      {255, 0, 255, {255, 208, 28}},
      {76, 85, 255, {254, 0, 0}},         // pure red, within a level
      {0, 128, 128, {0, 0, 0}},
      {255, 128, 128, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertPixel(t, c.y, c.cb, c.cr), c.expected) << c.y << " " << c.cb << " " << c.cr;
  }
}

TEST(JpegColor, WithinOneLevelOfTheExactConversion) {
  const JpegColorTables t = Tables();
  for (int y = 0; y < 256; y += 15) {
    for (int cb = 0; cb < 256; cb += 3) {
      for (int cr = 0; cr < 256; cr += 5) {
        const Rgb got = ConvertPixel(t, y, cb, cr);
        const Rgb exact = {Clamp(y + 1.402 * (cr - 128)),
                           Clamp(y - 0.344136 * (cb - 128) - 0.714136 * (cr - 128)),
                           Clamp(y + 1.772 * (cb - 128))};
        ASSERT_NEAR(got.r, exact.r, 1) << y << " " << cb << " " << cr;
        ASSERT_NEAR(got.g, exact.g, 1) << y << " " << cb << " " << cr;
        ASSERT_NEAR(got.b, exact.b, 1) << y << " " << cb << " " << cr;
      }
    }
  }
}

TEST(JpegColor, GreyLinesCopyRowROfEachBlock) {
  const JpegColorTables t = Tables();
  const int mcus = 3;
  const std::vector<uint8_t> samples = TaggedSampleRow(mcus, 1);
  std::vector<uint8_t> lineA(16 * mcus, kUntouched), lineB(16 * mcus, kUntouched);
  for (int r = 0; r < 8; ++r) {
    const uint8_t* line = ConvertMcuRowLine(LayoutGrey, t, samples.data(), mcus, r, 8 - r,
                                            lineA.data(), lineB.data(), false);
    ASSERT_EQ(line, lineA.data());
    for (int x = 0; x < 8 * mcus; ++x) EXPECT_EQ(line[x], samples[64 * (x / 8) + 8 * r + x % 8]) << r << "," << x;
    EXPECT_EQ(lineA[8 * mcus], kUntouched);
  }
  EXPECT_EQ(lineB, std::vector<uint8_t>(16 * mcus, kUntouched));
}

TEST(JpegColor, ColourLayoutsPlaceLuminanceAndReplicateChroma) {
  const JpegColorTables t = Tables();
  const int mcus = 2;
  for (const LayoutCase& c : kColourLayouts) {
    const std::vector<uint8_t> tagged = TaggedSampleRow(mcus, c.blocksPerMcu);
    const int n = c.blocksPerMcu;
    const auto lumaLines = HandOutMcuRow(c, t, Flatten(tagged, mcus, n, c.lumaBlocks, n), mcus);
    const auto chromaLines = HandOutMcuRow(c, t, Flatten(tagged, mcus, n, 0, c.lumaBlocks), mcus);
    for (int line = 0; line < c.mcuHeight; ++line) {
      for (int px = 0; px < mcus * c.mcuWidth; ++px) {
        const int m = px / c.mcuWidth, x = px % c.mcuWidth;
        const uint8_t* mcu = &tagged[64 * m * c.blocksPerMcu];
        const uint8_t y = mcu[64 * c.lumaBlock(x, line) + 8 * (line % 8) + x % 8];
        const int at = 8 * (line / c.chromaStepY) + x / c.chromaStepX;
        const int cb = mcu[64 * c.lumaBlocks + at], cr = mcu[64 * (c.lumaBlocks + 1) + at];
        const uint8_t* grey = &lumaLines[line][4 * px];
        const uint8_t* colour = &chromaLines[line][4 * px];
        ASSERT_TRUE(grey[0] == y && grey[1] == y && grey[2] == y) << c.layout << " line " << line << " px " << px;
        ASSERT_EQ(grey[3], kUntouched);  // the fourth byte is never written
        ASSERT_EQ(colour[0], Clamp(128 + t.crToR[cr])) << c.layout << " line " << line << " px " << px;
        ASSERT_EQ(colour[2], Clamp(128 + t.cbToB[cb])) << c.layout << " line " << line << " px " << px;
      }
    }
  }
}

TEST(JpegColor, OnePixelWideAndOddHeightImages) {
  // A 1-pixel-wide 4:2:0 image: one MCU per row, a line buffer padded to 16
  // pixels (+ 8 bytes) and 4 bytes handed out. With an odd height the last
  // line comes from lineA, and the lineB written with it is never used.
  const JpegColorTables t = Tables();
  for (const LayoutCase& c : kColourLayouts) {
    if (!TwoLineLayout(c.layout)) continue;
    for (int height : {1, 3, 15, 17}) {
      const std::vector<uint8_t> samples =
          Flatten(TaggedSampleRow(1, c.blocksPerMcu), 1, c.blocksPerMcu, c.lumaBlocks, c.blocksPerMcu);
      std::vector<uint8_t> lineA(16 * 4 + 8, kUntouched), lineB(16 * 4 + 8, kUntouched);
      int linesLeftInMcuRow = 0;
      const uint8_t* last = nullptr;
      for (int line = 0; line < height; ++line) {
        if (linesLeftInMcuRow == 0) linesLeftInMcuRow = c.mcuHeight;
        const int r = c.mcuHeight - linesLeftInMcuRow;
        last = ConvertMcuRowLine(c.layout, t, samples.data(), 1, r, linesLeftInMcuRow,
                                 lineA.data(), lineB.data(), false);
        const uint8_t expected = samples[64 * c.lumaBlock(0, r) + 8 * (r % 8)];
        ASSERT_EQ(last[0], expected) << c.layout << " height " << height << " line " << line;
        --linesLeftInMcuRow;
      }
      EXPECT_EQ(last, lineA.data()) << c.layout << " height " << height;
      for (size_t i = c.mcuWidth * 4; i < lineA.size(); ++i) {
        ASSERT_EQ(lineA[i], kUntouched) << i;
        ASSERT_EQ(lineB[i], kUntouched) << i;
      }
    }
  }
}

// The fast conversion against the table one: the same bytes everywhere, the
// fourth byte of each pixel aside, which both leave 0 in zero-filled buffers.

TEST(JpegColor, FastMatchesTablesForEveryYCbCr) {
  // Each call covers every (Y, Cr) pair for one Cb: 4:4:4 pixel k of the MCU
  // row (MCU k / 64, row k / 8 % 8, column k % 8) has Y = k % 256, Cr = k / 256.
  const JpegColorTables t = Tables();
  const int mcus = 1024;
  std::vector<uint8_t> samples(mcus * 3 * 64);
  std::vector<uint8_t> fast(mcus * 32), reference(mcus * 32), unused(16);
  for (int cb = 0; cb < 256; ++cb) {
    for (int k = 0; k < mcus * 64; ++k) {
      uint8_t* mcu = &samples[3 * 64 * (k / 64)];
      mcu[k % 64] = static_cast<uint8_t>(k % 256);
      mcu[64 + k % 64] = static_cast<uint8_t>(cb);
      mcu[128 + k % 64] = static_cast<uint8_t>(k / 256);
    }
    for (int r = 0; r < 8; ++r) {
      ConvertMcuRowLine(Layout444, t, samples.data(), mcus, r, 8 - r, fast.data(), unused.data(), true);
      ConvertMcuRowLine(Layout444, t, samples.data(), mcus, r, 8 - r, reference.data(), unused.data(),
                        false);
      ASSERT_EQ(fast, reference) << "Cb " << cb << " row " << r;
    }
  }
}

TEST(JpegColor, FastMatchesTablesInEveryLayoutAndWidth) {
  const JpegColorTables t = Tables();
  // Fills of the luminance, Cb and Cr blocks; -1 is seeded noise.
  struct Fill { int y, cb, cr; };
  const Fill fills[] = {{-1, -1, -1}, {0, 0, 0}, {255, 255, 255}, {255, -1, 255}, {0, 0, -1}};
  std::mt19937 random(20240611);
  for (const LayoutCase& c : kColourLayouts) {
    for (int mcus = 1; mcus <= 9; ++mcus) {
      for (const Fill& fill : fills) {
        std::vector<uint8_t> samples(64 * c.blocksPerMcu * mcus);
        for (size_t i = 0; i < samples.size(); ++i) {
          const int block = static_cast<int>(i / 64 % c.blocksPerMcu);
          const int value = block < c.lumaBlocks ? fill.y : block == c.lumaBlocks ? fill.cb : fill.cr;
          samples[i] = static_cast<uint8_t>(value < 0 ? random() : value);
        }
        // Padded as the decoder pads them; the padding must stay untouched.
        const size_t lineBytes = static_cast<size_t>(mcus * c.mcuWidth * 4 + 8);
        std::vector<uint8_t> fastA(lineBytes), fastB(lineBytes), refA(lineBytes), refB(lineBytes);
        for (int left = c.mcuHeight; left > 0; --left) {
          const int r = c.mcuHeight - left;
          const uint8_t* fast = ConvertMcuRowLine(c.layout, t, samples.data(), mcus, r, left,
                                                  fastA.data(), fastB.data(), true);
          const uint8_t* ref = ConvertMcuRowLine(c.layout, t, samples.data(), mcus, r, left,
                                                 refA.data(), refB.data(), false);
          const std::string where = "layout " + std::to_string(c.layout) + " mcus " +
                                    std::to_string(mcus) + " line " + std::to_string(r);
          ASSERT_EQ(fast == fastB.data(), ref == refB.data()) << where;
          ASSERT_EQ(fastA, refA) << where;
          ASSERT_EQ(fastB, refB) << where;
        }
      }
    }
  }
}
