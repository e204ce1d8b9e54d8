// The one loop that reads a started decoder's lines: the texture loader, the
// command-line tool, the benchmark and the tests all take their lines
// through it, so that the calling order of nextScanLine() is written once.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_decoder.h"

// Hands every line of a started decoder to onLine(row, line, byteCount), top
// line first (row 0), until the decoder has no more lines, fails, or onLine
// returns false.  Returns nextScanLine()'s last result: 1 after the last
// line, negative after a failure (status() then tells its cause), 0 when
// onLine stopped the reading.
template <typename OnLine>
int ReadAllLines(JpegDecoder& decoder, OnLine&& onLine) {
  const uint8_t* line = nullptr;
  int byteCount = 0;
  for (int row = 0;; ++row) {
    const int result = decoder.nextScanLine(&line, &byteCount);
    if (result != 0) return result;
    if (!onLine(row, line, byteCount)) return 0;
  }
}
