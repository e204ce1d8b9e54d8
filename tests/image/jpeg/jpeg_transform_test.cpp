#include "image/jpeg/jpeg_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "image/jpeg/jpeg_processor_extensions.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

using Block = std::vector<int16_t>;
using Samples = std::vector<uint8_t>;

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

Samples Aan(const Block& block, const std::vector<uint16_t>& quant) {
  Samples out(64);
  InverseDctAan(block.data(), quant.data(), out.data());
  return out;
}

const std::vector<uint16_t> kUnitQuant(64, 1);

// ---- an independent statement of the LLM arithmetic --------------------------
//
// Within one 1-D pass the LLM butterflies are exact integer arithmetic, so the
// pass is a matrix: row k holds the factors of x0..x7 in output yk. The matrix
// was worked out from the factorisation by hand; the test below checks that
// it is an inverse DCT scaled by 8192.
const int64_t kLlmMatrix[8][8] = {
    {8192, 11363, 10703, 9633, 8192, 6437, 4433, 2260},
    {8192, 9633, 4433, -2259, -8192, -11362, -10704, -6436},
    {8192, 6437, -4433, -11362, -8192, 2261, 10704, 9633},
    {8192, 2260, -10703, -6436, 8192, 9633, -4433, -11363},
    {8192, -2260, -10703, 6436, 8192, -9633, -4433, 11363},
    {8192, -6437, -4433, 11362, -8192, -2261, 10704, -9633},
    {8192, -9633, 4433, 2259, -8192, 11362, -10704, 6436},
    {8192, -11363, 10703, -9633, 8192, -6437, 4433, -2260},
};

int64_t Mod(int64_t v, int64_t m) { return ((v % m) + m) % m; }
int64_t Wrap(int64_t v, int bits) {
  const int64_t m = int64_t{1} << bits;
  const int64_t r = Mod(v, m);
  return r >= m / 2 ? r - m : r;
}
int64_t FloorDiv(int64_t v, int64_t d) { return (v - Mod(v, d)) / d; }
int64_t Clamp(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

Samples ReferenceLlm(const Block& in) {
  int64_t mid[64];
  for (int row = 0; row < 8; ++row) {
    for (int k = 0; k < 8; ++k) {
      int64_t y = 0;
      for (int j = 0; j < 8; ++j) y += kLlmMatrix[k][j] * in[8 * row + j];
      mid[8 * row + k] = Wrap(FloorDiv(Wrap(Wrap(y, 32) + 1024, 32), 2048), 16);
    }
  }
  Samples out(64);
  for (int col = 0; col < 8; ++col) {
    for (int k = 0; k < 8; ++k) {
      int64_t y = 0;
      for (int j = 0; j < 8; ++j) y += kLlmMatrix[k][j] * mid[8 * j + col];
      const int64_t v = Wrap(FloorDiv(Wrap(Wrap(y, 32) + 131072, 32), 262144), 16);
      out[8 * k + col] = static_cast<uint8_t>(Clamp(Wrap(v + 128, 16)));
    }
  }
  return out;
}

// ---- an independent statement of the AAN arithmetic --------------------------

int64_t M(int64_t v, int64_t c) { return FloorDiv(Wrap(4 * v, 16) * c, 65536); }

void ReferenceAanPass(int64_t* p[8]) {
  auto w = [](int64_t v) { return Wrap(v, 16); };
  const int64_t x0 = *p[0], x1 = *p[1], x2 = *p[2], x3 = *p[3];
  const int64_t x4 = *p[4], x5 = *p[5], x6 = *p[6], x7 = *p[7];
  const int64_t e10 = w(x0 + x4), e11 = w(x0 - x4), e13 = w(x2 + x6);
  const int64_t e12 = w(M(w(x2 - x6), 23170) - e13);
  const int64_t z13 = w(x5 + x3), z10 = w(x5 - x3), z11 = w(x1 + x7), z12 = w(x1 - x7);
  const int64_t o7 = w(z11 + z13);
  const int64_t o6 = w(w(M(z10, -12540) + M(z12, 30273)) - o7);
  const int64_t o5 = w(M(w(z11 - z13), 23170) - o6);
  const int64_t o4 = w(w(M(z10, -30353) + M(z12, -12540)) + o5);
  const int64_t even[8] = {e10 + e13, e11 + e12, e11 - e12, e10 - e13,
                           e10 - e13, e11 - e12, e11 + e12, e10 + e13};
  const int64_t odd[8] = {o7, o6, o5, -o4, o4, -o5, -o6, -o7};
  for (int k = 0; k < 8; ++k) *p[k] = w(w(even[k]) + odd[k]);
}

Samples ReferenceAan(const Block& in, const std::vector<uint16_t>& quant) {
  int64_t d[64];
  for (int i = 0; i < 64; ++i) d[i] = Wrap(int64_t{in[i]} * quant[i], 16);
  for (int col = 0; col < 8; ++col) {
    int64_t* p[8];
    for (int k = 0; k < 8; ++k) p[k] = &d[8 * k + col];
    ReferenceAanPass(p);
  }
  for (int row = 0; row < 8; ++row) {
    int64_t* p[8];
    for (int k = 0; k < 8; ++k) p[k] = &d[8 * row + k];
    ReferenceAanPass(p);
  }
  Samples out(64);
  for (int i = 0; i < 64; ++i) out[i] = static_cast<uint8_t>(Clamp(FloorDiv(d[i], 32) + 128));
  return out;
}

Block RandomBlock(std::mt19937& rng, int acTerms, int range) {
  Block block(64, 0);
  std::uniform_int_distribution<int> index(1, 63), value(-range, range);
  block[0] = static_cast<int16_t>(value(rng) * 4);
  for (int i = 0; i < acTerms; ++i) block[index(rng)] = static_cast<int16_t>(value(rng));
  return block;
}

std::vector<uint16_t> RandomQuant(std::mt19937& rng, int maxQ) {
  std::vector<uint16_t> q(64);
  std::uniform_int_distribution<int> value(1, maxQ);
  for (int i = 0; i < 64; ++i) q[i] = static_cast<uint16_t>(value(rng));
  return q;
}

}  // namespace

