#include "image/jpeg/jpeg_position_masks.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/jpeg/jpeg_processor_extensions.h"

namespace {

// Masks of every density, and the ones at the edges: empty, full, a single
// position at either end, every other position.
std::vector<uint64_t> SampleMasks() {
  std::vector<uint64_t> masks = {0,
                                 ~0ull,
                                 1,
                                 1ull << 63,
                                 0x5555555555555555ull,
                                 0xAAAAAAAAAAAAAAAAull,
                                 0x00000000FFFFFFFFull,
                                 0xFFFFFFFF00000000ull,
                                 0x8000000000000001ull};
  std::mt19937_64 rng(2026);
  for (int i = 0; i < 4000; ++i) {
    // Anding and oring random words thins them out or fills them up.
    uint64_t mask = rng();
    for (int k = i % 4; k > 0; --k) mask = i % 8 < 4 ? mask & rng() : mask | rng();
    masks.push_back(mask);
  }
  return masks;
}

int CountByWalking(uint64_t mask) {
  int count = 0;
  for (int k = 0; k < 64; ++k) count += static_cast<int>((mask >> k) & 1);
  return count;
}

int SelectByWalking(uint64_t mask, int rank, int none) {
  for (int k = 0; k < 64; ++k) {
    if (((mask >> k) & 1) != 0 && rank-- == 0) return k;
  }
  return none;
}

// `none` one past the highest position, as the refinement walk passes it.
int AboveHighest(uint64_t mask) { return mask == 0 ? 0 : 64 - __builtin_clzll(mask); }

TEST(JpegPositionMasks, RangesHoldExactlyTheirPositions) {
  for (int first = 0; first <= 64; ++first) {
    for (int last = -1; last < 64; ++last) {
      uint64_t expected = 0;
      for (int k = first; k <= last; ++k) expected |= 1ull << k;
      ASSERT_EQ(PositionRange(first, last), expected) << first << ".." << last;
    }
  }
}

TEST(JpegPositionMasks, PortableCountAndSelectMatchAWalk) {
  for (uint64_t mask : SampleMasks()) {
    ASSERT_EQ(PortablePositions::count(mask), CountByWalking(mask)) << std::hex << mask;
    for (int rank = 0; rank < 16; ++rank) {
      for (int none : {AboveHighest(mask), 64}) {
        ASSERT_EQ(PortablePositions::select(mask, rank, none), SelectByWalking(mask, rank, none))
            << std::hex << mask << std::dec << " rank " << rank;
      }
    }
  }
}

TEST(JpegPositionMasks, DepositInstructionsMatchThePortableForm) {
  if (!ProcessorDepositsBitsFast()) {
    GTEST_SKIP() << "this processor does not deposit bits fast; the decoder never uses them";
  }
  for (uint64_t mask : SampleMasks()) {
    ASSERT_EQ(DepositPositions::count(mask), PortablePositions::count(mask)) << std::hex << mask;
    for (int rank = 0; rank < 16; ++rank) {
      for (int none : {AboveHighest(mask), 64}) {
        ASSERT_EQ(DepositPositions::select(mask, rank, none),
                  PortablePositions::select(mask, rank, none))
            << std::hex << mask << std::dec << " rank " << rank;
      }
    }
  }
}

}  // namespace
