#include "render/pixel_format.h"

namespace {

bool IsAcceptable(const PixelFormatDescription& format, int colourBits) {
  const uint32_t required = kPfdSupportOpenGL | kPfdDrawToWindow;
  return format.colorBits == colourBits && (format.flags & required) == required &&
         format.depthBits > 8 && format.pixelType == kPfdTypeRgba;
}

}  // namespace

unsigned ScorePixelFormat(const PixelFormatDescription& format, int colourBits) {
  if (!IsAcceptable(format, colourBits)) return 0;
  int score = (format.flags & kPfdDoubleBuffer) ? 2 : 1;
  // Shallow depth buffers are cheaper to clear and test; 9 to 15 bits earn nothing.
  if (format.depthBits >= 16) score += 128 - format.depthBits;
  // A generic format is drawn in software: far too slow for the scene.
  if (format.flags & kPfdGenericFormat) return 0;
  return static_cast<unsigned>(score + 1024);
}

int PickBestPixelFormat(int formatCount, const DescribeFormat& describe, int colourBits) {
  unsigned best = 0;
  int chosen = 0;
  // Downward, so that among equal scores the highest index stays chosen.
  for (int index = formatCount; index >= 1; --index) {
    PixelFormatDescription format;
    if (!describe(index, format)) continue;
    const unsigned score = ScorePixelFormat(format, colourBits);
    if (score > best) {
      best = score;
      chosen = index;
    }
  }
  return best > 0 ? chosen : 0;
}
