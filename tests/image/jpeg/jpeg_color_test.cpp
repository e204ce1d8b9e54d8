// The colour conversion of MCU rows: the table conversion against the exact
// one, and the fast engines' vector code against the tables in every layout.
#include "image/jpeg/jpeg_color.h"

#include <gtest/gtest.h>

#include <algorithm>
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

int ExactLevel(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0))); }

}  // namespace

// Every YCbCr triple: the tables within one level of the exact conversion,
// the vector code equal to the tables.  Pixel k of a 4:4:4 row (MCU k / 8,
// row r) has Y = k % 256 and Cr = (k / 256) % 256; each row r and round takes
// its own Cb.
TEST(JpegColor, TablesAreWithinOneLevelOfExactAndFastMatchesThem) {
  const JpegColorTables t = Tables();
  const ConvertLinesKernel table = ChooseLineConversion(JpegEngine::Reference, Layout444, false);
  const ConvertLinesKernel fast = ChooseLineConversion(JpegEngine::FastPortable, Layout444, false);
  const int mcus = 8192;
  std::vector<uint8_t> samples(mcus * 3 * 64), expected(mcus * 32), got(mcus * 32), unused(16);
  for (int round = 0; round < 32; ++round) {
    for (int i = 0; i < mcus * 64; ++i) {
      const int mcu = i / 64, r = i % 64 / 8, k = 8 * mcu + i % 8;
      samples[i + 128 * mcu] = static_cast<uint8_t>(k % 256);
      samples[i + 128 * mcu + 64] = static_cast<uint8_t>(8 * round + r);
      samples[i + 128 * mcu + 128] = static_cast<uint8_t>(k / 256);
    }
    for (int r = 0; r < 8; ++r) {
      table(t, samples.data(), mcus, r, expected.data(), unused.data());
      fast(t, samples.data(), mcus, r, got.data(), unused.data());
      ASSERT_EQ(got, expected) << "Cb " << 8 * round + r;
      for (int k = 0; k < mcus * 8; ++k) {
        const double y = k % 256, cb = 8 * round + r - 128, cr = k / 256 - 128;
        const int exact[3] = {ExactLevel(y + 1.402 * cr), ExactLevel(y - 0.344136 * cb - 0.714136 * cr),
                              ExactLevel(y + 1.772 * cb)};
        for (int c = 0; c < 3; ++c) {
          ASSERT_LE(std::abs(expected[4 * k + c] - exact[c]), 1)
              << "Y " << y << " Cb " << cb + 128 << " Cr " << cr + 128 << " channel " << c;
        }
      }
    }
  }
}

TEST(JpegColor, FastMatchesTablesInEveryLayoutAndWidth) {
  const JpegColorTables t = Tables();
  struct LayoutCase { JpegLayout layout; int blocksPerMcu, lumaBlocks, mcuWidth, mcuHeight; };
  const LayoutCase layouts[] = {
      {Layout444, 3, 1, 8, 8}, {Layout422, 4, 2, 16, 8}, {Layout440, 4, 2, 8, 16}, {Layout420, 6, 4, 16, 16},
  };
  // Fills of the luminance, Cb and Cr blocks; -1 is seeded noise.
  struct Fill { int y, cb, cr; };
  const Fill fills[] = {{-1, -1, -1}, {0, 0, 0}, {255, 255, 255}, {255, -1, 255}, {0, 0, -1}};
  std::mt19937 random(20240611);
  for (const LayoutCase& c : layouts) {
    const ConvertLinesKernel table = ChooseLineConversion(JpegEngine::Reference, c.layout, false);
    const ConvertLinesKernel fast = ChooseLineConversion(JpegEngine::FastPortable, c.layout, false);
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
        const int step = c.mcuHeight == 16 ? 2 : 1;  // two lines share a chroma row
        for (int r = 0; r < c.mcuHeight; r += step) {
          SCOPED_TRACE(testing::Message() << "layout " << c.layout << " mcus " << mcus << " line " << r);
          table(t, samples.data(), mcus, r, refA.data(), refB.data());
          fast(t, samples.data(), mcus, r, fastA.data(), fastB.data());
          ASSERT_EQ(fastA, refA);
          ASSERT_EQ(fastB, refB);
        }
      }
    }
  }
}
