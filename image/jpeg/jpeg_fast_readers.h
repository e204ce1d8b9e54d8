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

// The readers' state only stays in registers when nothing that uses a reader
// is left as a call: such a call takes the reader's address.
#if defined(__GNUC__)
#define NIVAREL_JPEG_INLINE inline __attribute__((always_inline))
#else
#define NIVAREL_JPEG_INLINE inline
#endif

// Taking more than 16 bits at once could need two refills.
inline constexpr int kMaxTake = 16;

// JpegInput keeps the 32-bit reader's state rotated (the next 16 bits in the
// low half, the unread fetched bits at the top of the high half).  Here the
// same bits lie in stream order from the top of a 64-bit word, so a take is
// one shift, as in the 64-bit reader.  The bits below the unread ones in the
// rotated form are never read by anyone, so the two forms convert without
// loss.
//
// The 32-bit reader fetches two bytes whenever its bits run out.  Where six
// plain bytes (no 0xFF) lie ready in the input buffer, this reader takes them
// at once and serves the next three fetches from them; save() gives back the
// ones not yet due, so the input is where the 32-bit reader would have left
// it.  Taking them is only a move within the buffer: no source read, no
// marker, no end of data can come of it.
class FastNarrowReader {
 public:
  explicit FastNarrowReader(JpegInput& input) : input_(input) { load(); }
  void load() {
    const uint64_t rotated = input_.bitBuffer_;
    left_ = input_.bitsLeft_;
    const uint64_t inOrder = ((rotated & 0xFFFFu) << 48) | ((rotated & 0xFFFF0000u) << 16);
    buffer_ = inOrder & (~0ull << (48 - left_));  // the 16 + left valid bits
    aheadBytes_ = 0;
  }
  // Hands the state back; load() must come before the next take.
  void save() {
    input_.bitBuffer_ = static_cast<uint32_t>(buffer_ >> 48) |
                        (static_cast<uint32_t>(buffer_ >> 16) & 0xFFFF0000u);
    input_.bitsLeft_ = left_;
    input_.giveBack(aheadBytes_);
    aheadBytes_ = 0;
  }

  // At least 16 valid bits are always at the top.
  uint32_t peek16() const { return static_cast<uint32_t>(buffer_ >> 48); }

  NIVAREL_JPEG_INLINE void take(int count) {
    left_ -= count;
    buffer_ <<= count;
    if (left_ > 0) return;
    // A fetch of two bytes is due; 16 + left (at most 16) bits are valid.
    if (aheadBytes_ == 0) {
      uint64_t six = 0;
      if (input_.takeSixPlainBytes(six)) {
        buffer_ |= six << -left_;
        aheadBytes_ = 6;
      } else {
        buffer_ |= static_cast<uint64_t>(input_.fetchTwoEntropyBytes()) << (32 - left_);
        aheadBytes_ = 2;
      }
    }
    aheadBytes_ -= 2;
    left_ += 16;
  }

  NIVAREL_JPEG_INLINE uint32_t bits(int count) {
    const uint32_t value = count == 0 ? 0 : static_cast<uint32_t>(buffer_ >> (64 - count));
    take(count);
    return value;
  }

 private:
  JpegInput& input_;
  uint64_t buffer_ = 0;
  int left_ = 0;
  int aheadBytes_ = 0;  // bytes taken from the input before they are due
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

  NIVAREL_JPEG_INLINE void take(int count) {
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

  NIVAREL_JPEG_INLINE uint32_t bits(int count) {
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
NIVAREL_JPEG_INLINE int FastSymbol(Reader& reader, const HuffmanDecodeTable& table) {
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
NIVAREL_JPEG_INLINE int32_t PeekFastValue(const Reader& reader, const HuffmanDecodeTable& table) {
  return table.fastValue[reader.peek16() >> (16 - HuffmanDecodeTable::kFastBits)];
}

inline int FastValueRun(int32_t entry) { return (entry >> 8) & 15; }
inline int FastValueLength(int32_t entry) { return entry & 31; }
inline int32_t FastValue(int32_t entry) { return entry >> 16; }
