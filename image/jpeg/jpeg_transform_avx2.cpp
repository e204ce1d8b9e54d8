// The LLM inverse DCT with AVX2, for the processors that have it: a 1-D pass
// over all eight lines of a block in one go (eight 32-bit lanes) where SSE2
// needs two.  The same arithmetic as the SSE2 kernel, so the same bytes as
// the scalar transform.
#include "image/jpeg/jpeg_transform.h"

#if defined(__GNUC__) && defined(__x86_64__)
// Every header that defines code comes before the switch to AVX2 below: only
// this file's own functions may be compiled for it.
#include <immintrin.h>

#include <cstdint>
#include <utility>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "image/jpeg/jpeg_transform_steps.h"

namespace {

// 32-bit lane arithmetic of the 256-bit registers (eight lines at once).
struct Lanes256 {
  using Vector = __m256i;
  static TRANSFORM_STEP Vector Broadcast(int32_t value) { return _mm256_set1_epi32(value); }
  static TRANSFORM_STEP Vector MultiplyAdd(Vector pairs, Vector factors) {
    return _mm256_madd_epi16(pairs, factors);
  }
  static TRANSFORM_STEP Vector Add(Vector a, Vector b) { return _mm256_add_epi32(a, b); }
  static TRANSFORM_STEP Vector Subtract(Vector a, Vector b) { return _mm256_sub_epi32(a, b); }
};

// The 16-bit pairs (a, b) of lines 0-3 in the low half, of lines 4-7 in the
// high half (lane i of a and b is line i).
TRANSFORM_STEP __m256i PairsOfEight(__m128i a, __m128i b) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi16(a, b)),
                                 _mm_unpackhi_epi16(a, b), 1);
}

// Output y[0..7] of all eight lines: lines 0-3 in the low halves, 4-7 in the high.
TRANSFORM_STEP void LlmEight(const __m128i x[8], int32_t bias, __m256i y[8]) {
  LlmLines<Lanes256>(PairsOfEight(x[0], x[4]), PairsOfEight(x[2], x[6]), PairsOfEight(x[1], x[3]),
                     PairsOfEight(x[5], x[7]), _mm256_set1_epi32(bias), y);
}

// The row pass of all eight rows (lane i of x is row i) to one register per
// row, as LlmRowQuarter does for four: each half of the registers below
// works as its SSE2 register does, the low halves on rows 0-3, the high
// halves on rows 4-7.
TRANSFORM_STEP void LlmRowPass(const __m128i x[8], __m128i rows[8]) {
  __m256i y[8];
  LlmEight(x, 1024, y);
  Unrolled<8>([&](int k) { y[k] = _mm256_srai_epi32(_mm256_slli_epi32(y[k], 5), 16); });
  const __m256i p0 = _mm256_packs_epi32(y[0], y[4]), p1 = _mm256_packs_epi32(y[1], y[5]);
  const __m256i p2 = _mm256_packs_epi32(y[2], y[6]), p3 = _mm256_packs_epi32(y[3], y[7]);
  const __m256i abLow = _mm256_unpacklo_epi16(p0, p1), abHigh = _mm256_unpackhi_epi16(p0, p1);
  const __m256i cdLow = _mm256_unpacklo_epi16(p2, p3), cdHigh = _mm256_unpackhi_epi16(p2, p3);
  const __m256i outputs[4] = {
      _mm256_unpacklo_epi32(abLow, cdLow), _mm256_unpackhi_epi32(abLow, cdLow),
      _mm256_unpacklo_epi32(abHigh, cdHigh), _mm256_unpackhi_epi32(abHigh, cdHigh)};
  Unrolled<2>([&](int j) {
    const __m256i even = _mm256_unpacklo_epi64(outputs[j], outputs[j + 2]);  // rows 2j, 2j + 4
    const __m256i odd = _mm256_unpackhi_epi64(outputs[j], outputs[j + 2]);   // rows 2j + 1, 2j + 5
    rows[2 * j] = _mm256_castsi256_si128(even);
    rows[2 * j + 4] = _mm256_extracti128_si256(even, 1);
    rows[2 * j + 1] = _mm256_castsi256_si128(odd);
    rows[2 * j + 5] = _mm256_extracti128_si256(odd, 1);
  });
}

// The column pass of all eight columns (lane i of rows is column i) to the
// block's samples, as LlmColumnQuarter does for four: the low halves give
// columns 0-3 of each row, the high halves columns 4-7, which are put side
// by side to store whole rows.
TRANSFORM_STEP void LlmColumnPass(const __m128i rows[8], uint8_t samples[64]) {
  __m256i y[8];
  LlmEight(rows, 131072, y);
  const __m256i offset = _mm256_set1_epi16(128);
  __m256i pairs[4];
  Unrolled<4>([&](int k) {
    pairs[k] = _mm256_add_epi16(
        _mm256_packs_epi32(_mm256_srai_epi32(y[2 * k], 18), _mm256_srai_epi32(y[2 * k + 1], 18)),
        offset);
  });
  __m256i* out = reinterpret_cast<__m256i*>(samples);
  Unrolled<2>([&](int k) {
    // Rows 4k..4k+3, columns 0-3 of each row in the low half, 4-7 in the high.
    const __m256i halves = _mm256_packus_epi16(pairs[2 * k], pairs[2 * k + 1]);
    const __m256i sideBySide = _mm256_permute4x64_epi64(halves, _MM_SHUFFLE(3, 1, 2, 0));
    _mm256_storeu_si256(out + k, _mm256_shuffle_epi32(sideBySide, _MM_SHUFFLE(3, 1, 2, 0)));
  });
}

}  // namespace

void InverseDctLlmAvx2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]) {
  __m128i x[8];
  LoadDequantised(coefficients, naturalQuant, x);
  if (OnlyDc(x)) return FillLlmFlat(x, samples);
  const bool lowerZero = LowerRowsZero(x);
  Transpose8x8(x);  // register k is column k
  __m128i rows[8];
  if (lowerZero) {
    // Four rows are done as fast in one SSE2 quarter.
    LlmRowQuarter(x, false, rows);
    Unrolled<4>([&](int k) { rows[4 + k] = _mm_setzero_si128(); });
  } else {
    LlmRowPass(x, rows);
  }
  LlmColumnPass(rows, samples);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __GNUC__ && __x86_64__
