// The colour conversion: the tables against the exact conversion and the fast
// engines' vector code against the tables, for every YCbCr triple.  (The
// other layouts differ only in how chroma is shared; every decoder test
// compares the engines' lines in them.)
#include "image/jpeg/jpeg_color.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

int ExactLevel(double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0))); }

}  // namespace

// Every YCbCr triple: the tables within one level of the exact conversion,
// the vector code equal to the tables.  Pixel k of a 4:4:4 row (MCU k / 8,
// row r) has Y = k % 256 and Cr = (k / 256) % 256; each row r and round takes
// its own Cb.
TEST(JpegColor, TablesAreWithinOneLevelOfExactAndFastMatchesThem) {
  JpegColorTables t;
  BuildColorTables(t);
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
