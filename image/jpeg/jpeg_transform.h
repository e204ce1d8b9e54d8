// Inverse DCTs of the decoder: coefficients of one 8x8 block to 64 samples.
//
// Two transforms, chosen by the decoder's useMmx flag; their results differ
// slightly and both are exact to their own integer arithmetic:
//  - LLM: 32-bit arithmetic on coefficients already dequantised;
//  - AAN: 16-bit wrapping arithmetic that also dequantises, with quantisation
//    tables prescaled by kAanScale when they are stored.
// Blocks and tables are in natural (row-major) order; samples are 8 rows of 8.
#pragma once
#include <cstdint>

// The AAN scale table: round(16384 x s(u) x s(v)), s(0) = 1, s(k) = sqrt(2) cos(k pi / 16).
extern const int16_t kAanScale[64];

// A quantisation value prescaled for the AAN transform:
// (value x kAanScale[naturalIndex] + 2048) >> 12 in unsigned 32-bit arithmetic, kept in 16 bits.
uint16_t PrescaleQuantValue(uint16_t value, int naturalIndex);

// LLM transform of 64 dequantised coefficients (the input is left intact).
void InverseDctLlm(const int16_t coefficients[64], uint8_t samples[64]);

// AAN transform of 64 quantised coefficients with a prescaled table.
void InverseDctAan(const int16_t coefficients[64], const uint16_t prescaledQuant[64],
                   uint8_t samples[64]);

// SSE2 twins of the two transforms (jpeg_transform_sse2.cpp), byte for byte
// the same as the scalar ones; defined only where the build targets SSE2.
#if defined(__SSE2__)
constexpr bool kHasSse2Transforms = true;
#else
constexpr bool kHasSse2Transforms = false;
#endif
void InverseDctLlmSse2(const int16_t coefficients[64], uint8_t samples[64]);
// The same for quantised coefficients, dequantised first with a table in
// natural order (each product kept in 16 bits, as the decoder keeps it).
void InverseDctLlmSse2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]);
void InverseDctAanSse2(const int16_t coefficients[64], const uint16_t prescaledQuant[64],
                       uint8_t samples[64]);

// The AVX2 twin of the dequantising LLM kernel (jpeg_transform_avx2.cpp),
// defined only for x86-64 and to be called only where ProcessorHasAvx2().
#if defined(__GNUC__) && defined(__x86_64__)
constexpr bool kHasAvx2Transforms = true;
#else
constexpr bool kHasAvx2Transforms = false;
#endif
void InverseDctLlmAvx2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]);

// The row transforms: every block of a coefficient row to its 64 bytes of the
// sample row (block i to bytes 64i..64i+63). fast takes the SSE2 kernels when
// the build has them; otherwise, and always when fast is false, the scalar ones.
void TransformRowLlm(const int16_t* coefficientRow, int blocksPerRow, uint8_t* sampleRow,
                     bool fast);

// The fast engine's LLM row transform on quantised coefficients: block b of
// each MCU is dequantised with quantForBlock[b] (natural order) first, which
// gives what TransformRowLlm gives on the dequantised row.  useAvx2 takes the
// AVX2 kernel, which only a processor with AVX2 may be asked to run.
void TransformRowLlmDequantising(const int16_t* coefficientRow, int mcusPerRow, int blocksPerMcu,
                                 const uint16_t* const quantForBlock[], uint8_t* sampleRow,
                                 bool useAvx2);

// quantForBlock[b] is the prescaled table of block b of each MCU.
void TransformRowAan(const int16_t* coefficientRow, int mcusPerRow, int blocksPerMcu,
                     const uint16_t* const quantForBlock[], uint8_t* sampleRow, bool fast);
