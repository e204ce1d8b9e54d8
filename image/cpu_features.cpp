#include "image/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {
constexpr unsigned kMmxBit = 1u << 23;  // leaf 1, EDX
}  // namespace

bool CpuidFeatures::detect() {
  mmx_ = false;
#if defined(__i386__) || defined(__x86_64__)
  // __get_cpuid checks first that the instruction exists (the flag test of
  // leaf 0) and that leaf 1 is offered, so it never executes an unknown
  // instruction.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  mmx_ = (edx & kMmxBit) != 0;
  return true;
#else
  return false;
#endif
}

bool DecoderMayUseMmx(CpuFeatures& features) { return features.detect() && features.hasMmx(); }
