// Where the samples of an MCU sit in the sample row: 8x8 blocks of 64 bytes,
// 8 bytes a row, luminance blocks first (left to right, then top to bottom),
// then the Cb block, then the Cr block; the MCUs follow each other.
#pragma once
#include <cstdint>

inline constexpr int kBlockBytes = 64;

inline const uint8_t* BlockRow(const uint8_t* mcu, int block, int row) {
  return mcu + block * kBlockBytes + 8 * row;
}
