#include "image/jpeg_memory_source.h"

#include <cstring>

JpegMemorySource::JpegMemorySource(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

int JpegMemorySource::read(uint8_t* buffer, int maxBytes, bool& endOfData) {
  // A request for nothing is not a sign that the data has run out.
  if (maxBytes <= 0) return 0;
  uint32_t count = size_ - consumed_;
  if (count > static_cast<uint32_t>(maxBytes)) count = static_cast<uint32_t>(maxBytes);
  if (count == 0) {
    endOfData = true;
    return 0;
  }
  std::memcpy(buffer, data_, count);
  consumed_ += count;
  data_ += count;
  return static_cast<int>(count);
}
