// The decoder's input side on its own: the hand-over from the header reader
// to the entropy readers, wherever the buffer is refilled.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "image/jpeg/jpeg_decoder_state.h"
#include "tests/image/jpeg/memory_jpeg_source.h"

namespace {

// After the header reader has delivered `headerBytes` bytes, the entropy
// reader continues with the very next byte, whatever the look-ahead was and
// wherever the buffer was refilled.
TEST(JpegInput, HandOverResumesAtTheNextByte) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 9000; ++i) bytes.push_back(static_cast<uint8_t>((i * 7 + 3) % 255));
  for (bool wide : {false, true}) {
    for (int headerBytes : {1, 2, 3, 4, 4095, 4096, 4097, 4098, 8190, 8191}) {
      MemoryJpegSource source(bytes);
      JpegFailure failure;
      const auto input = std::make_unique<JpegInput>();
      input->attach(&source, &failure);
      input->primeHeaderReader();
      input->readHeaderBits(4);
      input->readHeaderBits(4);
      for (int i = 1; i < headerBytes; ++i) input->readHeaderBits(8);
      input->handOverToEntropy(wide);
      for (int i = headerBytes; i < headerBytes + 8; ++i) {
        uint32_t next = wide ? input->readWideBits(8) : input->readEntropyBits(8);
        ASSERT_EQ(next, bytes[static_cast<size_t>(i)]) << headerBytes << " wide " << wide;
      }
    }
  }
}

}  // namespace
