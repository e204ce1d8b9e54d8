// The fast engine's entropy readers: JpegInput's 32-bit and 64-bit readers
// with their bit state held in locals (registers) while a row or a scan is
// decoded, and symbols decoded through the tables of BuildHuffmanFastLookup.
//
// They deliver the same bits as JpegInput's own readers and, whenever
// anything else looks at the input (restart processing, the header reader,
// the source), leave it exactly where those readers would have.  Both
// readers' state depends only on how many bits have been taken since
// priming, not on how the takes were split: a take of up to 16 bits refills
// at most once, exactly when the running count crosses a refill point.  So a
// code and its value may be taken in one go, and the state can be handed
// back with save() at any point.
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
// bits lie in stream order from the top of a 64-bit word, so a take is one
// shift, as in the 64-bit reader.  The bits below the unread ones in the
// rotated form are never read by anyone, so the two forms convert without
// loss.
//
// The 32-bit reader fetches two bytes whenever its bits run out, which keeps
// 17 to 32 bits in hand.  Where the input buffer holds plain bytes (no 0xFF,
// plenty left), this reader instead takes six at a time once fewer than 16
// bits are in hand, as the 64-bit reader does, after checking that the two
// bytes behind them are plain too: between its refills the 32-bit reader can
// be ahead of it by at most those two bytes, so whichever of them is ahead,
// save() can settle up by moves within the buffer alone.  It works out from
// the bits taken where the 32-bit reader would be, and gives back what was
// taken early or fetches what that reader had already fetched.  No source
// read, marker or end of data can come of that.  Where plain bytes run out,
// the reader falls back to the 32-bit reader's own fetches at its own points.
class FastNarrowReader {
 public:
  explicit FastNarrowReader(JpegInput& input) : input_(input) { load(); }
  NIVAREL_JPEG_INLINE void load() {
    const uint64_t rotated = input_.bitBuffer_;
    loadedLeft_ = input_.bitsLeft_;
    const uint64_t inOrder = ((rotated & 0xFFFFu) << 48) | ((rotated & 0xFFFF0000u) << 16);
    valid_ = 16 + loadedLeft_;
    buffer_ = inOrder & (~0ull << (64 - valid_));
    bytesTaken_ = 0;
    refillBelow_ = kExactRefill;
  }
  // Hands the state back; load() must come before the next take.
  NIVAREL_JPEG_INLINE void save() {
    followExactly();
    input_.bitBuffer_ =
        static_cast<uint32_t>(buffer_ >> 48) | (static_cast<uint32_t>(buffer_ >> 16) & 0xFFFF0000u);
    input_.bitsLeft_ = valid_ - 16;
  }

  // At least 16 valid bits are always at the top.
  uint32_t peek16() const { return static_cast<uint32_t>(buffer_ >> 48); }
  // The fast tables' index, in one shift: it starts every symbol's chain of
  // dependent steps.
  uint32_t peekFast() const {
    return static_cast<uint32_t>(buffer_ >> (64 - HuffmanDecodeTable::kFastBits));
  }

  NIVAREL_JPEG_INLINE void take(int count) {
    buffer_ <<= count;
    valid_ -= count;
    if (valid_ < refillBelow_) refill();
  }

  NIVAREL_JPEG_INLINE uint32_t bits(int count) {
    const uint32_t value = count == 0 ? 0 : static_cast<uint32_t>(buffer_ >> (64 - count));
    take(count);
    return value;
  }

 private:
  // Following the 32-bit reader exactly, a fetch is due when 16 bits or fewer
  // are in hand; running on plain bytes, fewer than 16 call for six more.
  static constexpr int kExactRefill = 17;
  static constexpr int kPlainRefill = 16;

  NIVAREL_JPEG_INLINE void refill() {
    uint64_t six = 0;
    // At most 16 bits are in hand: six more bytes make at most 64.
    if (input_.takeSixPlainBytes(six, 8)) {
      buffer_ |= six << (16 - valid_);
      valid_ += 48;
      bytesTaken_ += 6;
      refillBelow_ = kPlainRefill;
      return;
    }
    followExactly();
  }

