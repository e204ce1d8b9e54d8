// Sets of a block's zigzag positions held as 64-bit masks (bit k for position
// k), as the fast engine's progressive refinement walks them: a range of
// positions, how many a mask holds, and the position of a given rank.
//
// Counting and selecting come in two forms with the same results:
// PortablePositions on plain 64-bit arithmetic, and DepositPositions on the
// processor's population-count and bit-deposit instructions, which turn each
// into one or two instructions.  The decoder takes the second only where
// ProcessorDepositsBitsFast() says the processor has them and runs them at
// full speed.
#pragma once
#include <array>
#include <cstdint>

#include "image/jpeg/jpeg_fast_readers.h"

// Positions first..last (last < 64), or none when first > last.
NIVAREL_JPEG_INLINE uint64_t PositionRange(int first, int last) {
  // Selected rather than branched on: the ends come from the data.  A range
  // with first > last comes out empty, its two halves not meeting.
  const uint64_t from = first < 64 ? ~0ull << (first & 63) : 0;
  const uint64_t through = last >= 0 ? ~0ull >> ((63 - last) & 63) : 0;
  return from & through;
}

// The lowest position in a mask that is not empty.
NIVAREL_JPEG_INLINE int LowestPosition(uint64_t mask) {
#if defined(__GNUC__)
  return __builtin_ctzll(mask);
#else
  int k = 0;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++k;
  }
  return k;
#endif
}

// For each byte value and rank r, the position of its set bit of rank r.
constexpr std::array<std::array<uint8_t, 8>, 256> BitsByRank() {
  std::array<std::array<uint8_t, 8>, 256> table{};
  for (int value = 0; value < 256; ++value) {
    int rank = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if ((value >> bit) & 1) table[value][rank++] = static_cast<uint8_t>(bit);
    }
  }
  return table;
}
inline constexpr auto kBitsByRank = BitsByRank();

struct PortablePositions {
  // Counted in parallel: x86-64's baseline has no population-count
  // instruction, and the compiler's fallback is a library call.
  static NIVAREL_JPEG_INLINE int count(uint64_t mask) {
    mask -= (mask >> 1) & 0x5555555555555555ull;
    mask = (mask & 0x3333333333333333ull) + ((mask >> 2) & 0x3333333333333333ull);
    mask = (mask + (mask >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((mask * 0x0101010101010101ull) >> 56);
  }

  // The position of the set bit of rank `rank` (0 = the lowest, at most 15)
  // in `mask`, or `none` when fewer bits are set; `none` lies above every
  // position in the mask.  Found a byte at a time
  // without a loop or a branch the data decides: the ranks (a refinement's
  // zero runs) come from the data, and a loop over them is mispredicted at
  // nearly every exit.
  static NIVAREL_JPEG_INLINE int select(uint64_t mask, int rank, int none) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    uint64_t counts = mask - ((mask >> 1) & 0x5555555555555555ull);
    counts = (counts & 0x3333333333333333ull) + ((counts >> 2) & 0x3333333333333333ull);
    counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    const uint64_t through = counts * kOnes;  // byte i: the bits set in bytes 0..i
    // Bytes whose running count exceeds the rank get their top bit set (counts
    // stay below 128, so nothing borrows across bytes).
    const uint64_t beyond =
        ((through | (0x80 * kOnes)) - static_cast<uint64_t>(rank + 1) * kOnes) & (0x80 * kOnes);
    if (beyond == 0) return none;
    const int byte = LowestPosition(beyond) >> 3;
    const int before = static_cast<int>(((through << 8) >> (8 * byte)) & 0xFF);
    const int value = static_cast<int>((mask >> (8 * byte)) & 0xFF);
    return 8 * byte + kBitsByRank[value][rank - before];
  }
};

#if defined(__GNUC__) && defined(__x86_64__)
// Written as instructions rather than intrinsics: the intrinsics would need
// the whole decoder compiled for the newer processors, while these are only
// ever run after ProcessorDepositsBitsFast() said yes.
struct DepositPositions {
  static NIVAREL_JPEG_INLINE int count(uint64_t mask) {
    uint64_t count;
    __asm__("popcnt %1, %0" : "=r"(count) : "rm"(mask) : "cc");
    return static_cast<int>(count);
  }

  // The bit of rank `rank` deposited into the mask's set bits; its position,
  // or 64 from the trailing-zero count when the mask has too few, which the
  // cap turns into `none`.
  static NIVAREL_JPEG_INLINE int select(uint64_t mask, int rank, int none) {
    uint64_t bit;
    __asm__("pdep %2, %1, %0" : "=r"(bit) : "r"(1ull << rank), "rm"(mask));
    uint64_t position;
    __asm__("tzcnt %1, %0" : "=r"(position) : "rm"(bit) : "cc");
    return static_cast<int>(position) < none ? static_cast<int>(position) : none;
  }
};
#else
// Elsewhere the portable form serves under both names.
struct DepositPositions : PortablePositions {};
#endif
