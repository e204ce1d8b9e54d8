// YCbCr to RGB through four 256-entry tables (no multiply per pixel), and the
// cutting of an MCU row of samples into output lines with chroma replicated
// over the pixels it covers.
#include "image/jpeg/jpeg_color.h"

#include <cstring>

#include "image/jpeg/jpeg_arithmetic.h"
#include "image/jpeg/jpeg_color_blocks.h"
#include "image/jpeg/jpeg_color_sse2.h"
#include "image/jpeg/jpeg_engine.h"

namespace {

// A pixel from its three samples (first, second, third component).  The
// fourth byte is left as it is: the caller sees it as the never-written byte.
struct FromYCbCr {
  static void Store(const JpegColorTables& t, int y, int cb, int cr, uint8_t* pixel) {
    pixel[0] = ClampToByte(y + t.crToR[cr]);
    pixel[1] = ClampToByte(y + ((t.crToG[cr] + t.cbToG[cb]) >> 16));
    pixel[2] = ClampToByte(y + t.cbToB[cb]);
  }
};

struct FromRgb {
  static void Store(const JpegColorTables&, int red, int green, int blue, uint8_t* pixel) {
    pixel[0] = static_cast<uint8_t>(red);
    pixel[1] = static_cast<uint8_t>(green);
    pixel[2] = static_cast<uint8_t>(blue);
  }
};

// One line of an MCU whose first component comes from lumaLeft (and
// lumaRight for 16-pixel-wide MCUs) and whose other two come from one row of
// each of their blocks; chromaStep pixels share their samples horizontally.
template <class Pixel>
void StoreMcuLine(const JpegColorTables& t, const uint8_t* lumaLeft, const uint8_t* lumaRight,
                  const uint8_t* cbRow, const uint8_t* crRow, int chromaStep, uint8_t* out) {
  const int width = lumaRight ? 16 : 8;
  for (int x = 0; x < width; ++x) {
    const uint8_t y = x < 8 ? lumaLeft[x] : lumaRight[x - 8];
    const int j = x / chromaStep;
    Pixel::Store(t, y, cbRow[j], crRow[j], out + 4 * x);
  }
}

void ConvertGreyLine(const JpegColorTables&, const uint8_t* sampleRow, int mcusPerRow, int r,
                     uint8_t* line, uint8_t*) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    std::memcpy(line + 8 * mcu, BlockRow(sampleRow, mcu, r), 8);
  }
}

template <class Pixel>
void Convert444Line(const JpegColorTables& t, const uint8_t* sampleRow, int mcusPerRow, int r,
                    uint8_t* line, uint8_t*) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 3 * kBlockBytes;
    StoreMcuLine<Pixel>(t, BlockRow(m, 0, r), nullptr, BlockRow(m, 1, r), BlockRow(m, 2, r), 1,
                        line + mcu * 8 * 4);
  }
}

template <class Pixel>
void Convert422Line(const JpegColorTables& t, const uint8_t* sampleRow, int mcusPerRow, int r,
                    uint8_t* line, uint8_t*) {
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 4 * kBlockBytes;
    StoreMcuLine<Pixel>(t, BlockRow(m, 0, r), BlockRow(m, 1, r), BlockRow(m, 2, r),
                        BlockRow(m, 3, r), 2, line + mcu * 16 * 4);
  }
}

// Lines r and r + 1 of a vertically subsampled MCU row; both share chroma row r / 2.
template <class Pixel>
void Convert440Lines(const JpegColorTables& t, const uint8_t* sampleRow, int mcusPerRow, int r,
                     uint8_t* lineA, uint8_t* lineB) {
  const int lumaBlock = r < 8 ? 0 : 1;
  const int lumaRow = r % 8;
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 4 * kBlockBytes;
    const uint8_t* cb = BlockRow(m, 2, r >> 1);
    const uint8_t* cr = BlockRow(m, 3, r >> 1);
    StoreMcuLine<Pixel>(t, BlockRow(m, lumaBlock, lumaRow), nullptr, cb, cr, 1,
                        lineA + mcu * 8 * 4);
    StoreMcuLine<Pixel>(t, BlockRow(m, lumaBlock, lumaRow + 1), nullptr, cb, cr, 1,
                        lineB + mcu * 8 * 4);
  }
}

template <class Pixel>
void Convert420Lines(const JpegColorTables& t, const uint8_t* sampleRow, int mcusPerRow, int r,
                     uint8_t* lineA, uint8_t* lineB) {
  const int leftBlock = r < 8 ? 0 : 2;
  const int lumaRow = r % 8;
  for (int mcu = 0; mcu < mcusPerRow; ++mcu) {
    const uint8_t* m = sampleRow + mcu * 6 * kBlockBytes;
    const uint8_t* cb = BlockRow(m, 4, r >> 1);
    const uint8_t* cr = BlockRow(m, 5, r >> 1);
    StoreMcuLine<Pixel>(t, BlockRow(m, leftBlock, lumaRow), BlockRow(m, leftBlock + 1, lumaRow),
                        cb, cr, 2, lineA + mcu * 16 * 4);
    StoreMcuLine<Pixel>(t, BlockRow(m, leftBlock, lumaRow + 1),
                        BlockRow(m, leftBlock + 1, lumaRow + 1), cb, cr, 2, lineB + mcu * 16 * 4);
  }
}

template <class Pixel>
ConvertLinesKernel PixelByPixel(JpegLayout layout) {
  switch (layout) {
    case Layout444:
      return Convert444Line<Pixel>;
    case Layout422:
      return Convert422Line<Pixel>;
    case Layout440:
      return Convert440Lines<Pixel>;
    case Layout420:
      return Convert420Lines<Pixel>;
    case LayoutGrey:
      break;
  }
  return ConvertGreyLine;
}

}  // namespace

void BuildColorTables(JpegColorTables& tables) {
  for (int i = 0; i < 256; ++i) {
    const int32_t c = i - 128;
    // Shifts of negative values are arithmetic: the tables round toward minus infinity.
    tables.crToR[i] = (c * 91882 + 32768) >> 16;
    tables.cbToB[i] = (c * 116130 + 32768) >> 16;
    tables.crToG[i] = -c * 46802;
    tables.cbToG[i] = -c * 22554 + 32768;
  }
}

ConvertLinesKernel ChooseLineConversion(JpegEngine engine, JpegLayout layout, bool rgb) {
  if (layout == LayoutGrey) return ConvertGreyLine;
  if (rgb) return PixelByPixel<FromRgb>(layout);
  if constexpr (kHaveColorSse2) {
    if (RunsFastKernels(engine)) return ColourConversionSse2(layout);
  }
  return PixelByPixel<FromYCbCr>(layout);
}
