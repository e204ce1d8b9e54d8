// The colour layouts converted eight pixels at a time with SSE2. The results
// are the table conversion's to the bit; only the fourth byte of each pixel,
// which the table conversion never writes, is stored as 0.
#pragma once
#include "image/jpeg/jpeg_color.h"
#include "image/jpeg/jpeg_layout.h"

#if defined(__SSE2__)
inline constexpr bool kHaveColorSse2 = true;
#else
inline constexpr bool kHaveColorSse2 = false;
#endif

// The conversion of a colour layout (not LayoutGrey). Defined only when
// kHaveColorSse2 is true.
ConvertLinesKernel ColourConversionSse2(JpegLayout layout);
