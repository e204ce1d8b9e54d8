// The two inverse DCTs. Both are fixed to the last bit: the saver's pictures
// must come out identical on every machine that takes the same path, so every
// wrap, shift and rounding below is part of the result, not an accident of it.
#include "image/jpeg/jpeg_transform.h"

#include <cstring>

#include "image/jpeg/jpeg_arithmetic.h"
#include "image/jpeg/jpeg_engine.h"

const int16_t kAanScale[64] = {
    16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,  //
    22725, 31521, 29692, 26722, 22725, 17855, 12299, 6270,  //
    21407, 29692, 27969, 25172, 21407, 16819, 11585, 5906,  //
    19266, 26722, 25172, 22654, 19266, 15137, 10426, 5315,  //
    16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,  //
    12873, 17855, 16819, 15137, 12873, 10114, 6967,  3552,  //
    8867,  12299, 11585, 10426, 8867,  6967,  4799,  2446,  //
    4520,  6270,  5906,  5315,  4520,  3552,  2446,  1247,  //
};

uint16_t PrescaleQuantValue(uint16_t value, int naturalIndex) {
  const uint32_t scale = static_cast<uint32_t>(kAanScale[naturalIndex]);
  return static_cast<uint16_t>((value * scale + 2048u) >> 12);
}

namespace {

// ---- LLM ---------------------------------------------------------------------
//
// The 1-D pass works modulo 2^32, as the 32-bit registers it was made for do:
// coefficients near the 16-bit limits overflow 32 bits in the odd part, and the
// wrapped result is the defined one. Unsigned arithmetic gives that wrap.

uint32_t U32(int32_t v) { return static_cast<uint32_t>(v); }

// x[0..7] at the given stride in, the eight unscaled outputs y0..y7 out.
void LlmPass(const int16_t* x, int stride, uint32_t y[8]) {
  const uint32_t x0 = U32(x[0]), x1 = U32(x[stride]), x2 = U32(x[2 * stride]),
                 x3 = U32(x[3 * stride]), x4 = U32(x[4 * stride]), x5 = U32(x[5 * stride]),
                 x6 = U32(x[6 * stride]), x7 = U32(x[7 * stride]);

  // Even part.
  uint32_t z1 = (x2 + x6) * 4433u;
  const uint32_t t2 = z1 - x6 * 15137u;
  const uint32_t t3 = z1 + x2 * 6270u;
  const uint32_t t0 = (x0 + x4) * 8192u;
  const uint32_t t1 = (x0 - x4) * 8192u;
  const uint32_t a0 = t0 + t3, a3 = t0 - t3, a1 = t1 + t2, a2 = t1 - t2;

  // Odd part.
  uint32_t u0 = x7, u1 = x5, u2 = x3, u3 = x1;
  z1 = u0 + u3;
  uint32_t z2 = u1 + u2;
  uint32_t z3 = u0 + u2;
  uint32_t z4 = u1 + u3;
  const uint32_t z5 = (z3 + z4) * 9633u;
  u0 *= 2446u;
  u1 *= 16819u;
  u2 *= 25172u;
  u3 *= 12299u;
  z1 *= U32(-7373);
  z2 *= U32(-20995);
  z3 = z3 * U32(-16069) + z5;
  z4 = z4 * U32(-3196) + z5;
  u0 += z1 + z3;
  u1 += z2 + z4;
  u2 += z2 + z3;
  u3 += z1 + z4;

  y[0] = a0 + u3;
  y[7] = a0 - u3;
  y[1] = a1 + u2;
  y[6] = a1 - u2;
  y[2] = a2 + u1;
  y[5] = a2 - u1;
  y[3] = a3 + u0;
  y[4] = a3 - u0;
}

bool AcTermsZero(const int16_t* x, int stride) {
  for (int k = 1; k < 8; ++k) {
    if (x[k * stride] != 0) return false;
  }
  return true;
}

// Rows, in place: results keep 2 fraction bits more than the samples will.
void LlmRowPass(int16_t block[64]) {
  for (int row = 0; row < 8; ++row) {
    int16_t* x = block + 8 * row;
    if (AcTermsZero(x, 1)) {
      const int16_t dc = Wrap16(x[0] * 4);
      for (int k = 0; k < 8; ++k) x[k] = dc;
      continue;
    }
    uint32_t y[8];
    LlmPass(x, 1, y);
    for (int k = 0; k < 8; ++k) x[k] = Wrap16(ToSigned32(y[k] + 1024u) >> 11);
  }
}

uint8_t LlmSample(uint32_t y) {
  const int16_t v = Wrap16(ToSigned32(y + 131072u) >> 18);
  return ClampToByte(Wrap16(v + 128));
}

void LlmColumnPass(const int16_t block[64], uint8_t samples[64]) {
  for (int column = 0; column < 8; ++column) {
    const int16_t* x = block + column;
    if (AcTermsZero(x, 8)) {
      const uint8_t flat = ClampToByte(((x[0] + 16) >> 5) + 128);
      for (int k = 0; k < 8; ++k) samples[8 * k + column] = flat;
      continue;
    }
    uint32_t y[8];
    LlmPass(x, 8, y);
    for (int k = 0; k < 8; ++k) samples[8 * k + column] = LlmSample(y[k]);
  }
}

// ---- AAN ---------------------------------------------------------------------
//
// Every sum wraps at 16 bits: this path mirrors four-lane 16-bit SIMD
// arithmetic, so the wrap is part of its defined output.

int16_t Add16(int16_t a, int16_t b) { return Wrap16(int32_t{a} + b); }
int16_t Sub16(int16_t a, int16_t b) { return Wrap16(int32_t{a} - b); }

// The high half of wrap16(4v) x c: a multiply by c / 16384 with the rounding of
// a 16x16 multiply that keeps only its upper 16 bits.
int16_t MulHigh(int16_t v, int32_t c) {
  const int32_t product = int32_t{Wrap16(v * 4)} * c;
  return static_cast<int16_t>(product >> 16);
}

constexpr int32_t kSqrt2 = 23170;       // 1.41421 x 16384
constexpr int32_t kMinus185 = -30353;   // -1.85260 x 16384
constexpr int32_t kMinus0765 = -12540;  // -0.76538 x 16384
constexpr int32_t kPlus1848 = 30273;    //  1.84772 x 16384

// One 1-D pass in place over the eight values at the given stride.
void AanPass(int16_t* x, int stride) {
  const int16_t x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride],
                x4 = x[4 * stride], x5 = x[5 * stride], x6 = x[6 * stride], x7 = x[7 * stride];

