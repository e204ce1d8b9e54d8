#include "image/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

#include <cstdint>
#include <cstring>
#endif

namespace {

#if defined(__i386__) || defined(__x86_64__)
// Leaf 1, EDX.
constexpr unsigned kMmxBit = 1u << 23;
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

unsigned Family(unsigned signature) {
  const unsigned family = (signature >> 8) & 0xF;
  return family == 0xF ? family + ((signature >> 20) & 0xFF) : family;
}

bool DepositsBitsFast(const char* vendor, unsigned family, unsigned leaf1Ecx, unsigned leaf7Ebx) {
  if ((leaf1Ecx & kPopcntBit) == 0) return false;
  if ((leaf7Ebx & kBmi1Bit) == 0 || (leaf7Ebx & kBmi2Bit) == 0) return false;
  if (std::strcmp(vendor, "GenuineIntel") == 0) return true;
  if (std::strcmp(vendor, "AuthenticAMD") == 0) return family >= kAmdFastDepositFamily;
  // Other makers' deposit speed is not known; doing without is safe.
  return false;
}

bool HasAvx2(unsigned leaf1Ecx, unsigned leaf7Ebx) {
  if ((leaf7Ebx & kAvx2Bit) == 0) return false;
  if ((leaf1Ecx & kAvxBit) == 0 || (leaf1Ecx & kOsSavesExtendedStateBit) == 0) return false;
  // Only asked once the flag above says the instruction exists.
  uint32_t low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & kSseAndAvxState) == kSseAndAvxState;
}
#endif

const CpuidFeatures& ThisProcessor() {
  static const CpuidFeatures features = [] {
    CpuidFeatures probed;
    probed.detect();
    return probed;
  }();
  return features;
}

}  // namespace

bool CpuidFeatures::detect() {
  mmx_ = avx2_ = depositsBitsFast_ = false;
#if defined(__i386__) || defined(__x86_64__)
  // __get_cpuid checks first that the instruction exists (the flag test of
  // leaf 0) and that the leaf is offered, so it never executes an unknown
  // instruction.
  unsigned highest = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0, &highest, &ebx, &ecx, &edx)) return false;
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  unsigned signature = 0, leaf1Ecx = 0;
  if (!__get_cpuid(1, &signature, &ebx, &leaf1Ecx, &edx)) return false;
  mmx_ = (edx & kMmxBit) != 0;
  unsigned eax = 0, leaf7Ebx = 0;
  if (highest >= 7 && __get_cpuid_count(7, 0, &eax, &leaf7Ebx, &ecx, &edx)) {
    avx2_ = HasAvx2(leaf1Ecx, leaf7Ebx);
    depositsBitsFast_ = DepositsBitsFast(vendor, Family(signature), leaf1Ecx, leaf7Ebx);
  }
  return true;
#else
  return false;
#endif
}

bool DecoderMayUseMmx(CpuFeatures& features) { return features.detect() && features.hasMmx(); }

bool ProcessorHasAvx2() { return ThisProcessor().hasAvx2(); }

bool ProcessorDepositsBitsFast() { return ThisProcessor().depositsBitsFast(); }
