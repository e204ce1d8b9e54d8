// Steps of the vector inverse DCTs, shared by the SSE2 kernels and the AVX2
// LLM kernel.  A block is eight registers of eight 16-bit lanes, one register
// per row or per column, and a 1-D pass works on several lines at once, one
// line per lane.
//
// Included only by the kernel files.  Everything here has internal linkage:
// the AVX2 file compiles these steps for its own instruction set, and no
// other file may end up calling that copy.
#pragma once
#include <emmintrin.h>

#include <cstdint>
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
// a multiply-add of 16-bit pairs (x_i, x_j) forms x_i c_i + x_j c_j exactly
// modulo 2^32.
//
// Combined factors (from the pass's 4433, 6270, 15137, 2446, 16819, 25172,
// 12299, -7373, -20995, -16069, -3196 and 9633):
//   t3 = x2 x 10703 + x6 x 4433          t2 = x2 x 4433 + x6 x -10704
//   u0 = x1 x 2260  + x3 x -6436  + x5 x 9633   + x7 x -11363
//   u1 = x1 x 6437  + x3 x -11362 + x5 x 2261   + x7 x 9633
//   u2 = x1 x 9633  + x3 x -2259  + x5 x -11362 + x7 x -6436
//   u3 = x1 x 11363 + x3 x 9633   + x5 x 6437   + x7 x 2260

// 32-bit lane arithmetic of the 128-bit registers (four lines at once).
struct Lanes128 {
  using Vector = __m128i;
  static TRANSFORM_STEP Vector Broadcast(int32_t value) { return _mm_set1_epi32(value); }
  static TRANSFORM_STEP Vector MultiplyAdd(Vector pairs, Vector factors) {
    return _mm_madd_epi16(pairs, factors);
  }
  static TRANSFORM_STEP Vector Add(Vector a, Vector b) { return _mm_add_epi32(a, b); }
  static TRANSFORM_STEP Vector Subtract(Vector a, Vector b) { return _mm_sub_epi32(a, b); }
};

// x_i c_i + x_j c_j in every lane, from the pairs (x_i, x_j).  (Functions
// rather than lambdas: a lambda is not compiled for the AVX2 file's
// instruction set, and one that returns its registers changes the ABI.)
template <class Lanes, class Vector = typename Lanes::Vector>
TRANSFORM_STEP Vector MulAdd(Vector pairs, int16_t first, int16_t second) {
  const uint32_t factors = static_cast<uint16_t>(first) | (static_cast<uint32_t>(second) << 16);
  return Lanes::MultiplyAdd(pairs, Lanes::Broadcast(static_cast<int32_t>(factors)));
}

template <class Lanes, class Vector = typename Lanes::Vector>
TRANSFORM_STEP Vector MulAdd(Vector pairsA, int16_t a1, int16_t a2, Vector pairsB, int16_t b1,
                             int16_t b2) {
  return Lanes::Add(MulAdd<Lanes>(pairsA, a1, a2), MulAdd<Lanes>(pairsB, b1, b2));
}

// The eight outputs of as many lines as Lanes has 32-bit lanes, each line's
// x0..x7 given as the 16-bit pairs (x0, x4), (x2, x6), (x1, x3), (x5, x7).
// bias is added to every output.
template <class Lanes, class Vector = typename Lanes::Vector>
TRANSFORM_STEP void LlmLines(Vector x04, Vector x26, Vector x13, Vector x57, Vector bias,
                             Vector y[8]) {
  const Vector t0 = Lanes::Add(MulAdd<Lanes>(x04, 8192, 8192), bias);
  const Vector t1 = Lanes::Add(MulAdd<Lanes>(x04, 8192, -8192), bias);
  const Vector t3 = MulAdd<Lanes>(x26, 10703, 4433);
  const Vector t2 = MulAdd<Lanes>(x26, 4433, -10704);
  const Vector a0 = Lanes::Add(t0, t3), a3 = Lanes::Subtract(t0, t3);
  const Vector a1 = Lanes::Add(t1, t2), a2 = Lanes::Subtract(t1, t2);

  const Vector u0 = MulAdd<Lanes>(x13, 2260, -6436, x57, 9633, -11363);
  const Vector u1 = MulAdd<Lanes>(x13, 6437, -11362, x57, 2261, 9633);
  const Vector u2 = MulAdd<Lanes>(x13, 9633, -2259, x57, -11362, -6436);
  const Vector u3 = MulAdd<Lanes>(x13, 11363, 9633, x57, 6437, 2260);

  y[0] = Lanes::Add(a0, u3);
  y[7] = Lanes::Subtract(a0, u3);
  y[1] = Lanes::Add(a1, u2);
  y[6] = Lanes::Subtract(a1, u2);
  y[2] = Lanes::Add(a2, u1);
  y[5] = Lanes::Subtract(a2, u1);
  y[3] = Lanes::Add(a3, u0);
  y[4] = Lanes::Subtract(a3, u0);
}

// A flat LLM block (only x[0]'s first lane may be non-zero) to its samples.
// The row pass leaves 4 x DC (in 16 bits) across row 0, and each column pass
// then gives (v + 16) >> 5, done in 32 bits where the + 16 cannot wrap.
TRANSFORM_STEP void FillLlmFlat(const __m128i x[8], uint8_t samples[64]) {
  const __m128i rowDc = _mm_slli_epi16(BroadcastFirst(x[0]), 2);
  const __m128i wide = _mm_srai_epi32(_mm_unpacklo_epi16(rowDc, rowDc), 16);
  const __m128i flat = _mm_srai_epi32(_mm_add_epi32(wide, _mm_set1_epi32(16)), 5);
  FillFlat(samples, _mm_packs_epi32(flat, flat));
}

// Whether rows 4-7 of a block (registers 4-7, before transposing) are all
// zero.  Rows of zeros come out of the row pass as zeros ((0 + 1024) >> 11):
// in most blocks of a photograph only the upper four rows need the pass.
TRANSFORM_STEP bool LowerRowsZero(const __m128i x[8]) {
  const __m128i lower = _mm_or_si128(_mm_or_si128(x[4], x[5]), _mm_or_si128(x[6], x[7]));
  return _mm_movemask_epi8(_mm_cmpeq_epi16(lower, _mm_setzero_si128())) == 0xFFFF;
}

// Output y[0..7] of lines 0-3 (high false) or 4-7 (high true) of eight
// lines; lane i of x[k] is input k of line i.
TRANSFORM_STEP void LlmQuarter(const __m128i x[8], bool high, __m128i bias, __m128i y[8]) {
  const auto pairs = [high](__m128i a, __m128i b) {
    return high ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b);
  };
  LlmLines<Lanes128>(pairs(x[0], x[4]), pairs(x[2], x[6]), pairs(x[1], x[3]), pairs(x[5], x[7]),
                     bias, y);
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

}  // namespace
