// The two inverse DCTs with SSE2 (the x86-64 baseline), giving exactly the
// bytes of the scalar versions in jpeg_transform.cpp. A block is eight
// registers of eight 16-bit lanes, one register per row or per column, and a
// 1-D pass works on all eight lines at once, one line per lane.
#include "image/jpeg/jpeg_transform.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <utility>

// The kernels' steps work on arrays of registers; inlined, the arrays stay
// in registers instead of going through memory between the steps.
#if defined(__GNUC__)
#define TRANSFORM_STEP inline __attribute__((always_inline))
#else
#define TRANSFORM_STEP inline
#endif

namespace {

template <class Step, int... K>
TRANSFORM_STEP void Unrolled(Step step, std::integer_sequence<int, K...>) {
  (step(K), ...);
}

// step(0) .. step(N - 1), written out: GCC at -O2 keeps such short loops,
// and with them the register arrays, in memory.
template <int N, class Step>
TRANSFORM_STEP void Unrolled(Step step) {
  Unrolled(step, std::make_integer_sequence<int, N>{});
}

// Four rows of eight 16-bit values to their columns, two per register:
// out[j] holds column 2j of the rows in its low half, column 2j + 1 in its high.
TRANSFORM_STEP void ColumnPairsOf4Rows(__m128i a, __m128i b, __m128i c, __m128i d, __m128i out[4]) {
  const __m128i abLow = _mm_unpacklo_epi16(a, b), abHigh = _mm_unpackhi_epi16(a, b);
  const __m128i cdLow = _mm_unpacklo_epi16(c, d), cdHigh = _mm_unpackhi_epi16(c, d);
  out[0] = _mm_unpacklo_epi32(abLow, cdLow);
  out[1] = _mm_unpackhi_epi32(abLow, cdLow);
  out[2] = _mm_unpacklo_epi32(abHigh, cdHigh);
  out[3] = _mm_unpackhi_epi32(abHigh, cdHigh);
}

// Eight rows of eight 16-bit values in, eight columns out (in place).
TRANSFORM_STEP void Transpose8x8(__m128i r[8]) {
  __m128i top[4], bottom[4];
  ColumnPairsOf4Rows(r[0], r[1], r[2], r[3], top);
  ColumnPairsOf4Rows(r[4], r[5], r[6], r[7], bottom);
  Unrolled<4>([&](int j) {
    r[2 * j] = _mm_unpacklo_epi64(top[j], bottom[j]);
    r[2 * j + 1] = _mm_unpackhi_epi64(top[j], bottom[j]);
  });
}

TRANSFORM_STEP void Load8(const void* from, __m128i r[8]) {
  const __m128i* p = static_cast<const __m128i*>(from);
  Unrolled<8>([&](int k) { r[k] = _mm_loadu_si128(p + k); });
}

// A block times a table, both natural order: the low 16 bits of each
// product, which are the same signed or unsigned.
TRANSFORM_STEP void LoadDequantised(const int16_t* coefficients, const uint16_t* quant,
                                    __m128i x[8]) {
  __m128i q[8];
  Load8(coefficients, x);
  Load8(quant, q);
  Unrolled<8>([&](int k) { x[k] = _mm_mullo_epi16(x[k], q[k]); });
}

// Lane 0 of v in every lane.
TRANSFORM_STEP __m128i BroadcastFirst(__m128i v) {
  return _mm_shuffle_epi32(_mm_shufflelo_epi16(v, 0), 0);
}

// Writes 64 samples of value + 128 (clamped), given the value in every 16-bit lane.
TRANSFORM_STEP void FillFlat(uint8_t samples[64], __m128i value) {
  const __m128i v = _mm_add_epi16(value, _mm_set1_epi16(128));
  const __m128i bytes = _mm_packus_epi16(v, v);
  __m128i* out = reinterpret_cast<__m128i*>(samples);
  Unrolled<4>([&](int k) { _mm_storeu_si128(out + k, bytes); });
}

// True when every coefficient but the first is zero: such a block is flat,
// and both transforms give its one value for far less work.
TRANSFORM_STEP bool OnlyDc(const __m128i r[8]) {
  const __m128i acOfRow0 = _mm_and_si128(r[0], _mm_set_epi16(-1, -1, -1, -1, -1, -1, -1, 0));
  __m128i any = acOfRow0;
  Unrolled<7>([&](int k) { any = _mm_or_si128(any, r[k + 1]); });
  return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

// ---- LLM ---------------------------------------------------------------------
//
// The scalar pass is linear modulo 2^32 between its input and its outputs, so
// each product of a sum may be spread over the sum's terms. Spread out, every
// output is a sum of terms x_j x c with each combined c within 16 bits, and
// _mm_madd_epi16 on pairs (x_i, x_j) forms x_i c_i + x_j c_j exactly modulo 2^32.
//
// Combined factors (from the pass's 4433, 6270, 15137, 2446, 16819, 25172,
// 12299, -7373, -20995, -16069, -3196 and 9633):
//   t3 = x2 x 10703 + x6 x 4433          t2 = x2 x 4433 + x6 x -10704
//   u0 = x1 x 2260  + x3 x -6436  + x5 x 9633   + x7 x -11363
//   u1 = x1 x 6437  + x3 x -11362 + x5 x 2261   + x7 x 9633
//   u2 = x1 x 9633  + x3 x -2259  + x5 x -11362 + x7 x -6436
//   u3 = x1 x 11363 + x3 x 9633   + x5 x 6437   + x7 x 2260

// The factor pair (first, second) in every 32-bit lane, for _mm_madd_epi16.
TRANSFORM_STEP __m128i Pair(int16_t first, int16_t second) {
  return _mm_unpacklo_epi16(_mm_set1_epi16(first), _mm_set1_epi16(second));
}

TRANSFORM_STEP __m128i MulAdd(__m128i pairs, int16_t first, int16_t second) {
  return _mm_madd_epi16(pairs, Pair(first, second));
}

TRANSFORM_STEP __m128i MulAdd(__m128i pairsA, int16_t a1, int16_t a2, __m128i pairsB, int16_t b1,
                              int16_t b2) {
  return _mm_add_epi32(MulAdd(pairsA, a1, a2), MulAdd(pairsB, b1, b2));
}

// The eight outputs of four lines, each line's x0..x7 given as the pairs
// (x0, x4), (x2, x6), (x1, x3), (x5, x7). bias is added to every output.
TRANSFORM_STEP void LlmQuarter(__m128i x04, __m128i x26, __m128i x13, __m128i x57, __m128i bias,
                               __m128i y[8]) {
  const __m128i t0 = _mm_add_epi32(MulAdd(x04, 8192, 8192), bias);
  const __m128i t1 = _mm_add_epi32(MulAdd(x04, 8192, -8192), bias);
  const __m128i t3 = MulAdd(x26, 10703, 4433);
  const __m128i t2 = MulAdd(x26, 4433, -10704);
  const __m128i a0 = _mm_add_epi32(t0, t3), a3 = _mm_sub_epi32(t0, t3);
  const __m128i a1 = _mm_add_epi32(t1, t2), a2 = _mm_sub_epi32(t1, t2);

  const __m128i u0 = MulAdd(x13, 2260, -6436, x57, 9633, -11363);
  const __m128i u1 = MulAdd(x13, 6437, -11362, x57, 2261, 9633);
  const __m128i u2 = MulAdd(x13, 9633, -2259, x57, -11362, -6436);
  const __m128i u3 = MulAdd(x13, 11363, 9633, x57, 6437, 2260);

  y[0] = _mm_add_epi32(a0, u3);
  y[7] = _mm_sub_epi32(a0, u3);
  y[1] = _mm_add_epi32(a1, u2);
  y[6] = _mm_sub_epi32(a1, u2);
  y[2] = _mm_add_epi32(a2, u1);
  y[5] = _mm_sub_epi32(a2, u1);
  y[3] = _mm_add_epi32(a3, u0);
  y[4] = _mm_sub_epi32(a3, u0);
}

// Output y[0..7] of lines 0-3 (high false) or 4-7 (high true) of eight
// lines; lane i of x[k] is input k of line i.
TRANSFORM_STEP void LlmQuarter(const __m128i x[8], bool high, __m128i bias, __m128i y[8]) {
  const auto pairs = [high](__m128i a, __m128i b) {
    return high ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b);
  };
  LlmQuarter(pairs(x[0], x[4]), pairs(x[2], x[6]), pairs(x[1], x[3]), pairs(x[5], x[7]), bias, y);
}

// Row pass of four rows (lines 0-3 or 4-7 of x, lane i being row i) to those
// rows' sixteen-bit results, one row per register: ((y + 1024) >> 11) kept in
// 16 bits. Bits 11..26 of y are wanted: shifted up by 5 they are the upper
// half, which the arithmetic shift brings down with their own sign.
TRANSFORM_STEP void LlmRowQuarter(const __m128i x[8], bool high, __m128i rows[4]) {
  __m128i y[8];
  LlmQuarter(x, high, _mm_set1_epi32(1024), y);
  Unrolled<8>([&](int k) { y[k] = _mm_srai_epi32(_mm_slli_epi32(y[k], 5), 16); });
  // Outputs k and k + 4 of the four rows share a register. Read as rows of
  // eight, their columns are output 0-3 (then 4-7) of row 0, of row 1, ...
  __m128i outputs[4];  // outputs 0-3 of rows 0 and 1, of rows 2 and 3, then 4-7
  ColumnPairsOf4Rows(_mm_packs_epi32(y[0], y[4]), _mm_packs_epi32(y[1], y[5]),
                     _mm_packs_epi32(y[2], y[6]), _mm_packs_epi32(y[3], y[7]), outputs);
  Unrolled<2>([&](int j) {
    rows[2 * j] = _mm_unpacklo_epi64(outputs[j], outputs[j + 2]);
    rows[2 * j + 1] = _mm_unpackhi_epi64(outputs[j], outputs[j + 2]);
  });
}

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

}  // namespace