TEST(JpegTransform, ReferenceMatrixIsAScaledInverseDct) {
  for (int k = 0; k < 8; ++k) {
    for (int j = 0; j < 8; ++j) {
      const double ideal = 8192 * (j ? std::sqrt(2.0) : 1.0) * std::cos((2 * k + 1) * j * kPi / 16);
      EXPECT_NEAR(kLlmMatrix[k][j], ideal, 2.0) << k << "," << j;
    }
  }
}

TEST(JpegTransform, PrescaleRoundsAndKeepsSixteenBits) {
  struct Case { uint16_t value; int index; uint16_t expected; };
  const Case cases[] = {
      {1, 0, 4},          // 16384 / 4096
      {16, 1, 89},        // (16 x 22725 + 2048) >> 12 = 89.27
      {1, 63, 0},         // (1247 + 2048) >> 12
      {2, 63, 1},         // (2494 + 2048) >> 12
      {255, 9, 1962},     // 255 x 31521 = 8037855
      {65535, 9, 45576},  // 504328 cut to 16 bits
      {65535, 0, 65532},  // 65535 x 4 = 262140, cut to 16 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrescaleQuantValue(c.value, c.index), c.expected) << c.value << " @" << c.index;
  }
}

TEST(JpegTransform, MatchIndependentArithmeticOnRandomBlocks) {
  std::mt19937 rng(20240611);
  struct Mix { int acTerms; int range; int maxQ; };
  // Sparse and dense blocks, small and wrapping magnitudes.
  const Mix mixes[] = {{0, 200, 16}, {1, 300, 16}, {3, 500, 32}, {12, 200, 64},
                       {63, 60, 8},  {5, 32767, 255}, {63, 32767, 65535}};
  for (const Mix& mix : mixes) {
    for (int round = 0; round < 400; ++round) {
      Block block = RandomBlock(rng, mix.acTerms, mix.range);
      // Some rows and columns with AC terms only in their first entry, so that the
      // shortcuts are taken alongside the full arithmetic.
      if (round % 3 == 0) for (int i = 8; i < 64; ++i) if (i % 8) block[i] = 0;
      if (round % 5 == 0) for (int i = 0; i < 64; ++i) if (i >= 8 && (i % 8) < 4) block[i] = 0;
      ASSERT_EQ(Llm(block), ReferenceLlm(block)) << mix.acTerms << "/" << mix.range;
      const std::vector<uint16_t> quant = RandomQuant(rng, mix.maxQ);
      ASSERT_EQ(Aan(block, quant), ReferenceAan(block, quant)) << mix.acTerms << "/" << mix.range;
    }
  }
}

