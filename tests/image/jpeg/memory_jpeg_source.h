// An in-memory JpegSource for tests: hands out its bytes in chunks of a chosen
// size, can fail on a chosen read, and counts the calls the decoder makes.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"

class MemoryJpegSource : public JpegSource {
 public:
  explicit MemoryJpegSource(std::vector<uint8_t> bytes, int chunkSize = 4096)
      : bytes_(std::move(bytes)), chunkSize_(chunkSize) {}

  int read(uint8_t* buffer, int maxBytes, bool& endOfData) override {
    ++readCalls;
    largestRequest = std::max(largestRequest, maxBytes);
    if (readCalls == failingRead) return -1;
    size_t left = bytes_.size() - position_;
    size_t count = std::min<size_t>(left, static_cast<size_t>(std::min(maxBytes, chunkSize_)));
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    endOfData = position_ == bytes_.size();
    return static_cast<int>(count);
  }
  void beginUse() override { ++beginUseCalls; }
  void endUse() override { ++endUseCalls; }

  int failingRead = 0;  // the read call (counting from 1) that returns -1; 0 for none
  int readCalls = 0, largestRequest = 0, beginUseCalls = 0, endUseCalls = 0;

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  int chunkSize_;
};
