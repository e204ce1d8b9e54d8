#include "image/jpeg/jpeg_color.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

JpegColorTables Tables() {
  JpegColorTables t;
  BuildColorTables(t);
  return t;
}

}  // namespace

// The fast conversion against the table one, for every YCbCr triple: the same
// bytes everywhere, the fourth byte of each pixel aside, which both leave 0 in
// zero-filled buffers. The table conversion's output is pinned by a digest,
// taken when every pixel was within one level of the exact conversion.
TEST(JpegColor, TablesArePinnedAndFastMatchesThemForEveryYCbCr) {
  // Each call covers every (Y, Cr) pair for one Cb: 4:4:4 pixel k of the MCU
  // row (MCU k / 64, row k / 8 % 8, column k % 8) has Y = k % 256, Cr = k / 256.
  const JpegColorTables t = Tables();
  const int mcus = 1024;
  std::vector<uint8_t> samples(mcus * 3 * 64);
  std::vector<uint8_t> fast(mcus * 32), reference(mcus * 32), unused(16);
  uint64_t digest = 14695981039346656037ull;
  for (int cb = 0; cb < 256; ++cb) {
    for (int k = 0; k < mcus * 64; ++k) {
      uint8_t* mcu = &samples[3 * 64 * (k / 64)];
      mcu[k % 64] = static_cast<uint8_t>(k % 256);
      mcu[64 + k % 64] = static_cast<uint8_t>(cb);
      mcu[128 + k % 64] = static_cast<uint8_t>(k / 256);
    }
    for (int r = 0; r < 8; ++r) {
      ConvertMcuRowLine(Layout444, t, samples.data(), mcus, r, 8 - r, fast.data(), unused.data(), true);
      ConvertMcuRowLine(Layout444, t, samples.data(), mcus, r, 8 - r, reference.data(), unused.data(), false);
      ASSERT_EQ(fast, reference) << "Cb " << cb << " row " << r;
      for (uint8_t byte : reference) digest = (digest ^ byte) * 1099511628211ull;
    }
  }
  EXPECT_EQ(digest, 0x1171ae06b968d3fbull);
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
          SCOPED_TRACE(testing::Message() << "layout " << c.layout << " mcus " << mcus << " line " << r);
          ASSERT_EQ(fast == fastB.data(), ref == refB.data());
          ASSERT_EQ(fastA, refA);
          ASSERT_EQ(fastB, refB);
        }
      }
    }
  }
}
