#include "image/jpeg/jpeg_transform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "image/jpeg/jpeg_processor_extensions.h"

namespace {

using Block = std::vector<int16_t>;
using Quant = std::vector<uint16_t>;
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

Samples Aan(const Block& block, const Quant& quant) {
  Samples out(64);
  InverseDctAan(block.data(), quant.data(), out.data());
  return out;
}

// Blocks with (prescaled) quantisation tables: random blocks of every density
// and magnitude, some with AC terms only in their first row and column so that
// the shortcuts are taken alongside the full arithmetic; flat blocks across
// the whole DC range; and blocks at the 16-bit limits, whose arithmetic wraps
// at 16 bits (AAN, LLM row results) and at 32 bits (LLM odd part).
std::vector<std::pair<Block, Quant>> SampleBlocks() {
  std::vector<std::pair<Block, Quant>> samples;
  std::mt19937 rng(77);
  const auto random = [&rng](int low, int high) {
    return low + static_cast<int>(rng() % static_cast<uint32_t>(high - low + 1));
  };
  const auto randomQuant = [&random](int maxQ) {
    Quant quant(64);
    for (uint16_t& q : quant) q = static_cast<uint16_t>(random(1, maxQ));
    return quant;
  };
  struct Mix { int acTerms; int range; int maxQ; };
  const Mix mixes[] = {{0, 200, 16}, {1, 40, 16},     {4, 300, 32},      {20, 100, 64},
                       {63, 30, 8},  {8, 32767, 255}, {63, 32767, 65535}};
  for (const Mix& mix : mixes) {
    for (int round = 0; round < 2000; ++round) {
      Block block(64, 0);
      block[0] = static_cast<int16_t>(random(-mix.range, mix.range) * 4);
      for (int i = 0; i < mix.acTerms; ++i) block[random(1, 63)] = static_cast<int16_t>(random(-mix.range, mix.range));
      for (int i = 8; i < 64; ++i) {
        if ((round % 3 == 0 && i % 8) || (round % 5 == 0 && i % 8 < 4)) block[i] = 0;
      }
      samples.emplace_back(block, randomQuant(mix.maxQ));
    }
  }
  const Quant quants[] = {Quant(64, 1), Quant(64, 65535), Quant(64, 0x8000), randomQuant(65535)};
  for (int dc = -32768; dc <= 32767; ++dc) samples.emplace_back(Coefficients({{0, dc}}), quants[dc & 3]);
  Block alternating(64), checkerboard(64);
  for (int i = 0; i < 64; ++i) {
    alternating[i] = static_cast<int16_t>(i % 2 ? -32768 : 32767);
    checkerboard[i] = static_cast<int16_t>((i / 8 + i) % 2 ? -32767 : 32767);
  }
  for (const Block& block : {Block(64, 32767), Block(64, -32768), alternating, checkerboard,
                             Coefficients({{63, -32768}}), Coefficients({{0, 8192}}),
                             Coefficients({{0, 32767}, {1, 32767}, {3, 32767}, {5, 32767}, {7, 32767}}),
                             Coefficients({{0, -32768}, {8, -32768}, {24, -32768}, {56, -32768}}),
                             Coefficients({{9, -32768}, {27, -32768}, {45, -32768}, {63, -32768}})}) {
    for (const Quant& quant : quants) samples.emplace_back(block, quant);
  }
  return samples;
}

}  // namespace

// Every quantisation value at every position, pinned by a digest (taken when
// all agreed with the scale table computed from its cosines), and three cases
// worked out: rounding up, a factor that rounds to 0, a product cut to 16 bits.
TEST(JpegTransform, PrescaleRoundsAndKeepsSixteenBits) {
  uint64_t digest = 14695981039346656037ull;
  for (int index = 0; index < 64; ++index) {
    for (int value = 0; value < 65536; ++value) {
      digest = (digest ^ PrescaleQuantValue(static_cast<uint16_t>(value), index)) * 1099511628211ull;
    }
  }
  EXPECT_EQ(digest, 0x2da7a936efcc5425ull);
  EXPECT_EQ(PrescaleQuantValue(16, 1), 89);        // (16 x 22725 + 2048) >> 12 = 89.27
  EXPECT_EQ(PrescaleQuantValue(1, 63), 0);         // (1247 + 2048) >> 12
  EXPECT_EQ(PrescaleQuantValue(65535, 9), 45576);  // 504328 cut to 16 bits
}

// The scalar transforms' exact arithmetic, pinned by a digest of every
// sample's output on both paths. The outputs were checked against independent
// integer statements of both transforms when the digests were taken; a change
// to a single sample changes them.
TEST(JpegTransform, ScalarOutputsArePinned) {
  uint64_t llm = 14695981039346656037ull, aan = llm;
  const auto add = [](uint64_t& digest, const Samples& samples) {
    for (uint8_t sample : samples) digest = (digest ^ sample) * 1099511628211ull;
  };
  for (const auto& [block, quant] : SampleBlocks()) {
    add(llm, Llm(block));
    add(aan, Aan(block, quant));
  }
  EXPECT_EQ(llm, 0x2bcda9e2c506bf7full);
  EXPECT_EQ(aan, 0xb4f0c1867391f064ull);
  // Two wraps, outright: 8192 x 4 wraps to -32768 in the LLM row pass; 32767 x 4
  // wraps to -4 in AAN's 16 bits.
  EXPECT_EQ(Llm(Coefficients({{0, 8192}})), Samples(64, 0));
  EXPECT_EQ(Aan(Coefficients({{0, 32767}}), Quant(64, 4)), Samples(64, 127));
}

// The SSE2 and AVX2 kernels against their scalar twins, byte for byte.
TEST(JpegTransform, VectorKernelsMatchScalar) {
  if constexpr (!kHasSse2Transforms) {
    GTEST_SKIP() << "this build has no SSE2 kernels";
  } else {
    // The AVX2 kernel too, where this processor can run it.
    const bool avx2 = kHasAvx2Transforms && ProcessorHasAvx2();
    for (const auto& [block, quant] : SampleBlocks()) {
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