// Blocks at the 16-bit limits, where the row results and the AAN products wrap.
TEST(JpegTransform, ExtremeCoefficientsWrapAsTheIndependentArithmeticSays) {
  const Block extremes[] = {
      Block(64, 32767), Block(64, -32768), Coefficients({{0, 8192}}), Coefficients({{0, -32768}}),
      Coefficients({{0, 32767}, {1, 32767}, {3, 32767}, {5, 32767}, {7, 32767}}),
      Coefficients({{9, -32768}, {27, -32768}, {45, -32768}, {63, -32768}}),
  };
  for (const Block& block : extremes) {
    EXPECT_EQ(Llm(block), ReferenceLlm(block));
    for (const auto& quant : {kUnitQuant, std::vector<uint16_t>(64, 4), std::vector<uint16_t>(64, 65535)}) {
      EXPECT_EQ(Aan(block, quant), ReferenceAan(block, quant));
    }
  }
  // Pinned outright: 8192 x 4 wraps to -32768 in the LLM row pass; 32767 x 4
  // wraps to -4 in AAN's 16 bits.
  EXPECT_EQ(Llm(Coefficients({{0, 8192}})), Samples(64, 0));
  EXPECT_EQ(Aan(Coefficients({{0, 32767}}), std::vector<uint16_t>(64, 4)), Samples(64, 127));
}

// The SSE2 and AVX2 kernels against their scalar twins, byte for byte: blocks of every
// density, flat blocks across the whole DC range, and blocks at the 16-bit
// limits whose arithmetic wraps at 16 bits (AAN, LLM row results) and at
// 32 bits (LLM odd part).
TEST(JpegTransform, VectorKernelsMatchScalar) {
  if constexpr (!kHasSse2Transforms) {
    GTEST_SKIP() << "this build has no SSE2 kernels";
  } else {
    std::vector<std::pair<Block, std::vector<uint16_t>>> cases;
    std::mt19937 rng(77);
    struct Mix { int acTerms; int range; int maxQ; };
    const Mix mixes[] = {{1, 40, 16},  {4, 300, 32},    {20, 100, 64},
                         {63, 30, 8},  {8, 32767, 255}, {63, 32767, 65535}};
    for (const Mix& mix : mixes) {
      for (int round = 0; round < 2000; ++round) {
        cases.emplace_back(RandomBlock(rng, mix.acTerms, mix.range), RandomQuant(rng, mix.maxQ));
      }
    }
    const std::vector<uint16_t> quants[] = {kUnitQuant, std::vector<uint16_t>(64, 65535),
                                            std::vector<uint16_t>(64, 0x8000), RandomQuant(rng, 65535)};
    for (int dc = -32768; dc <= 32767; ++dc) cases.emplace_back(Coefficients({{0, dc}}), quants[dc & 3]);
    Block alternating(64), checkerboard(64), lastOnly = Coefficients({{63, -32768}});
    for (int i = 0; i < 64; ++i) {
      alternating[i] = static_cast<int16_t>(i % 2 ? -32768 : 32767);
      checkerboard[i] = static_cast<int16_t>((i / 8 + i) % 2 ? -32767 : 32767);
    }
    for (const Block& block : {Block(64, 32767), Block(64, -32768), alternating, checkerboard, lastOnly,
                               Coefficients({{0, 32767}, {1, 32767}, {3, 32767}, {5, 32767}, {7, 32767}}),
                               Coefficients({{0, -32768}, {8, -32768}, {24, -32768}, {56, -32768}})}) {
      for (const std::vector<uint16_t>& quant : quants) cases.emplace_back(block, quant);
    }

    // The AVX2 kernel too, where this processor can run it.
    const bool avx2 = kHasAvx2Transforms && ProcessorHasAvx2();
    for (const auto& [block, quant] : cases) {
      Samples vector(64), scalar(64);
      InverseDctLlmSse2(block.data(), vector.data());
      InverseDctLlm(block.data(), scalar.data());
      ASSERT_EQ(vector, scalar) << "LLM, block starting " << block[0] << "," << block[1];
      InverseDctAanSse2(block.data(), quant.data(), vector.data());
      InverseDctAan(block.data(), quant.data(), scalar.data());
      ASSERT_EQ(vector, scalar) << "AAN, block starting " << block[0] << "," << block[1];
      // The fast engine's LLM dequantises in the kernel: the same as dequantising first.
      Block dequantised(64);
      for (int i = 0; i < 64; ++i) dequantised[i] = static_cast<int16_t>(block[i] * quant[i]);
      InverseDctLlmSse2(block.data(), quant.data(), vector.data());
      InverseDctLlm(dequantised.data(), scalar.data());
      ASSERT_EQ(vector, scalar) << "dequantising LLM, block starting " << block[0] << "," << block[1];
      if (avx2) {
        InverseDctLlmAvx2(block.data(), quant.data(), vector.data());
        ASSERT_EQ(vector, scalar) << "AVX2 LLM, block starting " << block[0] << "," << block[1];
      }
    }
  }
}
