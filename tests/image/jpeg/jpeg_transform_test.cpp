// The inverse DCTs: the vector kernels against the scalar ones on blocks that
// reach every shortcut and every wrap, the edge cases of the scalar ones, and
// the prescaled tables against their cosines.  (How close the transforms come
// to the exact one is measured on real files against the reference decoder.)
#include "image/jpeg/jpeg_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "image/cpu_features.h"

namespace {

using Block = std::vector<int16_t>;
using Quant = std::vector<uint16_t>;
using Samples = std::vector<uint8_t>;

const double kPi = std::acos(-1.0);

// s(0) = 1, s(k) = sqrt(2) cos(k pi / 16): the AAN factors.
double AanFactor(int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * kPi / 16); }

Block Coefficients(std::initializer_list<std::pair<int, int>> indexAndValue) {
  Block block(64, 0);
  for (const auto& [index, value] : indexAndValue) block[index] = static_cast<int16_t>(value);
  return block;
}

Samples Llm(const Block& block) {
  Samples out(64);
  InverseDctLlm(block.data(), out.data());
  return out;
}

Samples Aan(const Block& block, const Quant& quant) {
  Samples out(64);
  InverseDctAan(block.data(), quant.data(), out.data());
  return out;
}

Block Dequantised(const Block& block, const Quant& quant) {
  Block out(64);
  for (int i = 0; i < 64; ++i) out[i] = static_cast<int16_t>(block[i] * quant[i]);
  return out;
}

// Random blocks of every density and magnitude, some with AC terms only in
// their first row and column so that the shortcuts are taken alongside the
// full arithmetic, with random tables; flat blocks across the whole DC range;
// and blocks at the 16-bit limits, whose arithmetic wraps at 16 bits (AAN,
// LLM row results) and at 32 bits (LLM odd part), with extreme tables.
std::vector<std::pair<Block, Quant>> SampleBlocks() {
  std::vector<std::pair<Block, Quant>> samples;
  std::mt19937 rng(77);
  const auto random = [&rng](int low, int high) { return low + static_cast<int>(rng() % (high - low + 1u)); };
  const std::pair<int, int> mixes[] = {{40, 16}, {300, 64}, {32767, 255}, {32767, 65535}};  // range, top quantiser
  for (int round = 0; round < 16000; ++round) {
    const auto [range, maxQ] = mixes[round % 4];
    Block block(64, 0);
    Quant quant(64);
    block[0] = static_cast<int16_t>(random(-range, range) * 4);
    for (int i = round % 64; i > 0; --i) block[random(1, 63)] = static_cast<int16_t>(random(-range, range));
    for (int i = 8; i < 64; ++i) {
      if ((round % 3 == 0 && i % 8) || (round % 5 == 0 && i % 8 < 4)) block[i] = 0;
    }
    for (uint16_t& q : quant) q = static_cast<uint16_t>(random(1, maxQ));
    samples.emplace_back(block, quant);
  }
  const Quant quants[] = {Quant(64, 1), Quant(64, 65535), Quant(64, 0x8000), Quant(64, 3)};
  for (int dc = -32768; dc <= 32767; ++dc) samples.emplace_back(Coefficients({{0, dc}}), quants[dc & 3]);
  Block alternating(64), checkerboard(64);
  for (int i = 0; i < 64; ++i) {
    alternating[i] = static_cast<int16_t>(i % 2 ? -32768 : 32767);
    checkerboard[i] = static_cast<int16_t>((i / 8 + i) % 2 ? -32767 : 32767);
  }
  for (const Block& block : {Block(64, 32767), Block(64, -32768), alternating, checkerboard,
                             Coefficients({{63, -32768}}),
                             Coefficients({{0, 32767}, {1, 32767}, {3, 32767}, {5, 32767}, {7, 32767}}),
                             Coefficients({{0, -32768}, {8, -32768}, {24, -32768}, {56, -32768}}),
                             Coefficients({{9, -32768}, {27, -32768}, {45, -32768}, {63, -32768}})}) {
    for (const Quant& quant : quants) samples.emplace_back(block, quant);
  }
  return samples;
}

}  // namespace

// Flat blocks at the ends of the range, and two wraps outright: 8192 x 4
// wraps to -32768 in the LLM row pass; 32767 x 4 wraps to -4 in AAN's 16 bits.
TEST(JpegTransform, FlatBlocksAndWraps) {
  EXPECT_EQ(Llm(Block(64, 0)), Samples(64, 128));
  EXPECT_EQ(Aan(Block(64, 0), Quant(64, 4)), Samples(64, 128));
  EXPECT_EQ(Llm(Coefficients({{0, -1024}})), Samples(64, 0));
  EXPECT_EQ(Llm(Coefficients({{0, 1016}})), Samples(64, 255));
  EXPECT_EQ(Llm(Coefficients({{0, 8192}})), Samples(64, 0));
  EXPECT_EQ(Aan(Coefficients({{0, 32767}}), Quant(64, 4)), Samples(64, 127));
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

// The SSE2 and AVX2 kernels against their scalar twins, byte for byte.
TEST(JpegTransform, VectorKernelsMatchScalar) {
  if constexpr (!kHasSse2Transforms) {
    GTEST_SKIP() << "this build has no SSE2 kernels";
  } else {
    // The AVX2 kernel too, where this processor can run it.
    const bool avx2 = kHasAvx2Transforms && ProcessorHasAvx2();
    for (const auto& [block, quant] : SampleBlocks()) {
      SCOPED_TRACE(testing::Message() << "block starting " << block[0] << "," << block[1]);
      Samples vector(64);
      InverseDctAanSse2(block.data(), quant.data(), vector.data());
      ASSERT_EQ(vector, Aan(block, quant)) << "AAN";
      // The LLM kernels dequantise: the same as dequantising first.
      const Samples scalar = Llm(Dequantised(block, quant));
      InverseDctLlmSse2(block.data(), quant.data(), vector.data());
      ASSERT_EQ(vector, scalar) << "LLM";
      if (avx2) {
        InverseDctLlmAvx2(block.data(), quant.data(), vector.data());
        ASSERT_EQ(vector, scalar) << "AVX2 LLM";
      }
    }
  }
}
