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

#include "image/jpeg/jpeg_decoder.h"

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

// The vector kernels, byte for byte the same as the scalar transforms; the
// LLM ones dequantise first with a table in natural order (each product kept
// in 16 bits, as the decoder keeps it).  The SSE2 ones are defined only where
// the build targets SSE2 (jpeg_transform_sse2.cpp), the AVX2 one only for
// x86-64, to be run only where ProcessorHasAvx2() (jpeg_transform_avx2.cpp).
#if defined(__SSE2__)
constexpr bool kHasSse2Transforms = true;
#else
constexpr bool kHasSse2Transforms = false;
#endif
#if defined(__GNUC__) && defined(__x86_64__)
constexpr bool kHasAvx2Transforms = true;
#else
constexpr bool kHasAvx2Transforms = false;
#endif
void InverseDctLlmSse2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]);
void InverseDctAanSse2(const int16_t coefficients[64], const uint16_t prescaledQuant[64],
                       uint8_t samples[64]);
void InverseDctLlmAvx2(const int16_t coefficients[64], const uint16_t naturalQuant[64],
                       uint8_t samples[64]);

// A row transform: every block of a coefficient row to its 64 bytes of the
// sample row (block i to bytes 64i..64i+63), block b of each MCU with the
// table quantForBlock[b]: prescaled on the MMX path; in natural order on the
// plain path, where only the reference engine's rows come dequantised already.
using TransformRowKernel = void (*)(const int16_t* coefficientRow, int mcusPerRow,
                                    int blocksPerMcu, const uint16_t* const quantForBlock[],
                                    uint8_t* sampleRow);

TransformRowKernel ChooseRowTransform(JpegEngine engine, bool useMmx);
