#include "image/texture_loader.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "image/cpu_features.h"
#include "image/jpeg/jpeg_lines.h"
#include "image/jpeg_memory_source.h"
#include "render/gl_api.h"
#include "platform/platform.h"

ImageBuffer SceneTextures[kSceneTextureCount];

namespace {

constexpr int kRgbBytes = 3;

void ShowError(const char* text, const char* caption) {
  PlatformNotices().MessageBox(nullptr, text, caption, kMbOk);
}

void ShowDecoderStatus(int status) {
  char text[64];
  std::snprintf(text, sizeof text, "Error: Decoder failed! Error status: %i\n", status);
  ShowError(text, "Decoder Error");
}

// Copies one decoded line into an RGB row: colour lines carry red, green and
// blue first in each pixel; a grey line's single value becomes all three.
void CopyLineAsRgb(const uint8_t* line, int lineBytes, int bytesPerPixel, uint8_t* row, int width) {
  const int pixels = bytesPerPixel > 0 ? lineBytes / bytesPerPixel : 0;
  const int count = pixels < width ? pixels : width;
  for (int x = 0; x < count; ++x, line += bytesPerPixel, row += kRgbBytes) {
    if (bytesPerPixel >= kRgbBytes) {
      row[0] = line[0];
      row[1] = line[1];
      row[2] = line[2];
    } else {
      row[0] = row[1] = row[2] = line[0];
    }
  }
}

// Reads every line the decoder gives into the block, top line first.  True
// when the decoder ended without a failure.
bool CopyDecodedLines(JpegDecoder& decoder, ImageBuffer& image) {
  const int bytesPerPixel = decoder.outputBytesPerPixel();
  const size_t rowBytes = static_cast<size_t>(image.width) * kRgbBytes;
  ReadAllLines(decoder, [&](int row, const uint8_t* line, int lineBytes) {
    // The block holds `height` rows; a line beyond them has nowhere to go.
    if (row < image.height) {
      CopyLineAsRgb(line, lineBytes, bytesPerPixel, image.pixels.get() + row * rowBytes, image.width);
    }
    return true;
  });
  return decoder.status() == 0;
}

bool DecodeWith(JpegDecoder& decoder, ImageBuffer& image) {
  if (decoder.status() != 0) {
    ShowDecoderStatus(decoder.status());
    return false;
  }
  image.width = decoder.imageWidth();
  image.height = decoder.imageHeight();
  image.bitsPerPixel = kRgbBytes * 8;
  image.format = kGlRgb;
  const size_t blockBytes = static_cast<size_t>(image.width) * image.height * kRgbBytes;
  image.pixels.reset(new (std::nothrow) uint8_t[blockBytes]);
  if (!image.pixels) {
    ShowError("Could not allocate memory for image", "ERROR");
    return false;
  }
  if (decoder.startDecoding() != 0 || !CopyDecodedLines(decoder, image)) {
    ShowDecoderStatus(decoder.status());
    image.pixels.reset();
    return false;
  }
  FlipRows(image.pixels.get(), static_cast<size_t>(image.width) * kRgbBytes, image.height);
  return true;
}

void BuildTexture(ImageBuffer& image) {
  glGenTextures(1, &image.textureName);
  glBindTexture(GL_TEXTURE_2D, image.textureName);
  // The mip levels are built, but sampling below stays on the base level.
  gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image.format), image.width, image.height,
                    image.format, GL_UNSIGNED_BYTE, image.pixels.get());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

void FlipRows(uint8_t* pixels, size_t rowBytes, int height) {
  std::vector<uint8_t> spare(rowBytes);
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    uint8_t* upper = pixels + top * rowBytes;
    uint8_t* lower = pixels + bottom * rowBytes;
    std::memcpy(spare.data(), upper, rowBytes);
    std::memcpy(upper, lower, rowBytes);
    std::memcpy(lower, spare.data(), rowBytes);
  }
}

bool DecodeJpegImage(ImageBuffer& image, const uint8_t* data, uint32_t size) {
  CpuidFeatures processor;
  const bool useMmx = DecoderMayUseMmx(processor);
  // The source must outlive the decoder, which hands it back when it is destroyed.
  std::unique_ptr<JpegMemorySource> source(new (std::nothrow) JpegMemorySource(data, size));
  std::unique_ptr<JpegDecoder> decoder(source ? new (std::nothrow) JpegDecoder(source.get(), useMmx)
                                              : nullptr);
  if (!decoder) {
    ShowError("Could not allocate memory for image", "ERROR");
    return false;
  }
  return DecodeWith(*decoder, image);
}

bool LoadJpegTexture(int resourceId, int slot) {
  if (slot < 0 || slot >= kSceneTextureCount) return false;
  // Windows matches resource type names without regard to case: this finds "JPG".
  const ResourceBlock resource = PlatformResources().FindResourceBlock("jpg", resourceId);
  if (!resource.data || resource.size == 0) {
    ShowError("Could not locate image resource", "ERROR");
    return false;
  }
  ImageBuffer& image = SceneTextures[slot];
  if (!DecodeJpegImage(image, resource.data, resource.size)) return false;
  BuildTexture(image);
  image.pixels.reset();
  return true;
}
