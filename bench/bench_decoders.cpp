#include "bench/bench_decoders.h"

#include <jpeglib.h>
#include <stb_image.h>

#include <cstdio>
#include <cstring>

#include "image/jpeg/jpeg_lines.h"
#include "image/jpeg_memory_source.h"

namespace {

// Sizes the caller's buffer; a no-op when the previous decode had the same shape.
void Shape(DecodedPicture& picture, int width, int height, int bytesPerPixel) {
  picture.width = width;
  picture.height = height;
  picture.bytesPerPixel = bytesPerPixel;
  picture.pixels.resize(static_cast<size_t>(width) * height * bytesPerPixel);
}

bool CopyOurLines(JpegDecoder& decoder, DecodedPicture& picture) {
  const size_t rowBytes = static_cast<size_t>(picture.width) * picture.bytesPerPixel;
  int rows = 0;
  const int result = ReadAllLines(decoder, [&](int row, const uint8_t* line, int lineBytes) {
    if (row >= picture.height || static_cast<size_t>(lineBytes) != rowBytes) return false;
    std::memcpy(picture.pixels.data() + row * rowBytes, line, rowBytes);
    rows = row + 1;
    return true;
  });
  return result == Done && rows == picture.height;
}

}  // namespace

bool DecodeWithOurs(const std::vector<uint8_t>& jpeg, bool useMmx, JpegEngine engine,
                    DecodedPicture& picture) {
  JpegMemorySource source(jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  JpegDecoder decoder(&source, useMmx, engine);
  if (decoder.status() != 0 || decoder.startDecoding() != 0) return false;
  Shape(picture, decoder.imageWidth(), decoder.imageHeight(), decoder.outputBytesPerPixel());
  return CopyOurLines(decoder, picture);
}

bool DecodeWithLibjpegTurbo(const std::vector<uint8_t>& jpeg, DecodedPicture& picture) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);  // a failure prints its message and exits
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = FALSE;
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Shape(picture, static_cast<int>(info.output_width), static_cast<int>(info.output_height),
        info.output_components);
  // Every row's address up front, so each call hands back as many rows as the
  // library has ready.
  const size_t rowBytes = static_cast<size_t>(picture.width) * picture.bytesPerPixel;
  std::vector<JSAMPROW> rows(info.output_height);
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = picture.pixels.data() + y * rowBytes;
  while (info.output_scanline < info.output_height) {
    jpeg_read_scanlines(&info, rows.data() + info.output_scanline,
                        info.output_height - info.output_scanline);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

bool DecodeWithStbImage(const std::vector<uint8_t>& jpeg, DecodedPicture& picture) {
  constexpr int kRgbBytes = 3;
  int width = 0;
  int height = 0;
  int componentsInFile = 0;
  stbi_uc* pixels = stbi_load_from_memory(jpeg.data(), static_cast<int>(jpeg.size()), &width,
                                          &height, &componentsInFile, kRgbBytes);
  if (!pixels) return false;
  picture.width = width;
  picture.height = height;
  picture.bytesPerPixel = kRgbBytes;
  stbi_image_free(pixels);
  return true;
}
