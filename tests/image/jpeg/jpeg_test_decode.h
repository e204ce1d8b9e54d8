// Runs the decoder over a byte stream the way the texture loader does and
// records everything a test may want to check.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_lines.h"
#include "tests/image/jpeg/memory_jpeg_source.h"

namespace jpegtest {

struct DecodeResult {
  int constructStatus = 0;  // status() right after construction
  int startResult = 0;      // startDecoding()'s return, when it was called
  int lastLineResult = 0;   // nextScanLine()'s last return
  int status = 0;           // status() at the end
  int width = 0, height = 0, bytesPerPixel = 0;
  std::vector<std::vector<uint8_t>> lines;
  int beginUseCalls = 0, endUseCalls = 0, readCalls = 0;  // the source's counts

  // Everything the caller and the source can see.
  auto seen() const {
    return std::tie(constructStatus, startResult, lastLineResult, status, width, height, bytesPerPixel,
                    lines, beginUseCalls, endUseCalls, readCalls);
  }
  bool operator==(const DecodeResult& o) const { return seen() == o.seen(); }
};

inline DecodeResult DecodeWith(JpegEngine engine, const std::vector<uint8_t>& bytes, bool useMmx,
                               int chunkSize, int failingRead) {
  DecodeResult result;
  MemoryJpegSource source(bytes, chunkSize);
  source.failingRead = failingRead;
  {
    JpegDecoder decoder(&source, useMmx, engine);
    result.constructStatus = decoder.status();
    result.width = decoder.imageWidth();
    result.height = decoder.imageHeight();
    if (result.constructStatus == 0) {
      result.startResult = decoder.startDecoding();
      result.bytesPerPixel = decoder.outputBytesPerPixel();
      // Bounded, so that a decoder that never finishes fails the test instead of hanging it.
      if (result.startResult == 0) {
        result.lastLineResult = ReadAllLines(decoder, [&](int row, const uint8_t* line, int count) {
          result.lines.emplace_back(line, line + count);
          return row < 8192;
        });
      }
    }
    result.status = decoder.status();
  }
  EXPECT_LE(source.largestRequest, 4096) << "the source is asked for at most 4096 bytes at a time";
  result.beginUseCalls = source.beginUseCalls;
  result.endUseCalls = source.endUseCalls;
  result.readCalls = source.readCalls;
  return result;
}

// Decodes with the fast engine and checks on the way that its portable form
// and the plain reference give exactly the same: every decoder test is also a
// test of the engines' agreement on its stream.
inline DecodeResult Decode(const std::vector<uint8_t>& bytes, bool useMmx = false,
                           int chunkSize = 4096, int failingRead = 0) {
  const DecodeResult reference = DecodeWith(JpegEngine::Reference, bytes, useMmx, chunkSize, failingRead);
  DecodeResult fast;
  for (JpegEngine engine : {JpegEngine::FastPortable, JpegEngine::Fast}) {
    fast = DecodeWith(engine, bytes, useMmx, chunkSize, failingRead);
    EXPECT_TRUE(fast == reference) << (engine == JpegEngine::Fast ? "fast" : "portable fast")
                                   << " engine disagrees: status " << fast.status << " against " << reference.status
                                   << ", " << fast.lines.size() << " lines against " << reference.lines.size();
  }
  return fast;
}

}  // namespace jpegtest