  // Brings the bits in hand to exactly the 32-bit reader's, which fetches two
  // bytes each time its unread count (loadedLeft_ at load) reaches 0 or below:
  // bytes taken ahead of it go back, and the two it may have fetched ahead of
  // this reader (plain ones, or its fetch due in the take just done) are
  // fetched now.  From here on its fetches are followed at its own points,
  // until plain bytes allow running on them again.
  NIVAREL_JPEG_INLINE void followExactly() {
    const int taken = 16 + loadedLeft_ + 8 * bytesTaken_ - valid_;  // bits since load
    const int fetches = taken >= loadedLeft_ ? (taken - loadedLeft_) / 16 + 1 : 0;
    const int ahead = bytesTaken_ - 2 * fetches;
    if (ahead > 0) {
      input_.giveBack(ahead);
      bytesTaken_ -= ahead;
      valid_ -= 8 * ahead;
      buffer_ &= ~0ull << (64 - valid_);
    } else if (ahead < 0) {
      buffer_ |= static_cast<uint64_t>(input_.fetchTwoEntropyBytes()) << (48 - valid_);
      valid_ += 16;
      bytesTaken_ += 2;
    }
    refillBelow_ = kExactRefill;
  }

  JpegInput& input_;
  uint64_t buffer_ = 0;
  int valid_ = 0;       // bits in hand
  int loadedLeft_ = 0;  // the 32-bit reader's unread count at load()
  int bytesTaken_ = 0;  // from the input since load()
  int refillBelow_ = kExactRefill;
};

class FastWideReader {
 public:
  explicit FastWideReader(JpegInput& input) : input_(input) { load(); }
  NIVAREL_JPEG_INLINE void load() {
    buffer_ = input_.wideBuffer_;
    left_ = input_.wideBitsLeft_;
  }
  NIVAREL_JPEG_INLINE void save() const {
    input_.wideBuffer_ = buffer_;
    input_.wideBitsLeft_ = left_;
  }

  // At least 16 valid bits are always at the top.
  uint32_t peek16() const { return static_cast<uint32_t>(buffer_ >> 48); }
  // The fast tables' index, in one shift: it starts every symbol's chain of
  // dependent steps.
  uint32_t peekFast() const {
    return static_cast<uint32_t>(buffer_ >> (64 - HuffmanDecodeTable::kFastBits));
  }

  NIVAREL_JPEG_INLINE void take(int count) {
    left_ -= count;
    if (left_ > 0) {
      buffer_ <<= count;
      return;
    }
    buffer_ <<= count + left_;  // the bits that were left
    buffer_ = (buffer_ & 0xFFFF000000000000ull) | input_.fetchSixEntropyBytes();
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
  const uint16_t entry = table.fast[reader.peekFast()];
  if (entry != HuffmanDecodeTable::kSlowEntry) {
    reader.take(entry >> 8);
    return entry & 0xFF;
  }
  int length = 0;
  const int symbol = ResolveSymbol(table, reader.peek16(), length);
  reader.take(length);
  return symbol;
}

// The fastValue entry for the next bits (0 when there is none).
template <class Reader>
NIVAREL_JPEG_INLINE int32_t PeekFastValue(const Reader& reader, const HuffmanDecodeTable& table) {
  return table.fastValue[reader.peekFast()];
}

inline int FastValueRun(int32_t entry) { return (entry >> 8) & 15; }
inline int FastValueLength(int32_t entry) { return entry & 31; }
inline int32_t FastValue(int32_t entry) { return entry >> 16; }

// A DC difference: its size category and its bits, in one step where the
// fast table has both.
template <class Reader>
NIVAREL_JPEG_INLINE bool FastDcDifference(Reader& reader, const HuffmanDecodeTable& table,
                                          int32_t& difference, JpegFailure& failure) {
  const int32_t entry = PeekFastValue(reader, table);
  if (entry != 0) {
    reader.take(FastValueLength(entry));
    difference = FastValue(entry);
    return true;
  }
  const int size = FastSymbol(reader, table);
  if (size > 15) return failure.raise(EntropyDataBad);
  difference = size == 0 ? 0 : ExtendSign(reader.bits(size), size);
  return true;
}

// Restart processing when due, with the reader's state handed over to it.
template <class Reader>
NIVAREL_JPEG_INLINE bool RestartIfDue(JpegDecoderState& d, Reader& reader) {
  if (d.restartInterval == 0 || d.mcusLeftInInterval != 0) return true;
  reader.save();
  const bool restarted = d.processRestart();
  reader.load();
  return restarted;
}

// After an MCU: the interval count, and a failure the source may have raised.
NIVAREL_JPEG_INLINE bool FinishMcu(JpegDecoderState& d) {
  if (d.restartInterval != 0) --d.mcusLeftInInterval;
  return d.ok();
}
