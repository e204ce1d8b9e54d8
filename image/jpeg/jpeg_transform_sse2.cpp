// The two inverse DCTs with SSE2 (the x86-64 baseline), giving exactly the
// bytes of the scalar versions in jpeg_transform.cpp.
#include "image/jpeg/jpeg_transform.h"

#if defined(__SSE2__)
#include "image/jpeg/jpeg_transform_steps.h"

namespace {

// Column pass of four columns (lanes 0-3 or 4-7 of rows) to their samples:
// two registers holding rows 0-3 and rows 4-7, four bytes per row.
// (y + 131072) >> 18 lies within -8192..8191, so neither the pack nor the
// +128 can wrap, and the unsigned pack gives the clamp.
TRANSFORM_STEP void LlmColumnQuarter(const __m128i rows[8], bool high, __m128i samples[2]) {
  __m128i y[8];
  LlmQuarter(rows, high, _mm_set1_epi32(131072), y);
  const __m128i offset = _mm_set1_epi16(128);
  __m128i pairs[4];
  Unrolled<4>([&](int k) {
    pairs[k] = _mm_add_epi16(
        _mm_packs_epi32(_mm_srai_epi32(y[2 * k], 18), _mm_srai_epi32(y[2 * k + 1], 18)), offset);
  });
  samples[0] = _mm_packus_epi16(pairs[0], pairs[1]);
  samples[1] = _mm_packus_epi16(pairs[2], pairs[3]);
}

// ---- AAN ---------------------------------------------------------------------

// The high half of wrap16(4v) x c, as the scalar MulHigh.
TRANSFORM_STEP __m128i MulHigh(__m128i v, int16_t c) {
  return _mm_mulhi_epi16(_mm_slli_epi16(v, 2), _mm_set1_epi16(c));
}

// One 1-D pass in place over eight lines at once (lane i is line i).
TRANSFORM_STEP void AanPass(__m128i x[8]) {
  const __m128i e10 = _mm_add_epi16(x[0], x[4]);
  const __m128i e11 = _mm_sub_epi16(x[0], x[4]);
  const __m128i e13 = _mm_add_epi16(x[2], x[6]);
  const __m128i e12 = _mm_sub_epi16(MulHigh(_mm_sub_epi16(x[2], x[6]), 23170), e13);
  const __m128i a0 = _mm_add_epi16(e10, e13), a3 = _mm_sub_epi16(e10, e13);
  const __m128i a1 = _mm_add_epi16(e11, e12), a2 = _mm_sub_epi16(e11, e12);

  const __m128i z13 = _mm_add_epi16(x[5], x[3]), z10 = _mm_sub_epi16(x[5], x[3]);
  const __m128i z11 = _mm_add_epi16(x[1], x[7]), z12 = _mm_sub_epi16(x[1], x[7]);
  const __m128i o7 = _mm_add_epi16(z11, z13);
  const __m128i o11 = MulHigh(_mm_sub_epi16(z11, z13), 23170);
  const __m128i o10 = _mm_add_epi16(MulHigh(z10, -30353), MulHigh(z12, -12540));
  const __m128i o12 = _mm_add_epi16(MulHigh(z10, -12540), MulHigh(z12, 30273));
  const __m128i o6 = _mm_sub_epi16(o12, o7);
  const __m128i o5 = _mm_sub_epi16(o11, o6);
  const __m128i o4 = _mm_add_epi16(o10, o5);

  x[0] = _mm_add_epi16(a0, o7);
  x[7] = _mm_sub_epi16(a0, o7);
  x[1] = _mm_add_epi16(a1, o6);
  x[6] = _mm_sub_epi16(a1, o6);
  x[2] = _mm_add_epi16(a2, o5);
  x[5] = _mm_sub_epi16(a2, o5);
  x[4] = _mm_add_epi16(a3, o4);
  x[3] = _mm_sub_epi16(a3, o4);
}

// (v >> 5) + 128 clamped, from eight columns (lane i is row i) to 64 samples
// in rows. v >> 5 lies within -1024..1023, so the +128 cannot wrap.
// Columns k and k + 4 share a register once packed to bytes; three rounds of
// interleaving then turn the columns into rows, two rows per register.
TRANSFORM_STEP void StoreAanColumns(const __m128i columns[8], uint8_t samples[64]) {
  const __m128i offset = _mm_set1_epi16(128);
  __m128i c[8];
  Unrolled<8>([&](int k) { c[k] = _mm_add_epi16(_mm_srai_epi16(columns[k], 5), offset); });
  const __m128i c04 = _mm_packus_epi16(c[0], c[4]), c15 = _mm_packus_epi16(c[1], c[5]);
  const __m128i c26 = _mm_packus_epi16(c[2], c[6]), c37 = _mm_packus_epi16(c[3], c[7]);
  // Columns 0-1 (s01), 2-3, 4-5 and 6-7 of every row.
  const __m128i s01 = _mm_unpacklo_epi8(c04, c15), s45 = _mm_unpackhi_epi8(c04, c15);
  const __m128i s23 = _mm_unpacklo_epi8(c26, c37), s67 = _mm_unpackhi_epi8(c26, c37);
  // Columns 0-3 (left) and 4-7 (right) of rows 0-3 and of rows 4-7.
  const __m128i left03 = _mm_unpacklo_epi16(s01, s23), right03 = _mm_unpacklo_epi16(s45, s67);
  const __m128i left47 = _mm_unpackhi_epi16(s01, s23), right47 = _mm_unpackhi_epi16(s45, s67);
  __m128i* out = reinterpret_cast<__m128i*>(samples);
  _mm_storeu_si128(out + 0, _mm_unpacklo_epi32(left03, right03));
  _mm_storeu_si128(out + 1, _mm_unpackhi_epi32(left03, right03));
  _mm_storeu_si128(out + 2, _mm_unpacklo_epi32(left47, right47));
  _mm_storeu_si128(out + 3, _mm_unpackhi_epi32(left47, right47));
}

// The LLM transform of a loaded block (register k holds row k).
TRANSFORM_STEP void LlmOfRows(__m128i x[8], uint8_t samples[64]) {
  if (OnlyDc(x)) return FillLlmFlat(x, samples);
  const bool lowerZero = LowerRowsZero(x);
  Transpose8x8(x);  // register k is column k
  __m128i rows[8];
  LlmRowQuarter(x, false, rows);
  if (lowerZero) {
    Unrolled<4>([&](int k) { rows[4 + k] = _mm_setzero_si128(); });
  } else {
    LlmRowQuarter(x, true, rows + 4);
  }
  __m128i left[2], right[2];  // columns 0-3 and 4-7
  LlmColumnQuarter(rows, false, left);
  LlmColumnQuarter(rows, true, right);
  __m128i* out = reinterpret_cast<__m128i*>(samples);
  Unrolled<2>([&](int k) {
    _mm_storeu_si128(out + 2 * k, _mm_unpacklo_epi32(left[k], right[k]));
    _mm_storeu_si128(out + 2 * k + 1, _mm_unpackhi_epi32(left[k], right[k]));
  });
}

}  // namespace

void InverseDctLlmSse2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]) {
  __m128i x[8];
  LoadDequantised(coefficients, naturalQuant, x);
  LlmOfRows(x, samples);
}

void InverseDctAanSse2(const int16_t coefficients[64], const uint16_t prescaledQuant[64],
                       uint8_t samples[64]) {
  __m128i x[8];
  LoadDequantised(coefficients, prescaledQuant, x);
  if (OnlyDc(x)) {
    // Both passes copy the dequantised DC to every position.
    FillFlat(samples, _mm_srai_epi16(BroadcastFirst(x[0]), 5));
    return;
  }
  AanPass(x);  // down the columns: register k is row k
  Transpose8x8(x);
  AanPass(x);  // along the rows: register k is column k
  StoreAanColumns(x, samples);
}

#endif  // __SSE2__
