// libFuzzer target: any byte stream through the decoder's whole calling order,
// with both transform paths and every engine. The decoder must refuse or
// decode it without touching memory outside its buffers, leaking, or
// overflowing arithmetic, and the fast engine, in both its forms, must give
// exactly what the plain reference gives: every status, line and source read.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "tests/image/jpeg/memory_jpeg_source.h"

namespace {

// Pictures above this many pixels are only parsed: decoding eight thousand
// lines of a tiny input's synthetic end-of-data bits proves nothing new and
// would stall the run.
constexpr long kMaxDecodedPixels = 1L << 20;

// Everything a decode shows its caller and its source: every status and
// return value in order, then the source's read count; and the pixels.
using Outcome = std::pair<std::vector<int>, std::vector<uint8_t>>;

Outcome Decode(const uint8_t* data, size_t size, bool useMmx, int chunk, JpegEngine engine) {
  Outcome outcome;
  auto& [results, pixels] = outcome;
  // In chunks of a fixed size, so that refills (and the saving of the wide
  // bit reader around them) fall at varying places.
  MemoryJpegSource source(std::vector<uint8_t>(data, data + size), chunk);
  {
    JpegDecoder decoder(&source, useMmx, engine);
    results = {decoder.status(), decoder.imageWidth(), decoder.imageHeight()};
    const bool small = static_cast<long>(decoder.imageWidth()) * decoder.imageHeight() <= kMaxDecodedPixels;
    if (decoder.status() == 0 && small) {
      results.push_back(decoder.startDecoding());
      const int lineBytes = decoder.imageWidth() * decoder.outputBytesPerPixel();
      const uint8_t* line = nullptr;
      int byteCount = 0, result = 0;
      while (results.back() == 0 && (result = decoder.nextScanLine(&line, &byteCount)) == 0) {
        if (byteCount != lineBytes) __builtin_trap();
        // Every byte handed out is read, so that the sanitizer sees a short buffer.
        pixels.insert(pixels.end(), line, line + byteCount);
      }
      results.push_back(result);
    }
    results.push_back(decoder.status());
  }
  results.push_back(source.readCalls);
  return outcome;
}

void DecodeWithEveryEngine(const uint8_t* data, size_t size, bool useMmx, int chunk) {
  const Outcome reference = Decode(data, size, useMmx, chunk, JpegEngine::Reference);
  for (JpegEngine engine : {JpegEngine::Fast, JpegEngine::FastPortable}) {
    if (Decode(data, size, useMmx, chunk, engine) != reference) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodeWithEveryEngine(data, size, false, 4096);
  DecodeWithEveryEngine(data, size, true, 1 + static_cast<int>(size % 97));
  return 0;
}
