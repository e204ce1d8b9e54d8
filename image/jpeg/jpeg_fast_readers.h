// The fast engine's entropy readers: JpegInput's 32-bit and 64-bit readers
// with their bit state held in locals (registers) while a row or a scan is
// decoded, and symbols decoded through the tables of BuildHuffmanFastLookup.
//
// They deliver the same bits and fetch the same bytes at the same moments as
// JpegInput's own readers, because both readers' state depends only on how
// many bits have been taken since priming, not on how the takes were split:
// a take of up to 16 bits refills at most once, exactly when the running
// count crosses a refill point.  So a code and its value may be taken in one
// go, and the state can be handed back with save() at any point, before
// anything else (restart processing, the header reader) uses the input.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_decoder_state.h"

// Taking more than 16 bits at once could need two refills.
inline constexpr int kMaxTake = 16;

class FastNarrowReader {
 public:
  explicit FastNarrowReader(JpegInput& input) : input_(input) { load(); }
  void load() {
    buffer_ = input_.bitBuffer_;
    left_ = input_.bitsLeft_;
  }
  void save() const {
    input_.bitBuffer_ = buffer_;
    input_.bitsLeft_ = left_;
  }

  // The low 16 bits of the buffer are always the next 16 bits of the stream.
  uint32_t peek16() const { return buffer_ & 0xFFFFu; }

  void take(int count) {
    const int oldLeft = left_;
    left_ -= count;
    if (left_ > 0) {
      buffer_ = Rotate(buffer_, count);
      return;
    }
    buffer_ = Rotate(buffer_, oldLeft);
    buffer_ = (buffer_ & 0xFFFFu) | (input_.fetchTwoEntropyBytes() << 16);
    buffer_ = Rotate(buffer_, count - oldLeft);
    left_ += 16;
  }

  uint32_t bits(int count) {
    const uint32_t value = peek16() >> (16 - count);
    take(count);
    return value;
  }

 private:
  static uint32_t Rotate(uint32_t value, int count) {
    return (value << count) | (value >> ((32 - count) & 31));
  }

  JpegInput& input_;
  uint32_t buffer_ = 0;
  int left_ = 0;
};

class FastWideReader {
 public:
  explicit FastWideReader(JpegInput& input) : input_(input) { load(); }
  void load() {
    buffer_ = input_.wideBuffer_;
    left_ = input_.wideBitsLeft_;
  }
  void save() const {
    input_.wideBuffer_ = buffer_;
    input_.wideBitsLeft_ = left_;
  }

  // At least 16 valid bits are always at the top.
  uint32_t peek16() const { return static_cast<uint32_t>(buffer_ >> 48); }

  void take(int count) {
    left_ -= count;
    if (left_ > 0) {
      buffer_ <<= count;
      return;
    }
    buffer_ <<= count + left_;  // the bits that were left
    buffer_ = (buffer_ & 0xFFFF000000000000ull) | input_.fetchSixEntropyBytesInline();
    buffer_ <<= -left_;  // the rest of the take
    left_ += 48;
  }

  uint32_t bits(int count) {
    const uint32_t value = count == 0 ? 0 : static_cast<uint32_t>(buffer_ >> (64 - count));
    take(count);
    return value;
  }

 private:
  JpegInput& input_;
  uint64_t buffer_ = 0;
  int left_ = 0;
};

// A symbol through the fast table, falling back to the full procedure for
// codes longer than the table's prefix.
template <class Reader>
inline int FastSymbol(Reader& reader, const HuffmanDecodeTable& table) {
  const uint32_t next16 = reader.peek16();
  const uint16_t entry = table.fast[next16 >> (16 - HuffmanDecodeTable::kFastBits)];
  if (entry != HuffmanDecodeTable::kSlowEntry) {
    reader.take(entry >> 8);
    return entry & 0xFF;
  }
  int length = 0;
  const int symbol = ResolveSymbol(table, next16, length);
  reader.take(length);
  return symbol;
}

// The fastValue entry for the next bits (0 when there is none).
template <class Reader>
inline int32_t PeekFastValue(const Reader& reader, const HuffmanDecodeTable& table) {
  return table.fastValue[reader.peek16() >> (16 - HuffmanDecodeTable::kFastBits)];
}

inline int FastValueRun(int32_t entry) { return (entry >> 8) & 15; }
inline int FastValueLength(int32_t entry) { return entry & 31; }
inline int32_t FastValue(int32_t entry) { return entry >> 16; }
