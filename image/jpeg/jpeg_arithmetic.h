// The decoder's integer helpers, written out so that no conversion is
// implementation-defined and no signed arithmetic can overflow: where the
// decoder's arithmetic is 16-bit or 32-bit, results wrap, and the wrapped
// value is the defined one.
#pragma once
#include <cstdint>

// The low 16 bits of a value, as a signed 16-bit number.
inline int16_t Wrap16(uint32_t value) {
  const int32_t low = static_cast<int32_t>(value & 0xFFFFu);
  return static_cast<int16_t>(low < 0x8000 ? low : low - 0x10000);
}

// A 32-bit pattern as the two's-complement number it spells.
inline int32_t ToSigned32(uint32_t value) {
  return value < 0x80000000u ? static_cast<int32_t>(value)
                             : static_cast<int32_t>(value - 0x80000000u) - 0x7FFFFFFF - 1;
}

// value << shift with the bits of two's complement, without the undefined
// behaviour of shifting a negative number.
inline uint32_t ShiftLeft(int32_t value, int shift) {
  return static_cast<uint32_t>(value) << shift;
}

// A sample level: 0 below 0, 255 above 255.
inline uint8_t ClampToByte(int32_t value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<uint8_t>(value);
}
