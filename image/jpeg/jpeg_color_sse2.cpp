// YCbCr to RGB eight pixels at a time. The table entries are computed in
// 16-bit lanes with multipliers split so that each fits a signed 16-bit
// operand and every floor lands where the table's does: the results are the
// tables' exactly. Chroma shared by several pixels is computed once and its
// lanes duplicated; the clamp to 0..255 is the saturating pack.
#include "image/jpeg/jpeg_color_sse2.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "image/jpeg/jpeg_color_blocks.h"

namespace {

// The helpers below work on values in registers; a call would pass them
// through memory, so they are always inlined.
#if defined(__GNUC__)
#define COLOUR_STEP inline __attribute__((always_inline))
#else
#define COLOUR_STEP inline
#endif

// Per pixel: crToR[cr], (crToG[cr] + cbToG[cb]) >> 16 and cbToB[cb].
struct ChromaTerms {
  __m128i red, green, blue;
};

// Eight samples widened to 16-bit lanes.
COLOUR_STEP __m128i LoadEight(const uint8_t* samples) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples)),
                           _mm_setzero_si128());
}

// floor((c x k + 32768) / 65536) for c in -128..127. The high half of 2c x k
// is floor(c x k / 32768); adding 1 and halving (both floors) gives the
// rounded quotient by 65536.
COLOUR_STEP __m128i RoundedProduct(__m128i c, int16_t k) {
  const __m128i high = _mm_mulhi_epi16(_mm_add_epi16(c, c), _mm_set1_epi16(k));
  return _mm_srai_epi16(_mm_add_epi16(high, _mm_set1_epi16(1)), 1);
}

COLOUR_STEP ChromaTerms ComputeChromaTerms(const uint8_t* cbRow, const uint8_t* crRow) {
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i cb = _mm_sub_epi16(LoadEight(cbRow), centre);
  const __m128i cr = _mm_sub_epi16(LoadEight(crRow), centre);
  ChromaTerms t;
  // 91882 = 65536 + 26346.
  t.red = _mm_add_epi16(cr, RoundedProduct(cr, 26346));
  // 116130 = 2 x 65536 - 14942.
  t.blue = _mm_add_epi16(_mm_add_epi16(cb, cb), RoundedProduct(cb, -14942));
  // -46802 = 18734 - 65536: the green sum is floor((cb x -22554 + cr x 18734
  // + 32768) / 65536) - cr, its two products added exactly in 32 bits.
  const __m128i weights = _mm_set_epi16(18734, -22554, 18734, -22554, 18734, -22554, 18734, -22554);
  const __m128i half = _mm_set1_epi32(32768);
  const __m128i low = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), weights), half);
  const __m128i high = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), weights), half);
  t.green = _mm_sub_epi16(_mm_packs_epi32(_mm_srai_epi32(low, 16), _mm_srai_epi32(high, 16)), cr);
  return t;
}

// The terms of pixels 0..7 and 8..15 when pixel pairs share a chroma sample.
COLOUR_STEP ChromaTerms LeftHalf(const ChromaTerms& t) {
  return {_mm_unpacklo_epi16(t.red, t.red), _mm_unpacklo_epi16(t.green, t.green),
          _mm_unpacklo_epi16(t.blue, t.blue)};
}

COLOUR_STEP ChromaTerms RightHalf(const ChromaTerms& t) {
  return {_mm_unpackhi_epi16(t.red, t.red), _mm_unpackhi_epi16(t.green, t.green),
          _mm_unpackhi_epi16(t.blue, t.blue)};
}

// Eight pixels as R, G, B, 0 from a row of eight luminance samples.
COLOUR_STEP void StoreEightPixels(const uint8_t* lumaRow, const ChromaTerms& t, uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i y = LoadEight(lumaRow);
  const __m128i redBlue = _mm_packus_epi16(_mm_add_epi16(y, t.red), _mm_add_epi16(y, t.blue));
  const __m128i green = _mm_packus_epi16(_mm_add_epi16(y, t.green), zero);
  const __m128i redGreen = _mm_unpacklo_epi8(redBlue, green);
  const __m128i blueZero = _mm_unpackhi_epi8(redBlue, zero);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(redGreen, blueZero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(redGreen, blueZero));
}

// Sixteen pixels whose luminance comes from two blocks side by side.
COLOUR_STEP void StoreSixteenPixels(const uint8_t* mcu, int leftBlock, int row,
                                    const ChromaTerms& left, const ChromaTerms& right,
                                    uint8_t* out) {
  StoreEightPixels(BlockRow(mcu, leftBlock, row), left, out);
  StoreEightPixels(BlockRow(mcu, leftBlock + 1, row), right, out + 32);
}

void Convert444(const JpegColorTables&, const uint8_t* sampleRow, int mcusPerRow, int r,
                uint8_t* line, uint8_t*) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 3 * kBlockBytes;
    StoreEightPixels(BlockRow(m, 0, r), ComputeChromaTerms(BlockRow(m, 1, r), BlockRow(m, 2, r)),
                     line + mcu * 32);
  }
}

void Convert422(const JpegColorTables&, const uint8_t* sampleRow, int mcusPerRow, int r,
                uint8_t* line, uint8_t*) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 4 * kBlockBytes;
    const ChromaTerms t = ComputeChromaTerms(BlockRow(m, 2, r), BlockRow(m, 3, r));
    StoreSixteenPixels(m, 0, r, LeftHalf(t), RightHalf(t), line + mcu * 64);
  }
}

// Lines r and r + 1 share chroma row r / 2: its terms serve both.
void Convert440(const JpegColorTables&, const uint8_t* sampleRow, int mcusPerRow, int r,
                uint8_t* lineA, uint8_t* lineB) {
  const int block = r / 8;
  const int row = r % 8;
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 4 * kBlockBytes;
    const ChromaTerms t = ComputeChromaTerms(BlockRow(m, 2, r / 2), BlockRow(m, 3, r / 2));
    StoreEightPixels(BlockRow(m, block, row), t, lineA + mcu * 32);
    StoreEightPixels(BlockRow(m, block, row + 1), t, lineB + mcu * 32);
  }
}

void Convert420(const JpegColorTables&, const uint8_t* sampleRow, int mcusPerRow, int r,
                uint8_t* lineA, uint8_t* lineB) {
  const int leftBlock = 2 * (r / 8);
  const int row = r % 8;
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 6 * kBlockBytes;
    const ChromaTerms t = ComputeChromaTerms(BlockRow(m, 4, r / 2), BlockRow(m, 5, r / 2));
    const ChromaTerms left = LeftHalf(t), right = RightHalf(t);
    StoreSixteenPixels(m, leftBlock, row, left, right, lineA + mcu * 64);
    StoreSixteenPixels(m, leftBlock, row + 1, left, right, lineB + mcu * 64);
  }
}

}  // namespace

ConvertLinesKernel ColourConversionSse2(JpegLayout layout) {
  switch (layout) {
    case Layout422:
      return Convert422;
    case Layout440:
      return Convert440;
    case Layout420:
      return Convert420;
    case Layout444:
    case LayoutGrey:
      break;
  }
  return Convert444;
}

#endif  // __SSE2__