  const int16_t e10 = Add16(x0, x4);
  const int16_t e11 = Sub16(x0, x4);
  const int16_t e13 = Add16(x2, x6);
  const int16_t e12 = Sub16(MulHigh(Sub16(x2, x6), kSqrt2), e13);
  const int16_t a0 = Add16(e10, e13), a3 = Sub16(e10, e13);
  const int16_t a1 = Add16(e11, e12), a2 = Sub16(e11, e12);

  const int16_t z13 = Add16(x5, x3), z10 = Sub16(x5, x3);
  const int16_t z11 = Add16(x1, x7), z12 = Sub16(x1, x7);
  const int16_t o7 = Add16(z11, z13);
  const int16_t o11 = MulHigh(Sub16(z11, z13), kSqrt2);
  const int16_t o10 = Add16(MulHigh(z10, kMinus185), MulHigh(z12, kMinus0765));
  const int16_t o12 = Add16(MulHigh(z10, kMinus0765), MulHigh(z12, kPlus1848));
  const int16_t o6 = Sub16(o12, o7);
  const int16_t o5 = Sub16(o11, o6);
  const int16_t o4 = Add16(o10, o5);

  x[0] = Add16(a0, o7);
  x[7 * stride] = Sub16(a0, o7);
  x[stride] = Add16(a1, o6);
  x[6 * stride] = Sub16(a1, o6);
  x[2 * stride] = Add16(a2, o5);
  x[5 * stride] = Sub16(a2, o5);
  x[4 * stride] = Add16(a3, o4);
  x[3 * stride] = Sub16(a3, o4);
}

// A block times a table, both in the same order, each product kept in 16
// bits.  Only the low 16 bits of the product are kept, so the table entry's
// signedness does not matter; unsigned arithmetic keeps it overflow-free.
void Dequantise(const int16_t coefficients[64], const uint16_t quant[64], int16_t out[64]) {
  for (int i = 0; i < 64; ++i) {
    out[i] = Wrap16(static_cast<uint32_t>(coefficients[i]) * quant[i]);
  }
}

}  // namespace

void InverseDctLlm(const int16_t coefficients[64], uint8_t samples[64]) {
  int16_t scratch[64];
  std::memcpy(scratch, coefficients, sizeof scratch);
  LlmRowPass(scratch);
  LlmColumnPass(scratch, samples);
}

void InverseDctAan(const int16_t coefficients[64], const uint16_t prescaledQuant[64],
                   uint8_t samples[64]) {
  int16_t d[64];
  Dequantise(coefficients, prescaledQuant, d);
  for (int column = 0; column < 8; ++column) AanPass(d + column, 8);
  for (int row = 0; row < 8; ++row) AanPass(d + 8 * row, 1);
  for (int i = 0; i < 64; ++i) samples[i] = ClampToByte((d[i] >> 5) + 128);
}

namespace {

// The row loop, with the kernel fixed at compile time so that it costs
// nothing to call per block.
template <void (*Kernel)(const int16_t*, const uint16_t*, uint8_t*)>
void TransformBlocks(const int16_t* coefficientRow, int mcusPerRow, int blocksPerMcu,
                     const uint16_t* const quantForBlock[], uint8_t* sampleRow) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    for (int inMcu = 0; inMcu < blocksPerMcu; ++inMcu) {
      Kernel(coefficientRow, quantForBlock[inMcu], sampleRow);
      coefficientRow += 64;
      sampleRow += 64;
    }
  }
}

// The reference engine's plain path: its rows come dequantised.
void InverseDctLlmOfDequantised(const int16_t coefficients[64], const uint16_t*,
                                uint8_t samples[64]) {
  InverseDctLlm(coefficients, samples);
}

// The fast engines' plain path where the build has no vector kernels.
void InverseDctLlmDequantising(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                               uint8_t samples[64]) {
  int16_t dequantised[64];
  Dequantise(coefficients, naturalQuant, dequantised);
  InverseDctLlm(dequantised, samples);
}

}  // namespace

TransformRowKernel ChooseRowTransform(JpegEngine engine, bool useMmx) {
  const bool fast = RunsFastKernels(engine);
  if (useMmx) {
    if constexpr (kHasSse2Transforms) {
      if (fast) return TransformBlocks<InverseDctAanSse2>;
    }
    return TransformBlocks<InverseDctAan>;
  }
  if (!fast) return TransformBlocks<InverseDctLlmOfDequantised>;
  if constexpr (kHasAvx2Transforms) {
    if (RunsAvx2(engine)) return TransformBlocks<InverseDctLlmAvx2>;
  }
  if constexpr (kHasSse2Transforms) return TransformBlocks<InverseDctLlmSse2>;
  return TransformBlocks<InverseDctLlmDequantising>;
}
