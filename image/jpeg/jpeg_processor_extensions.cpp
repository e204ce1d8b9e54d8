#include "image/jpeg/jpeg_processor_extensions.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <cpuid.h>

#include <cstdint>
#include <cstring>

namespace {

// Leaf 1, ECX.
constexpr unsigned kPopcntBit = 1u << 23;
constexpr unsigned kOsSavesExtendedStateBit = 1u << 27;
constexpr unsigned kAvxBit = 1u << 28;
// Leaf 7, EBX.
constexpr unsigned kBmi1Bit = 1u << 3;  // the trailing-zero count
constexpr unsigned kAvx2Bit = 1u << 5;
constexpr unsigned kBmi2Bit = 1u << 8;  // the bit deposit
// The register state the operating system saves: SSE and the AVX upper halves.
constexpr uint64_t kSseAndAvxState = 0x6;
// AMD processors before this family deposit in microcode.
constexpr unsigned kAmdFastDepositFamily = 0x19;

struct Identification {
  bool known = false;  // leaves 0, 1 and 7 answered
  char vendor[13] = {};
  unsigned family = 0;
  unsigned leaf1Ecx = 0;
  unsigned leaf7Ebx = 0;
};

Identification Identify() {
  Identification id;
  unsigned highest = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0, &highest, &ebx, &ecx, &edx) || highest < 7) return id;
  std::memcpy(id.vendor, &ebx, 4);
  std::memcpy(id.vendor + 4, &edx, 4);
  std::memcpy(id.vendor + 8, &ecx, 4);
  unsigned signature = 0;
  if (!__get_cpuid(1, &signature, &ebx, &id.leaf1Ecx, &edx)) return id;
  id.family = (signature >> 8) & 0xF;
  if (id.family == 0xF) id.family += (signature >> 20) & 0xFF;
  unsigned eax = 0;
  if (!__get_cpuid_count(7, 0, &eax, &id.leaf7Ebx, &ecx, &edx)) return id;
  id.known = true;
  return id;
}

const Identification& ThisProcessor() {
  static const Identification id = Identify();
  return id;
}

bool DepositsBitsFast(const Identification& id) {
  if (!id.known || (id.leaf1Ecx & kPopcntBit) == 0) return false;
  if ((id.leaf7Ebx & kBmi1Bit) == 0 || (id.leaf7Ebx & kBmi2Bit) == 0) return false;
  if (std::strcmp(id.vendor, "GenuineIntel") == 0) return true;
  if (std::strcmp(id.vendor, "AuthenticAMD") == 0) return id.family >= kAmdFastDepositFamily;
  // Other makers' deposit speed is not known; doing without is safe.
  return false;
}

bool HasAvx2(const Identification& id) {
  if (!id.known || (id.leaf7Ebx & kAvx2Bit) == 0) return false;
  if ((id.leaf1Ecx & kAvxBit) == 0 || (id.leaf1Ecx & kOsSavesExtendedStateBit) == 0) return false;
  // Only asked once the flag above says the instruction exists.
  uint32_t low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & kSseAndAvxState) == kSseAndAvxState;
}

}  // namespace

bool ProcessorDepositsBitsFast() {
  static const bool fast = DepositsBitsFast(ThisProcessor());
  return fast;
}

bool ProcessorHasAvx2() {
  static const bool has = HasAvx2(ThisProcessor());
  return has;
}

#else

bool ProcessorDepositsBitsFast() { return false; }
bool ProcessorHasAvx2() { return false; }

#endif
