// The colour layouts converted eight pixels at a time with SSE2. The results
// are the table conversion's to the bit; only the fourth byte of each pixel,
// which the table conversion never writes, is stored as 0.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_layout.h"

#if defined(__SSE2__)
inline constexpr bool kHaveColorSse2 = true;
#else
inline constexpr bool kHaveColorSse2 = false;
#endif

// Line r of a one-line colour layout (4:4:4, 4:2:2) into lineA, or lines r and
// r + 1 of a two-line one (4:4:0, 4:2:0) into lineA and lineB. Defined only
// when kHaveColorSse2 is true.
void ConvertColourLinesSse2(JpegLayout layout, const uint8_t* sampleRow, int mcusPerRow, int r,
                            uint8_t* lineA, uint8_t* lineB);