namespace {

// The LLM transform of a loaded block (register k holds row k).
TRANSFORM_STEP void LlmOfRows(__m128i x[8], uint8_t samples[64]) {
  if (OnlyDc(x)) {
    // The row pass leaves 4 x DC (in 16 bits) across row 0, and each column
    // pass then gives (v + 16) >> 5, done in 32 bits where the + 16 cannot wrap.
    const __m128i rowDc = _mm_slli_epi16(BroadcastFirst(x[0]), 2);
    const __m128i wide = _mm_srai_epi32(_mm_unpacklo_epi16(rowDc, rowDc), 16);
    const __m128i flat = _mm_srai_epi32(_mm_add_epi32(wide, _mm_set1_epi32(16)), 5);
    FillFlat(samples, _mm_packs_epi32(flat, flat));
    return;
  }
  // Rows of zeros come out of the row pass as zeros ((0 + 1024) >> 11): when
  // the lower four rows are all zero, as in most blocks of a photograph, only
  // the upper four need the pass.
  const __m128i lower = _mm_or_si128(_mm_or_si128(x[4], x[5]), _mm_or_si128(x[6], x[7]));
  const bool lowerZero = _mm_movemask_epi8(_mm_cmpeq_epi16(lower, _mm_setzero_si128())) == 0xFFFF;
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

void InverseDctLlmSse2(const int16_t coefficients[64], uint8_t samples[64]) {
  __m128i x[8];
  Load8(coefficients, x);
  LlmOfRows(x, samples);
}

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
