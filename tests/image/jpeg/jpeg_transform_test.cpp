// The scalar inverse DCTs' wraps, and the prescaled tables against their
// cosines.  (The vector kernels are checked against the scalar ones by every
// decoder test, whose engines use one or the other; coefficients at the 16-bit
// limits are among the scan tests' streams.  How close the transforms come to
// the exact one is measured on real files against the reference decoder.)
#include "image/jpeg/jpeg_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using Block = std::vector<int16_t>;
using Quant = std::vector<uint16_t>;
using Samples = std::vector<uint8_t>;

const double kPi = std::acos(-1.0);

// s(0) = 1, s(k) = sqrt(2) cos(k pi / 16): the AAN factors.
double AanFactor(int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * kPi / 16); }

}  // namespace

// Flat blocks whose arithmetic wraps: 8192 x 4 wraps to -32768 in the LLM row
// pass; 32767 x 4 wraps to -4 in AAN's 16 bits.
TEST(JpegTransform, WrapsOfTheScalarTransforms) {
  Block dc(64, 0);
  Samples llm(64), aan(64);
  dc[0] = 8192;
  InverseDctLlm(dc.data(), llm.data());
  EXPECT_EQ(llm, Samples(64, 0));
  dc[0] = 32767;
  InverseDctAan(dc.data(), Quant(64, 4).data(), aan.data());
  EXPECT_EQ(aan, Samples(64, 127));
}

// The scale table is its cosines, rounded; prescaling rounds, and keeps 16 bits.
TEST(JpegTransform, PrescaledTablesFollowTheirCosines) {
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(kAanScale[i], std::lround(16384 * AanFactor(i / 8) * AanFactor(i % 8))) << i;
  }
  EXPECT_EQ(PrescaleQuantValue(16, 1), 89);        // (16 x 22725 + 2048) >> 12 = 89.27
  EXPECT_EQ(PrescaleQuantValue(1, 63), 0);         // (1247 + 2048) >> 12
  EXPECT_EQ(PrescaleQuantValue(65535, 9), 45576);  // 504328 cut to 16 bits
}
