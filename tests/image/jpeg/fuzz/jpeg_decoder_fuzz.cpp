// libFuzzer target: any byte stream through the decoder's whole calling order,
// with both transform paths. The decoder must refuse or decode it without
// touching memory outside its buffers, leaking, or overflowing arithmetic.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/jpeg/jpeg_decoder.h"

namespace {

// Hands the input out in chunks of a fixed size, so that refills (and the
// saving of the wide bit reader around them) fall at varying places.
class ChunkedSource final : public JpegSource {
 public:
  ChunkedSource(const uint8_t* data, size_t size, int chunk) : data_(data), size_(size), chunk_(chunk) {}

  int read(uint8_t* buffer, int maxBytes, bool& endOfData) override {
    const size_t count = std::min({size_ - position_, static_cast<size_t>(maxBytes),
                                   static_cast<size_t>(chunk_)});
    std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    if (position_ == size_) endOfData = true;
    return static_cast<int>(count);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  int chunk_;
};

// Pictures above this many pixels are only parsed: decoding eight thousand
// lines of a tiny input's synthetic end-of-data bits proves nothing new and
// would stall the run.
constexpr long kMaxDecodedPixels = 1L << 20;

void Decode(const uint8_t* data, size_t size, bool useMmx, int chunk) {
  ChunkedSource source(data, size, chunk);
  JpegDecoder decoder(&source, useMmx);
  if (decoder.status() != 0) return;
  if (static_cast<long>(decoder.imageWidth()) * decoder.imageHeight() > kMaxDecodedPixels) return;
  if (decoder.startDecoding() != 0) return;
  const int lineBytes = decoder.imageWidth() * decoder.outputBytesPerPixel();
  const uint8_t* line = nullptr;
  int byteCount = 0;
  volatile uint8_t sink = 0;
  while (decoder.nextScanLine(&line, &byteCount) == 0) {
    if (byteCount != lineBytes) __builtin_trap();
    // Read every byte handed out, so that the sanitizer sees a short buffer.
    uint8_t sum = 0;
    for (int i = 0; i < byteCount; ++i) sum = static_cast<uint8_t>(sum + line[i]);
    sink = static_cast<uint8_t>(sink + sum);
  }
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size, false, 4096);
  Decode(data, size, true, 1 + static_cast<int>(size % 97));
  return 0;
}
