// A JPEG byte source over a block of memory that outlives it (a locked
// resource of the program).  It never fails: a read past the end hands out
// nothing and reports the end of the data.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_decoder.h"

class JpegMemorySource final : public JpegSource {
 public:
  JpegMemorySource(const uint8_t* data, uint32_t size);

  // Hands out up to maxBytes of the remaining bytes.  A short read does not
  // report the end; only a read that finds nothing left does.
  int read(uint8_t* buffer, int maxBytes, bool& endOfData) override;

 private:
  const uint8_t* data_;  // next unread byte
  uint32_t size_;        // all bytes of the block
  uint32_t consumed_ = 0;
};
