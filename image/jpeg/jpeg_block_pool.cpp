// The decoder's memory: at most 100 blocks, never freed one by one, so that a
// failure anywhere can release everything in a single sweep.
#include <cstdlib>

#include "image/jpeg/jpeg_decoder_state.h"

namespace {

constexpr size_t kAlignment = 8;

}  // namespace

void* BlockPool::allocate(size_t bytes, JpegFailure& failure) {
  int freeSlot = -1;
  for (int i = 0; i < kSlots && freeSlot < 0; ++i) {
    if (blocks_[i] == nullptr) freeSlot = i;
  }
  if (freeSlot < 0) {
    failure.raise(BlockPoolFull);
    return nullptr;
  }
  // A request too large to describe is one the heap would refuse anyway.
  if (bytes > SIZE_MAX - kAlignment) {
    failure.raise(OutOfMemory);
    return nullptr;
  }
  void* block = std::calloc(bytes + kAlignment, 1);
  if (block == nullptr) {
    failure.raise(OutOfMemory);
    return nullptr;
  }
  blocks_[freeSlot] = block;
  uintptr_t address = reinterpret_cast<uintptr_t>(block);
  uintptr_t aligned = (address + kAlignment - 1) & ~static_cast<uintptr_t>(kAlignment - 1);
  return static_cast<char*>(block) + (aligned - address);
}

void BlockPool::releaseAll() {
  for (void*& block : blocks_) {
    std::free(block);
    block = nullptr;
  }
}
