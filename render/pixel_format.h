// The choice of a pixel format for the GL surface: only hardware-accelerated
// RGBA formats of exactly the requested colour depth are acceptable, and among
// them the shallowest depth buffer of at least 16 bits wins over double
// buffering.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/system_numbers.h"


// The fields of a pixel-format descriptor that the score reads.
struct PixelFormatDescription {
  uint32_t flags = 0;
  uint8_t pixelType = kPfdTypeRgba;
  uint8_t colorBits = 0;
  uint8_t depthBits = 0;
};

// 0 for an unacceptable format, otherwise 1025 to 1138.
unsigned ScorePixelFormat(const PixelFormatDescription& format, int colourBits);

// Describes pixel format `index` (1-based); false when it cannot be described.
using DescribeFormat = std::function<bool(int index, PixelFormatDescription& format)>;

// The index of the best-scoring format among 1..formatCount, the highest
// index among equal scores; 0 when none is acceptable.
int PickBestPixelFormat(int formatCount, const DescribeFormat& describe, int colourBits);
