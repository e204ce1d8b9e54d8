#include "image/jpeg/jpeg_position_masks.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <cpuid.h>

#include <cstring>

namespace {

constexpr unsigned kPopcntBit = 1u << 23;  // leaf 1, ECX
constexpr unsigned kBmi1Bit = 1u << 3;     // leaf 7, EBX (the trailing-zero count)
constexpr unsigned kBmi2Bit = 1u << 8;     // leaf 7, EBX (the bit deposit)
// AMD processors before this family deposit in microcode, one set bit of the
// mask at a time.
constexpr unsigned kAmdFastDepositFamily = 0x19;

bool Detect() {
  unsigned highest = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0, &highest, &ebx, &ecx, &edx) || highest < 7) return false;
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  unsigned signature = 0;
  if (!__get_cpuid(1, &signature, &ebx, &ecx, &edx) || (ecx & kPopcntBit) == 0) return false;
  unsigned eax = 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  if ((ebx & kBmi1Bit) == 0 || (ebx & kBmi2Bit) == 0) return false;
  unsigned family = (signature >> 8) & 0xF;
  if (family == 0xF) family += (signature >> 20) & 0xFF;
  if (std::strcmp(vendor, "GenuineIntel") == 0) return true;
  if (std::strcmp(vendor, "AuthenticAMD") == 0) return family >= kAmdFastDepositFamily;
  // Other makers' deposit speed is not known; the portable form is safe.
  return false;
}

}  // namespace

bool ProcessorDepositsBitsFast() {
  static const bool fast = Detect();
  return fast;
}

#else

bool ProcessorDepositsBitsFast() { return false; }

#endif
